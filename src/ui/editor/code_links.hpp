#pragma once
// The links between the source editor and the code beside it, while they hold the text and
// code of the block's last compile: the caret on a source line highlights the code words it
// made; the caret on a code word brings its source line under the caret, highlighted.

#include <QObject>
#include <functional>

#include "blocks/listing.hpp"

class QPlainTextEdit;

namespace q41 {
struct CompileHistory;
}

namespace q41::ui {

class AsmEditor;

class CodeLinks : public QObject {
 public:
  // `history` gives the current block's compile history when asked.
  CodeLinks(AsmEditor& source, QPlainTextEdit& code,
            std::function<const CompileHistory&()> history);

  // The links hold from now on when `holds` (the history is of the text and code shown).
  // Kept, rather than asked at each caret move, because asking compares the whole text.
  void Follow(bool holds);
  // The text or code shown changed: the links end.
  void Drop();

 private:
  void FromSource();
  void FromCode();
  void HighlightWords(WordRange words);

  AsmEditor& source_;
  QPlainTextEdit& code_;
  std::function<const CompileHistory&()> history_;
  bool linked_ = false;
  // Set while one editor's caret is moved to follow the other's.
  bool linking_ = false;
};

}  // namespace q41::ui

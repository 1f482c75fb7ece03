#pragma once
// The one place where the system's Windows-1251 texts meet Qt's Unicode strings. Every byte
// value converts to a character and back unchanged; a character the code page cannot hold
// becomes "?" on the way back.

#include <QString>
#include <string>
#include <string_view>

#include "common/err_diag.hpp"
#include "common/text.hpp"

class QPlainTextEdit;

namespace q41::ui {

QString ToQt(std::string_view bytes);
std::string FromQt(QStringView text);

// The lines of an editor, and replacing them. An empty editor has no lines; otherwise a
// final line break makes no extra line, as in the files.
Lines LinesOf(const QPlainTextEdit& editor);
void SetLines(QPlainTextEdit& editor, const Lines& lines);

// The lines of an editor, read once and kept until its text changes: reading a large
// editor line by line is costly, and the block model asks for the lines at every store.
// Setting lines the editor already shows leaves it alone (caret, undo and all).
class EditorLines {
 public:
  explicit EditorLines(QPlainTextEdit& editor);
  const Lines& Get() const;
  void Set(const Lines& lines);

 private:
  QPlainTextEdit& editor_;
  mutable Lines lines_;
  mutable bool valid_ = false;
};

// Places the caret at the start of `row` and selects `length` characters, or clears the
// selection, as a run asks.
void ApplySelection(QPlainTextEdit& editor, const Selection& selection);

}  // namespace q41::ui

#include "ui/editor/code_links.hpp"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include "blocks/compile_history.hpp"
#include "ui/app/style.hpp"
#include "ui/editor/asm_editor.hpp"

namespace q41::ui {

CodeLinks::CodeLinks(AsmEditor& source, QPlainTextEdit& code,
                     std::function<const CompileHistory&()> history)
    : source_(source), code_(code), history_(std::move(history)) {
  connect(&source_, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    if (linked_ && !linking_) FromSource();
  });
  connect(&code_, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    if (linked_ && !linking_) FromCode();
  });
}

void CodeLinks::Follow(bool holds) {
  Drop();
  linked_ = holds;
  if (linked_) FromSource();
}

void CodeLinks::Drop() {
  if (!linked_) return;
  linked_ = false;
  code_.setExtraSelections({});
  source_.SetHighlights({});
}

void CodeLinks::HighlightWords(WordRange words) {
  QList<QTextEdit::ExtraSelection> list;
  for (std::size_t k = words.first; k < words.last; ++k) {
    list.push_back(
        LineHighlight(QTextCursor(code_.document()->findBlockByNumber(static_cast<int>(k)))));
  }
  code_.setExtraSelections(list);
  if (words.empty()) return;
  // The words come into view; the code's caret stays where it is.
  QScrollBar* bar = code_.verticalScrollBar();
  const int first = static_cast<int>(words.first);
  const int rows = std::max(1, code_.viewport()->height() / code_.fontMetrics().height());
  if (first < bar->value() || first >= bar->value() + rows) bar->setValue(first - rows / 2);
}

void CodeLinks::FromSource() {
  source_.SetHighlights({});
  HighlightWords(WordsOfLine(history_().wordSourceLine, source_.textCursor().blockNumber() + 1));
}

void CodeLinks::FromCode() {
  const CompileHistory& c = history_();
  const int word = code_.textCursor().blockNumber();
  if (word < 0 || static_cast<std::size_t>(word) >= c.wordSourceLine.size()) return;
  const int line = c.wordSourceLine[static_cast<std::size_t>(word)];
  const QTextBlock block = source_.document()->findBlockByNumber(line - 1);
  if (!block.isValid()) return;
  linking_ = true;
  source_.setTextCursor(QTextCursor(block));
  source_.ensureCursorVisible();
  linking_ = false;
  source_.SetHighlights({LineHighlight(QTextCursor(block))});
  HighlightWords(WordsOfLine(c.wordSourceLine, line));
}

}  // namespace q41::ui

#pragma once
// The editors as their user meets them: their texts in UTF-8, for readable expectations, the
// rows they highlight, and a click or the caret on a row.

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTest>
#include <QTextBlock>

#include "common/cp1251.hpp"
#include "ui/app/qt_text.hpp"

namespace q41::ui::test {

// The editor's lines, in UTF-8 for readable expectations.
inline QStringList Text(const QPlainTextEdit& editor) {
  QStringList out;
  for (const auto& line : LinesOf(editor)) out << QString::fromStdString(Cp1251ToUtf8(line));
  return out;
}

// Replaces the editor's text as a paste over all of it would, a line break after each line.
inline void SetText(QPlainTextEdit& editor, const QStringList& lines) {
  editor.setPlainText(lines.isEmpty() ? QString() : lines.join('\n') + '\n');
}

// The rows of an editor that carry a highlight of a whole line.
inline QList<int> HighlightedRows(const QPlainTextEdit& editor) {
  QCoreApplication::processEvents();  // the source editor refreshes from the event loop
  QList<int> rows;
  for (const QTextEdit::ExtraSelection& s : editor.extraSelections()) {
    if (s.format.property(QTextFormat::FullWidthSelection).toBool() &&
        s.format.background().color() == QColor(0xFF, 0xF0, 0xA0)) {
      rows << s.cursor.blockNumber();
    }
  }
  return rows;
}

// Clicks the editor's `row` (0-based), as the user would.
inline void ClickRow(QPlainTextEdit& editor, int row) {
  const QRect r = editor.cursorRect(QTextCursor(editor.document()->findBlockByNumber(row)));
  QTest::mouseClick(editor.viewport(), Qt::LeftButton, {}, r.center());
}

// Puts the caret at the start of the editor's `row` (0-based).
inline void PutCaret(QPlainTextEdit& editor, int row) {
  editor.setTextCursor(QTextCursor(editor.document()->findBlockByNumber(row)));
}

}  // namespace q41::ui::test

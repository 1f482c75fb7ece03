#pragma once
// The editors' texts in UTF-8, for readable expectations.

#include <QPlainTextEdit>
#include <QStringList>

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

}  // namespace q41::ui::test

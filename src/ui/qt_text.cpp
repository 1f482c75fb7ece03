#include "ui/qt_text.hpp"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "common/cp1251.hpp"

namespace q41::ui {

QString ToQt(std::string_view bytes) {
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (char c : bytes) *out++ = QChar(Cp1251ToUnicode(static_cast<unsigned char>(c)));
  return text;
}

std::string FromQt(QStringView text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text[i].unicode();
    if (u < 0x80) {
      bytes += static_cast<char>(u);
      continue;
    }
    // A character outside the code page, a pair of surrogates included, becomes one "?".
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
    const int b = text[i].isSurrogate() ? -1 : UnicodeToCp1251(u);
    bytes += b < 0 ? '?' : static_cast<char>(b);
  }
  return bytes;
}

Lines LinesOf(const QPlainTextEdit& editor) {
  const QTextDocument* document = editor.document();
  Lines lines;
  if (document->isEmpty()) return lines;
  lines.reserve(static_cast<std::size_t>(document->blockCount()));
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    lines.push_back(FromQt(block.text()));
  }
  // A text that ends in a line break has an empty last block: not a line of its own.
  if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  return lines;
}

void SetLines(QPlainTextEdit& editor, const Lines& lines) {
  // Every line ends in a line break, as in a file, so an empty last line survives.
  QString text;
  std::size_t size = 0;
  for (const auto& line : lines) size += line.size() + 1;
  text.reserve(static_cast<qsizetype>(size));
  for (const auto& line : lines) {
    text += ToQt(line);
    text += QChar('\n');
  }
  editor.setPlainText(text);
}

EditorLines::EditorLines(QPlainTextEdit& editor) : editor_(editor) {
  QObject::connect(editor.document(), &QTextDocument::contentsChanged, &editor,
                   [this] { valid_ = false; });
}

const Lines& EditorLines::Get() const {
  if (!valid_) {
    lines_ = LinesOf(editor_);
    valid_ = true;
  }
  return lines_;
}

void EditorLines::Set(const Lines& lines) {
  if (Get() == lines) return;
  SetLines(editor_, lines);
  lines_ = lines;
  valid_ = true;
}

void ApplySelection(QPlainTextEdit& editor, const Selection& selection) {
  if (selection.kind == Selection::Kind::Unchanged) return;
  QTextCursor cursor = editor.textCursor();
  if (selection.kind == Selection::Kind::Clear) {
    cursor.clearSelection();
    editor.setTextCursor(cursor);
    return;
  }
  const QTextBlock block = editor.document()->findBlockByNumber(selection.row);
  if (!block.isValid()) return;
  cursor.setPosition(block.position());
  cursor.setPosition(block.position() + selection.length, QTextCursor::KeepAnchor);
  editor.setTextCursor(cursor);
}

}  // namespace q41::ui

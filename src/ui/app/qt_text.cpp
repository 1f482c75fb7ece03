#include "ui/app/qt_text.hpp"

#include <QCoreApplication>
#include <QFile>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>

#include "common/cp1251.hpp"

namespace q41::ui {

void AppendQt(QString& text, std::string_view bytes) {
  const qsizetype at = text.size();
  text.resize(at + static_cast<qsizetype>(bytes.size()));
  QChar* out = text.data() + at;
  for (char c : bytes) *out++ = QChar(Cp1251ToUnicode(static_cast<unsigned char>(c)));
}

QString ToQt(std::string_view bytes) {
  QString text;
  AppendQt(text, bytes);
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

QString Keepable(QStringView text) {
  return ToQt(FromQt(text));
}

QStringList Unkeepable(QStringView text) {
  QStringList out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text[i].unicode();
    if (u < 0x80) continue;
    const bool pair =
        text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    const QString character = text.sliced(i, pair ? 2 : 1).toString();
    if (pair) ++i;
    if ((pair || text[i].isSurrogate() || UnicodeToCp1251(u) < 0) && !out.contains(character)) {
      out << character;
    }
  }
  return out;
}

KeepNotices& KeepNotices::Get() {
  auto* notices = qApp->findChild<KeepNotices*>(QString(), Qt::FindDirectChildrenOnly);
  return notices != nullptr ? *notices : *new KeepNotices(qApp);
}

void KeepNotices::TookIn(QWidget& editor, QStringView text) {
  const QStringList lost = Unkeepable(text);
  if (!lost.isEmpty()) emit NotKept(&editor, lost);
}

std::string LocalPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString DroppedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) return url.toLocalFile();
  }
  return {};
}

QValidator::State KeepableTextValidator::validate(QString& input, int& position) const {
  const QString kept = Keepable(input);
  if (kept != input) {
    if (auto* field = qobject_cast<QWidget*>(parent())) KeepNotices::Get().TookIn(*field, input);
    // A pair of surrogates became one "?": the caret moves back by what went.
    position = std::max(0, position - static_cast<int>(input.size() - kept.size()));
    input = kept;
  }
  return Acceptable;
}

Lines LinesOf(const QPlainTextEdit& editor) {
  const QTextDocument* document = editor.document();
  Lines lines;
  if (document->isEmpty()) return lines;
  lines.reserve(static_cast<std::size_t>(document->blockCount()));
  // The raw text holds the blocks apart by paragraph separators, which no block's text
  // contains; one pass over it is several times faster than asking block by block.
  const QString raw = document->toRawText();
  const QStringView text(raw);
  qsizetype start = 0;
  for (qsizetype end; (end = text.indexOf(QChar::ParagraphSeparator, start)) >= 0;
       start = end + 1) {
    lines.push_back(FromQt(text.sliced(start, end - start)));
  }
  lines.push_back(FromQt(text.sliced(start)));
  // A text that ends in a line break has an empty last block: not a line of its own.
  if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  return lines;
}

}  // namespace q41::ui

#pragma once
// The one place where the system's Windows-1251 texts meet Qt's Unicode strings. Every byte
// value converts to a character and back unchanged; a character the code page cannot hold
// becomes "?" on the way back.

#include <QObject>
#include <QPlainTextEdit>
#include <QString>
#include <QValidator>
#include <string>
#include <string_view>

#include "common/err_diag.hpp"
#include "common/text.hpp"

class QMimeData;

namespace q41::ui {

QString ToQt(std::string_view bytes);
// Appends the characters of `bytes` to `text`: a text made of many pieces is made once.
void AppendQt(QString& text, std::string_view bytes);
// A file's path as the system's calls take it.
std::string LocalPath(const QString& path);
// The first local file a drag carries, or nothing: text dragged is no file.
QString DroppedFile(const QMimeData* data);
std::string FromQt(QStringView text);
// The text as the program will keep it: each character the code page cannot hold is "?".
QString Keepable(QStringView text);
// The characters of `text` that the code page cannot hold, each once, in the order they come
// (a pair of surrogates is one character); empty when it holds them all.
QStringList Unkeepable(QStringView text);

// Where every editor tells that a text it took in (typed, pasted, dropped or composed) held
// characters that became "?": once for each text taken in. The program tells the user.
class KeepNotices : public QObject {
  Q_OBJECT
 public:
  // The application's one, made when first asked for and owned by the application.
  static KeepNotices& Get();
  // `editor` took in `text`: tells of its characters that became "?", if any.
  void TookIn(QWidget& editor, QStringView text);

 signals:
  void NotKept(QWidget* editor, const QStringList& characters);

 private:
  using QObject::QObject;
};

// The same for a one-line edit.
class KeepableTextValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& position) const override;
};

// The lines of an editor. An empty editor has no lines; otherwise a final line break makes
// no extra line, as in the files.
Lines LinesOf(const QPlainTextEdit& editor);

}  // namespace q41::ui

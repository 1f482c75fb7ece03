#pragma once
// The one place where the system's Windows-1251 texts meet Qt's Unicode strings. Every byte
// value converts to a character and back unchanged; a character the code page cannot hold
// becomes "?" on the way back.

#include <QCursor>
#include <QObject>
#include <QPlainTextEdit>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QValidator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/err_diag.hpp"
#include "common/text.hpp"

class QMimeData;
class QTextDocument;
class QThread;

namespace q41::ui {

QString ToQt(std::string_view bytes);
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

// A multi-line editor that takes in only what the code page can hold: a character typed,
// pasted, dropped or composed that it cannot hold enters as "?", so what the user sees is
// what the program keeps. Shift+Return starts a new line as Return does, not a line break
// inside the line that no file could hold.
//
// The toolkit shapes a line's text anew for every question about it (where the caret is,
// drawing it, drawing the caret) and forgets the result at once; for a line of a million
// characters that is a large part of a second each time, at every keystroke and every blink
// of the caret, also of a long line beside the caret's. The editor has the toolkit keep the
// shaped text of the long lines on screen and of the caret's, and of no other, since shaped
// text takes some tens of bytes a character. Drawing a line also passes over every character
// of it, however little of it is in sight, so the editor draws those lines itself from the
// part in sight, as the toolkit would draw them, pixel for pixel.
class Memo : public QPlainTextEdit {
 public:
  explicit Memo(QWidget* parent) : QPlainTextEdit(parent) {}

  // Whether the shaped text of `block` is kept.
  bool IsHeld(const QTextBlock& block) const;
  // Lines longer than this many characters are held; a test sets it out of reach to see the
  // toolkit's own drawing.
  void SetLongLine(int characters);
  // Holds the caret's line and the lines on screen that are long, and lets go of the rest;
  // each drawing does it, and so should whoever asks about the lines on screen before one.
  void HoldLongLines();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  // A file dragged here is no text: the window it is dropped on decides what it means.
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // A part of a held line: its characters from `from` on, laid out as one line that stands
  // at `x` on the whole line, whose top is `y` in the block.
  struct Slice {
    QTextBlock block;
    int from = 0;
    std::shared_ptr<QTextLayout> layout;
    qreal x = 0;
    qreal y = 0;
  };
  // The part in sight of `area` of each held line that the toolkit would draw for it, laid
  // out as the whole line lays it out; none when no held line is in `area`, or when a part
  // could not stand for its whole line.
  std::optional<std::vector<Slice>> SlicesOf(const QRect& area) const;
  std::optional<Slice> SliceOf(const QTextBlock& block, const QRect& area) const;
  void PaintWithSlices(QPaintEvent* event, const std::vector<Slice>& slices);

  int longLine_ = 2000;
  std::vector<QTextCursor> held_;  // each at the start of a held line
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

// The lines of an editor, read once and then kept in step with each edit: reading a large
// editor whole is costly, and the block model asks for the lines at every store. Setting
// lines the editor already shows leaves it alone (caret, undo and all).
//
// Laying out a text of hundreds of thousands of lines, or a line of hundreds of thousands of
// characters, takes the toolkit seconds, so such a text is laid out on a worker thread:
// meanwhile the editor shows the start of the text and takes no input, Get() already gives
// the whole text, and a selection waits for it.
class EditorLines : public QObject {
  Q_OBJECT
 public:
  explicit EditorLines(QPlainTextEdit& editor);
  ~EditorLines() override;
  const Lines& Get() const;
  void Set(const Lines& lines);
  // The editor takes turns at several texts (the blocks), and each keeps its own document,
  // and with it its undo history, while another is shown: `key` names the text to show. A
  // text shown again comes back with its history; changed meanwhile elsewhere (in another
  // window), it takes the change as one more edit, which Undo takes back.
  void Show(int key, const Lines& lines);
  // The text of `key` is gone (its block was cleared): its document and history go with it,
  // and what shows it next starts afresh.
  void Forget(int key);
  // The editor's own read-only switch, which a text being laid out holds on until it is done.
  void SetReadOnly(bool readOnly);
  // Places the caret at the start of the row and selects the characters, or clears the
  // selection, as a run asks: at once, or when the text being laid out is in place.
  void Select(const Selection& selection);
  // Whether any editor's text is still being laid out.
  static bool Loading();

 signals:
  // The text changed by an edit of the user's: typed, deleted, pasted, dropped, undone or
  // redone. A text put in place as a whole (by the program, or by setPlainText) is none.
  void UserEdited();
  // A whole text was put in place (by Set, or when one laid out in the background is
  // done; not its preview): the editor tells of no change of its own then.
  void Installed();

 private:
  struct Load;
  // Set, also when the editor holds the lines already: a new document.
  void Replace(const Lines& lines);
  // `whole` is false for the start of a text shown while the rest is laid out.
  void Install(QTextDocument* document, bool whole = true);
  // Turns the text shown into `lines` by one edit of the lines that differ; false, with the
  // text as it was, when that cannot be done (a text still being laid out, or a large one).
  bool Merge(const Lines& lines);
  void Follow(const QTextDocument& document);
  void Edited(int position, int removed, int added);
  void Dispose(QTextDocument* document);
  void Cancel();
  void Loaded();
  static void InstallNext();

  QPlainTextEdit& editor_;
  mutable std::shared_ptr<Lines> lines_;  // shared with a worker laying them out
  mutable bool valid_ = false;
  mutable std::size_t blocks_ = 0;  // the editor's blocks when the lines were last right
  bool readOnly_;
  QCursor idleCursor_;
  std::unique_ptr<Load> load_;
  std::unique_ptr<QThread> disposer_;
  int generation_ = 0;
  Selection pendingSelection_;
  // The texts of Show: the one shown, and the documents of the others, children of the editor.
  int shownKey_ = -1;
  std::map<int, QTextDocument*> parked_;
  // Set while Install is to keep the document it replaces, for this key, instead of disposing it.
  int parkAs_ = -1;
  bool merging_ = false;  // while Merge edits: no edit of the user's here
};

}  // namespace q41::ui

#pragma once

#include <QCursor>
#include <QObject>
#include <QPlainTextEdit>
#include <map>
#include <memory>

#include "common/err_diag.hpp"
#include "common/text.hpp"

class QTextDocument;
class QThread;

namespace q41::ui {

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

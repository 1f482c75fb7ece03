#pragma once
// What a source editor knows of the language while the user types, all of it asked of the
// language service: the first fault (or a warning) of the text marked where it is, a
// description on hovering a mnemonic, name, number or register, the uses of the name under
// the caret shown faintly, F12 and Ctrl+click going to a name's definition (in the block or
// in the GLOBAL text), and completion of mnemonics, registers and names (Ctrl+Space, or two
// letters typed at the start of a statement). The language service filters the words and
// describes the few shown, so the list opens at once among a hundred thousand names.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "language/service.hpp"
#include "ui/editor/asm_editor.hpp"

class QCompleter;
class QKeyEvent;
class QPlainTextEdit;

namespace q41::ui {

class CompletionRows;
class EditorLines;
class LiveCheck;

class SourceAssist : public QObject {
 public:
  // `editor` holds the block's source (its lines `source`); `global` is the GLOBAL text's
  // editor (its lines `globalLines`), where a definition there is shown.
  SourceAssist(AsmEditor& editor, const EditorLines& source, QPlainTextEdit& global,
               const EditorLines& globalLines, Language language);
  ~SourceAssist() override;

  LiveCheck& Check() { return *check_; }
  // The completion list (its popup shows while it is open).
  QCompleter* Completer() const { return completer_; }
  // Goes to the definition of the name at the caret: the caret stands at the start of the
  // name there, nothing selected (GLOBAL has no undo of its own, and a key typed would
  // replace a selection); false when there is none.
  bool GoToDefinition();
  // Opens the completion list for the word before the caret, also where no word is begun
  // yet (an operand, after "#") and for a word typed whole, as Ctrl+Space does.
  void Complete();
  // Closes the completion list: a command runs, the text or the focus goes elsewhere.
  void CloseList();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowCheck();
  void ShowUses();
  bool ShowHover(const QPoint& at, const QPoint& global);
  void TypedLetter();
  void ShowList(bool asked);
  int ListWidth() const;
  void TakeCompletion();
  bool WordIsComplete() const;
  bool CompletionKey(QKeyEvent& key);

  AsmEditor& editor_;
  QPlainTextEdit& global_;
  const EditorLines& globalLines_;
  QList<AsmEditor::Diagnostic> shownMarks_;  // of the last check, to tell when they change
  QString hoverTip_;                         // the last tooltip shown over the editor
  Language language_;
  std::unique_ptr<LiveCheck> check_;
  QCompleter* completer_ = nullptr;
  CompletionRows* rows_ = nullptr;
  int listCaret_ = -1;  // where the caret stood when the list was filled
};

}  // namespace q41::ui

#pragma once
// What a source editor knows of the language while the user types, all of it asked of the
// language service: the first fault (or a warning) of the text marked where it is, a
// description on hovering a mnemonic, name, number or register, the uses of the name under
// the caret shown faintly, F12 and Ctrl+click going to a name's definition (in the block or
// in the GLOBAL text), and completion of mnemonics, registers and names (Ctrl+Space, or two
// letters typed at the start of a statement).

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "language/service.hpp"
#include "ui/asm_editor.hpp"

class QCompleter;
class QKeyEvent;
class QPlainTextEdit;
class QStandardItemModel;

namespace q41::ui {

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
  // Goes to the definition of the name at the caret; false when there is none.
  bool GoToDefinition();
  // Opens the completion list for the word before the caret.
  void Complete();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowCheck();
  void ShowUses();
  bool ShowHover(const QPoint& at, const QPoint& global);
  void TypedLetter();
  void TakeCompletion();
  void CloseList();
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
  QStandardItemModel* completions_ = nullptr;
};

}  // namespace q41::ui

#pragma once
// The program: its windows, created in the start-up order, and the state they share. The
// windows reach each other and the shared state through it.

#include <QKeySequence>
#include <QList>
#include <QLocale>
#include <QObject>
#include <functional>
#include <memory>

#include "blocks/block_model.hpp"
#include "blocks/compile.hpp"
#include "blocks/presenter.hpp"
#include "ui/app/dialogs.hpp"
#include "ui/app/i_face.hpp"
#include "ui/app/zoom.hpp"

class QTranslator;

namespace q41::ui {

class TForm1;
class TForm2;
class THF;
class ProgramFiles;

// Keeps the keys of the menu's shortcuts from the focused control, so that the menu command
// runs instead: Qt's editors would take Ctrl+C, Ctrl+V and the like for themselves. A window
// with the property OwnsEditKeys set keeps them: its fields are no block's text.
inline constexpr const char* OwnsEditKeys = "q41OwnsEditKeys";
class ShortcutGuard : public QObject {
 public:
  void SetKeys(QList<QKeySequence> keys) { keys_ = std::move(keys); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QList<QKeySequence> keys_;
};

// Makes the allocator serve every block from the heap and keep up to 64 MB of freed memory.
// Laying out a large text allocates and frees buffers of megabytes each time; mapped afresh
// every time, their pages cost faults, which for a line of a million characters take four
// fifths of each layout. Called before anything is allocated.
void TuneAllocator();

class Application {
 public:
  // Creates the windows in the start-up order: the main window, the compile-text window
  // (hidden), then the all-blocks window, whose creation starts the first program. In the
  // Russian interface the toolkit speaks Russian too (its buttons, file and print dialogs),
  // from its own translations, and every control writes numbers and dates as the interface
  // language does, while the program runs.
  // `dialogs` answers the message boxes; null means the toolkit's own.
  Application(Language language, Dialogs* dialogs = nullptr);
  ~Application();

  // The message loop's first showing: the main window centred, in front and active.
  void Show();

  TForm1& Form1() { return *form1_; }
  TForm2& Form2() { return *form2_; }
  // Null only while the all-blocks window is being built.
  THF* HF() { return hf_.get(); }
  Dialogs& dialogs() { return *dialogs_; }
  BlockModel& model() { return *model_; }
  // Where the current block's truth is, and how commands run.
  Presenter& presenter() { return *presenter_; }
  // Opening, saving, closing and the unsaved work; null while the windows are being built.
  ProgramFiles& Files() { return *files_; }
  ProgramFiles* FilesIfAny() { return files_.get(); }
  // The user edited the program.
  void Edited();
  // At start-up, once the main window is shown: the work left by instances that ended
  // without saving it, then the file named on the command line (`path`, when not empty).
  void Start(const QString& path);
  // Puts the interface texts in place; the main window does it when first shown.
  void ApplyInterfaceLanguage();

  // Runs a command of the main window's menu or buttons through the presenter (see
  // Presenter::RunCommand); a look at the program file that came due meanwhile follows.
  void RunCommand(const std::function<void()>& command);
  // A window of the program took the activation (the user may come from another instance
  // that saved the same file): the program file is looked at once the command running, or
  // the modal window open, is done.
  void CheckDisk();

  CompileSettings settings;
  CompileWorkspace workspace;
  InterfaceMessages messages;

 private:
  // Tells, beside the caret of `editor`, which characters it took in became "?".
  void TellNotKept(QWidget& editor, const QStringList& characters) const;

  std::unique_ptr<Dialogs> ownDialogs_;
  Dialogs* dialogs_;
  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TForm2> form2_;
  std::unique_ptr<BlockModel> model_;
  std::unique_ptr<Presenter> presenter_;
  std::unique_ptr<THF> hf_;
  std::unique_ptr<ProgramFiles> files_;
  std::unique_ptr<QTranslator> toolkitTexts_;
  QLocale formerLocale_;
  ShortcutGuard guard_;
  TextZoom zoom_;
  bool diskCheckDue_ = false;  // an activation came while a command ran
};

}  // namespace q41::ui

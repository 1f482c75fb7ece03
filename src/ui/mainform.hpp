#pragma once
// The main window: the source editor of the current block, its code, the label grid, the
// block lamps, the program header and GLOBAL texts, and the menu from which every command
// starts. It is the block model's working copy of the current block (BlockView).

#include <QMainWindow>
#include <QPointer>
#include <array>

#include <memory>

#include "blocks/block_view.hpp"
#include "blocks/listing.hpp"
#include "ui/asm_editor.hpp"
#include "ui/qt_text.hpp"

class QAction;
class QCheckBox;
class QFileDevice;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTabBar;
class QTableView;
class QToolButton;

namespace q41::ui {

class Lamp;
class LabelGridModel;
class FindDialog;
class ListingWindow;
class ReferenceWindow;
class Program;
class RadioGroup;

class TForm1 : public QMainWindow, public BlockView, private AssemblerWarnings {
  Q_OBJECT
 public:
  explicit TForm1(Program& program);
  ~TForm1() override;

  // BlockView
  Lines Source() const override;
  void SetSource(const Lines& source) override;
  Lines Code() const override;
  bool CodeFromFailedCompile() const override { return codeFromFailedCompile_; }
  void SetCode(const Lines& code, bool fromFailedCompile) override;
  std::string PpuListCaption() const override;
  void SetPpuListCaption(const std::string& text) override;
  void SetPpuBoxes(const PpuSet& set) override;
  std::string CpuAddress() const override;
  void SetCpuAddress(const std::string& text) override;
  std::string PpuAddress() const override;
  void SetPpuAddress(const std::string& text) override;
  std::string WordCount() const override;
  void SetWordCount(const std::string& text) override;
  void SourceCaretToStart() override;
  void FocusSource() override;
  Lines Header() const override;
  void SetHeader(const Lines& header) override;
  Lines GlobalText() const override;
  void SetGlobalText(const Lines& glob) override;
  int MemoryMode() const override;
  void SetMemoryMode(int mode) override;
  void MemoryTypeRefused(const std::string& text) override;
  int TabCount() const override;
  void AddTab(const std::string& caption) override;
  void RemoveLastTab() override;
  void SelectTab(int index) override;
  Lines CompText() const override;
  void SetCompText(const Lines& text) override;
  void SetCompileTextVisible(bool visible) override;
  void ShowLabels() override;
  void CompileRecorded(int block) override;
  void SetStatus(const StatusReport& status) override;
  std::string LineCaption() const override;
  void SetLineCaption(const std::string& text) override;
  void SetLamp(int block, LampColor color) override;
  void SetBlockEnabled(int block, bool enabled) override;
  void StoredBlockChanged(int block) override;
  void BlockShown(int block) override;
  bool Ask(Question question, int block) override;
  void ProgramChanged(bool modified) override;
  void NewBlockRestricted() override;
  AssemblerWarnings& Warnings() override { return *this; }

  QColor LampColorOf(LampColor color) const;
  // A notice in the status bar below the window's controls, which shows only while there is
  // one; an empty text takes it away.
  void ShowNotice(const QString& text);

  // The controls, by their design names.
  QPlainTextEdit* fileHeader;
  QPlainTextEdit* Glob;
  RadioGroup* RadioGroup1;
  QToolButton* SpeedButton2;
  QGroupBox* GroupBox2;
  std::array<Lamp*, 6> BlockLamps;
  QLabel* Label1;
  QWidget* BlckCtrl;
  QTabBar* BlckTabs;
  QGroupBox* GroupBox1;
  std::array<QCheckBox*, 4> PpuBoxes;  // p1 to p4
  QLabel* Label5;
  QLabel* PPUlist;
  QToolButton* BP;
  QToolButton* BM;
  QLabel* Label2;
  QLineEdit* Edit2;
  QLabel* Label3;
  QLineEdit* Edit3;
  QToolButton* SpeedButton1;
  QLabel* Label4;
  QLabel* NwordsLab;
  AsmEditor* asmText;
  QPlainTextEdit* codeText;
  QTableView* labels;
  LabelGridModel* labelsModel;
  QLabel* LineLab;
  QLabel* ErrLab;

  // The menu, by design names.
  QMenu* File1;
  QMenu* Edit1;
  QMenu* View1;
  QMenu* Run1;
  QMenu* Help1;
  QAction* new1;
  QAction* OpenAsm1;
  QAction* SaveAsm1;
  QAction* SaveCod1;
  QAction* Exit1;
  QAction* Cut1;
  QAction* Copy1;
  QAction* Paste1;
  QAction* SelectAll1;
  QAction* UnDo1;
  QAction* ClearAsm1;
  QAction* ClearCode1;
  QAction* Find1;
  QAction* CompText1;
  QAction* AllBlocks1;
  QAction* Listing1;
  QAction* CompAll1;
  QAction* CompAndPreproc1;
  QAction* Compile1;
  QAction* Preprocess1;
  QAction* Reference1;

  // Every action with a shortcut, for the guard that keeps those keys from the editors.
  QList<QAction*> ShortcutActions() const;

  // The listing window; null until first opened.
  ListingWindow* Listing() { return listing_.get(); }
  // The instruction reference window; null until first opened.
  ReferenceWindow* Reference() { return reference_.get(); }
  // The find and replace dialog; null until first opened.
  FindDialog* Find() { return find_.get(); }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // A program file dropped anywhere on the window opens as Open .ASM opens one.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls(QWidget* client);
  void BuildMenu();
  void SetTabOrder();

  // Command handlers.
  void p1Click();
  void BlckCtrlChange(int index);
  // The user's edits of the program-wide fields and the working copy make the program
  // modified.
  void FollowEdits();
  void Cut1Click();
  void Copy1Click();
  void Paste1Click();
  void SelectAll1Click();
  void UnDo1Click();
  void ClearAsm1Click();
  void ClearCode1Click();
  void CompText1Click();
  void AllBlocks1Click();
  void Listing1Click();
  void Reference1Click();
  void Find1Click();
  void SaveListing();
  // The listing window, when open, shows the current block's last compile.
  void RefreshListing();
  // The code words of the source line with the caret, highlighted; the source line of the
  // code word with the caret, under the caret and highlighted.
  void LinkFromSource();
  void LinkFromCode();
  void HighlightWords(WordRange words);
  void DropLinks();
  // The current block's compile history in the editors: its fault mark, and its links when
  // the text and code shown are the ones it compiled.
  void ShowHistory();
  void SetListingTitle(bool stale);
  void CompAndPreproc1Click();
  void Compile1Click();
  void Preprocess1Click();

  // AssemblerWarnings: a modal box; the assembly waits for it.
  void Warning(const std::string& text) override;

  Program& program_;
  // The lines of asmText, codeText, fileHeader and Glob.
  std::unique_ptr<EditorLines> source_, code_, header_, glob_;
  bool shownOnce_ = false;
  bool codeFromFailedCompile_ = false;
  // Tabs changed by the model rather than by the user run no tab-change command.
  bool changingTabs_ = false;

  // Whether the links between code and source hold: the block's history said its compile is
  // the text and code shown, when the block was shown or compiled, and neither changed since.
  // Kept because asking the history again at every caret move would compare the whole text.
  bool linked_ = false;
  // Set while one editor's caret is moved to follow the other's.
  bool linking_ = false;
  std::unique_ptr<ListingWindow> listing_;
  std::unique_ptr<ReferenceWindow> reference_;
  std::unique_ptr<FindDialog> find_;
  // The source editor that last had the keyboard: what the find dialog searches.
  QPointer<QPlainTextEdit> lastSourceEditor_;
};

}  // namespace q41::ui

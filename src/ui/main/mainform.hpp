#pragma once
// The main window: the source editor of the current block, its code, the label grid, the
// block lamps, the program header and GLOBAL texts, and the menu from which every command
// starts. It is the block model's working copy of the current block (see BlockViews).

#include <QMainWindow>
#include <memory>

#include "blocks/block_view.hpp"
#include "ui/editor/editor_lines.hpp"
#include "ui/main/main_controls.hpp"

namespace q41::ui {

class CodeLinks;
class Application;
class SourceAssist;
class ToolWindows;

class TForm1 : public QMainWindow,
               public WorkingCopy,
               public BlockFields,
               public ProgramFields,
               public BlockTabs,
               public CompileDisplay,
               public Questions,
               private AssemblerWarnings {
  Q_OBJECT
 public:
  explicit TForm1(Application& program);
  ~TForm1() override;

  // The roles the block model sees the window in.
  BlockViews Views() { return {*this, *this, *this, *this, *this, *this}; }
  // The controls and menu items, by their design names.
  MainControls& Controls() { return ui_; }
  // The listing, the instruction reference and the find dialog.
  ToolWindows& Tools() { return *tools_; }
  // What the source editor knows of the language: the check as you type, hover, definitions
  // and completion.
  SourceAssist& Assist() { return *assist_; }

  // The block controls' handlers, which the menu's commands share: the block model's
  // operations (the menu and the buttons run them as commands).
  void CompAndPreproc1Click();
  void SpeedButton2Click();
  void BPClick();
  void BMClick();
  void BlckCtrlChange(int tab);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // A program file dropped anywhere on the window opens as Open .ASM opens one.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // What the block model sees of the window: the working copy of the current block in the
  // controls, and the questions and notices in message boxes.
  Lines Source() const override;
  void SetSource(const Lines& source, int block) override;
  void BlockCleared(int block) override;
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
  void SetLamp(int block, LampColor color) override;
  void BlockShown(int block) override;
  bool Ask(Question question, int block) override;
  void ProgramChanged(bool modified) override;
  void NewBlockRestricted() override;
  AssemblerWarnings& Warnings() override { return *this; }
  // AssemblerWarnings: a modal box; the assembly waits for it.
  void Warning(const std::string& text) override;

  // The controls' own commands: the buttons, the tabs and the PPU boxes.
  void ConnectControls();
  // The user's edits of the program-wide fields and the working copy make the program
  // modified.
  void FollowEdits();
  // The PPU list caption follows the boxes.
  void ShowPpuList();
  // The current block's compile history in the editors: its fault mark, and its links when
  // the text and code shown are the ones it compiled.
  void ShowHistory();

  Application& program_;
  MainControls ui_;
  // The lines of asmText, codeText, fileHeader and Glob.
  std::unique_ptr<EditorLines> source_, code_, header_, glob_;
  std::unique_ptr<CodeLinks> links_;
  std::unique_ptr<ToolWindows> tools_;
  std::unique_ptr<SourceAssist> assist_;
  bool shownOnce_ = false;
  bool codeFromFailedCompile_ = false;
};

}  // namespace q41::ui

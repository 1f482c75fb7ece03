#pragma once
// The main window as its user meets it: the source to type into and read, the code, the
// program fields, the block tabs and lamps, the status lines, the label grid, the menu items and
// buttons. The tests reach the window through this alone, so a control that moves or changes
// its kind is mended here once.

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "editor_text.hpp"
#include "ui/app/widgets.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/main/main_controls.hpp"
#include "ui/main/mainform.hpp"

namespace q41::ui::test {

class MainWindow {
 public:
  using Item = QAction* MainControls::*;
  using MenuOf = QMenu* MainControls::*;

  explicit MainWindow(TForm1& window) : window_(window) {}
  TForm1& Window() const { return window_; }

  // The source editor: its lines in UTF-8, a paste over all of it, typing and keys.
  AsmEditor& SourceEditor() const { return *c().asmText; }
  QStringList Source() const { return Text(*c().asmText); }
  void SetSource(const QStringList& lines) const { SetText(*c().asmText, lines); }
  void TypeInSource(const QString& text) const { QTest::keyClicks(c().asmText, text); }
  void PressInSource(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
    QTest::keyClick(c().asmText, key, modifiers);
  }

  // The block's code, the program's globals and its header.
  QPlainTextEdit& CodeView() const { return *c().codeText; }
  QStringList Code() const { return Text(*c().codeText); }
  QPlainTextEdit& GlobalsEditor() const { return *c().Glob; }
  QStringList Globals() const { return Text(*c().Glob); }
  void SetGlobals(const QStringList& lines) const { SetText(*c().Glob, lines); }
  QPlainTextEdit& HeaderEditor() const { return *c().fileHeader; }
  QStringList Header() const { return Text(*c().fileHeader); }

  // The two status lines under the editors.
  QLabel& LineStatusLabel() const { return *c().LineLab; }
  QString LineStatus() const { return c().LineLab->text(); }
  QLabel& FaultStatusLabel() const { return *c().ErrLab; }
  QString FaultStatus() const { return c().ErrLab->text(); }

  // The blocks: their tabs, the buttons that add and delete one, the lamps.
  QTabBar& Tabs() const { return *c().BlckTabs; }
  int BlockCount() const { return c().BlckTabs->count(); }
  int CurrentBlock() const { return c().BlckTabs->currentIndex(); }
  QString TabCaption(int index) const { return c().BlckTabs->tabText(index); }
  void ChooseTab(int index, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
    QTest::mouseClick(c().BlckTabs, Qt::LeftButton, modifiers,
                      c().BlckTabs->tabRect(index).center());
  }
  QToolButton& AddBlockButton() const { return *c().BP; }
  void AddBlock() const { QTest::mouseClick(c().BP, Qt::LeftButton); }
  void DeleteBlock() const { QTest::mouseClick(c().BM, Qt::LeftButton); }
  QToolButton& DeleteBlockButton() const { return *c().BM; }
  Lamp& LampOf(int block) const { return *c().BlockLamps[block]; }
  QColor LampColour(int block) const { return c().BlockLamps[block]->Color(); }
  QGroupBox& LampGroup() const { return *c().GroupBox2; }
  QToolButton& CompileBlockButton() const { return *c().SpeedButton1; }
  QToolButton& CompileAllButton() const { return *c().SpeedButton2; }

  // The block's fields: its addresses, the PPU boxes and their list, the word count.
  QLineEdit& CpuAddressField() const { return *c().Edit2; }
  QString CpuAddress() const { return c().Edit2->text(); }
  QLineEdit& PpuAddressField() const { return *c().Edit3; }
  QCheckBox& PpuBox(int k) const { return *c().PpuBoxes[k]; }
  const std::array<QCheckBox*, 4>& PpuBoxes() const { return c().PpuBoxes; }
  QGroupBox& PpuGroup() const { return *c().GroupBox1; }
  QString PpuList() const { return c().PPUlist->text(); }
  QString WordCount() const { return c().NwordsLab->text(); }
  QLabel& WordCountCaption() const { return *c().Label4; }

  // The program's memory choice.
  RadioGroup& MemoryChoice() const { return *c().RadioGroup1; }

  // The label grid, by its 1-based rows.
  QTableView& LabelGrid() const { return *c().labels; }
  LabelGridModel& LabelModel() const { return *c().labelsModel; }
  QString Cell(int row, int column) const {
    return c().labelsModel->index(row - 1, column).data().toString();
  }

  // The menus and their items, by their design names.
  QMenu& Menu(MenuOf menu) const { return *(c().*menu); }
  QAction& ItemOf(Item item) const { return *(c().*item); }
  void Choose(Item item) const { (c().*item)->trigger(); }

 private:
  MainControls& c() const { return window_.Controls(); }

  TForm1& window_;
};

}  // namespace q41::ui::test

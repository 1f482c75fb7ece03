#pragma once
// The main window's controls and menu, by their design names, and how they are laid out. The
// window keeps them in one place; what they do lives with the window's commands and its
// adapter of the block model.

#include <array>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTabBar;
class QTableView;
class QToolButton;
class QWidget;

namespace q41 {
class LabelTable;
}

namespace q41::ui {

class AsmEditor;
class Lamp;
class LabelGridModel;
class RadioGroup;

struct MainControls {
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
  QAction* Print1;
  QAction* ExportPdf1;
  QAction* Cut1;
  QAction* Copy1;
  QAction* Paste1;
  QAction* SelectAll1;
  QAction* UnDo1;
  QAction* ClearAsm1;
  QAction* ClearCode1;
  QAction* Find1;
  QAction* Redo1;
  QAction* CompText1;
  QAction* AllBlocks1;
  QAction* Listing1;
  QAction* NextBlock1;
  QAction* PrevBlock1;
  QAction* CompAll1;
  QAction* CompAndPreproc1;
  QAction* Compile1;
  QAction* Preprocess1;
  QAction* Reference1;

  // Creates the controls on the window's client area (752 by 646), at their design places,
  // the label grid showing `labelTable`. The menu is the commands' to build.
  void Build(QWidget* client, const LabelTable& labelTable);
  // Tab and Shift+Tab walk the controls in the design order; the memory group's items join
  // it once the interface texts have made them.
  void SetTabOrder();

 private:
  void BuildProgramRow(QWidget* client);
  void BuildBlockPage(QWidget* client);
  void BuildBlockFields();
  void BuildLabelGrid(QWidget* client, const LabelTable& labelTable);
  void BuildStatusLines(QWidget* client);
};

}  // namespace q41::ui

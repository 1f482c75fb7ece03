#include "ui/main/main_controls.hpp"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>

#include "blocks/block_marker.hpp"
#include "icons.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/style.hpp"
#include "ui/app/widgets.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/editor/memo.hpp"
#include "ui/main/midtext.hpp"

namespace q41::ui {
namespace {

template <typename W>
W* Place(W* widget, const QString& name, int left, int top, int width, int height) {
  widget->setObjectName(name);
  widget->setGeometry(left, top, width, height);
  return widget;
}

QLabel* Caption(QWidget* parent, const char* name, const QString& text, int left, int top,
                int points = 0) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->move(left, top);
  if (points > 0) label->setFont(SansFont(points));
  label->adjustSize();
  return label;
}

QToolButton* PictureButton(QWidget* parent, const char* name, const QIcon& icon, int left, int top,
                           int width, int height) {
  auto* button = Place(new QToolButton(parent), name, left, top, width, height);
  button->setIcon(icon);
  button->setIconSize(QSize(width - 6, height - 6));
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

// Ctrl+Tab and Ctrl+Shift+Tab leave a control as Tab and Shift+Tab do, where the control
// itself has no use for them.
bool CtrlTabLeaves(QObject& control, QKeyEvent& key) {
  const bool tab = key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab;
  if (!tab || !(key.modifiers() & Qt::ControlModifier)) return false;
  const bool back = key.key() == Qt::Key_Backtab || (key.modifiers() & Qt::ShiftModifier);
  QKeyEvent plain(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                  back ? Qt::ShiftModifier : Qt::NoModifier);
  QCoreApplication::sendEvent(&control, &plain);
  return true;
}

}  // namespace

void MainControls::Build(QWidget* client, const LabelTable& labelTable) {
  BuildProgramRow(client);
  BuildBlockPage(client);
  BuildBlockFields();
  BuildLabelGrid(client, labelTable);
  BuildStatusLines(client);
}

void MainControls::BuildProgramRow(QWidget* client) {
  fileHeader = Place(new Memo(client), "fileHeader", 8, 8, 170, 80);
  SetupEditor(*fileHeader, SansFont(8));
  Glob = Place(new Memo(client), "Glob", 184, 8, 170, 80);
  SetupEditor(*Glob, DesignFont());
  RadioGroup1 = Place(new RadioGroup(client), "RadioGroup1", 368, 8, 145, 82);
  SpeedButton2 = PictureButton(client, "SpeedButton2", icons::CompileAll(), 524, 32, 40, 40);

  GroupBox2 = Place(new QGroupBox(client), "GroupBox2", 568, 8, 169, 82);
  const int lampLeft[6] = {11, 37, 63, 89, 115, 141};
  const int titleLeft[6] = {11, 39, 65, 91, 117, 143};
  const char* const titleNames[6] = {"Label11", "Label6", "Label7", "Label8", "Label9", "Label10"};
  for (int k = 0; k < 6; ++k) {
    Caption(GroupBox2, titleNames[k], QString("B%1").arg(k), titleLeft[k], 24);
    BlockLamps[k] = Place(new Lamp(GroupBox2), QString("B%1").arg(k), lampLeft[k], 44, 16, 28);
  }

  Label1 = Caption(client, "Label1", "Q41: CPU + PPU1..PPU4", 560, 96, 11);
  Label1->setStyleSheet("color: grey");
  Label1->adjustSize();
}

// The block tabs with the controls of the current block below them: switching the tab
// changes what the controls hold, not the controls.
void MainControls::BuildBlockPage(QWidget* client) {
  BlckCtrl = Place(new QWidget(client), "BlckCtrl", 8, 96, 505, 481);
  BlckTabs = new QTabBar(BlckCtrl);
  BlckTabs->setObjectName("BlckTabs");
  BlckTabs->setDrawBase(false);
  BlckTabs->setExpanding(false);
  // Six tabs must leave room for the block buttons on the same row.
  BlckTabs->setStyleSheet("QTabBar::tab { padding: 3px 6px; }");
  BlckTabs->addTab(ToQt(BlockCaption(0)));
  BlckTabs->move(2, 0);
  BlckTabs->resize(BlckTabs->sizeHint());
  auto* page = Place(new QFrame(BlckCtrl), "BlckPage", 0, BlckTabs->height() - 1, 505,
                     481 - BlckTabs->height() + 1);
  page->setFrameShape(QFrame::StyledPanel);
  page->lower();

  // The add and delete buttons stand on the tab row, beside the tabs.
  BP = PictureButton(client, "BP", icons::AddBlock(), 8 + 360, 96 - 2, 23, 22);
  BM = PictureButton(client, "BM", icons::DeleteBlock(), 8 + 392, 96 - 2, 25, 22);
}

void MainControls::BuildBlockFields() {
  GroupBox1 = Place(new QGroupBox(BlckCtrl), "GroupBox1", 8, 32, 342, 49);
  const int ppuLeft[4] = {8, 64, 120, 176};
  for (int k = 0; k < 4; ++k) {
    PpuBoxes[k] = Place(new QCheckBox(QString("PPU%1").arg(k + 1), GroupBox1),
                        QString("p%1").arg(k + 1), ppuLeft[k], 20, 57, 17);
  }
  Label5 = Caption(GroupBox1, "Label5", "PPU =", 254, 20, 13);
  PPUlist = Caption(GroupBox1, "PPUlist", "0000", 296, 20, 13);

  Label2 = Caption(BlckCtrl, "Label2", "CPUaddr", 360, 40);
  Edit2 = Place(new QLineEdit("0000", BlckCtrl), "Edit2", 408, 36, 44, 21);
  Label3 = Caption(BlckCtrl, "Label3", "PPUaddr", 360, 64);
  Edit3 = Place(new QLineEdit("0000", BlckCtrl), "Edit3", 408, 60, 44, 21);
  for (QLineEdit* address : {Edit2, Edit3}) {
    address->setValidator(new KeepableTextValidator(address));
  }
  SpeedButton1 = PictureButton(BlckCtrl, "SpeedButton1", icons::CompileBlock(), 460, 34, 40, 40);
  Label4 = Caption(BlckCtrl, "Label4", QString(), 360, 88);
  NwordsLab = Caption(BlckCtrl, "NwordsLab", "0000", 410, 88);

  asmText = Place(new AsmEditor(BlckCtrl, true), "asmText", 8, 88, 342, 385);
  SetupEditor(*asmText, FixedFont());
  codeText = Place(new Memo(BlckCtrl), "codeText", 360, 112, 137, 361);
  SetupEditor(*codeText, FixedFont());
}

void MainControls::BuildLabelGrid(QWidget* client, const LabelTable& labelTable) {
  labels = Place(new QTableView(client), "labels", 520, 116, 217, 453);
  labelsModel = new LabelGridModel(labelTable, labels);
  labels->setModel(labelsModel);
  labels->setFont(FixedFont());
  QHeaderView* header = labels->horizontalHeader();
  header->setFont(FixedFont());
  header->setMinimumSectionSize(8);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setHighlightSections(false);
  labels->verticalHeader()->hide();
  labels->verticalHeader()->setDefaultSectionSize(24);
  labels->setColumnWidth(0, 114);
  labels->setColumnWidth(1, 23);
  labels->setColumnWidth(2, 54);
  labels->setShowGrid(true);
  labels->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // The user reads the grid and does not edit it: the arrows walk its cells, and Tab goes on
  // to the next control, as everywhere else in the window.
  labels->setTabKeyNavigation(false);
  FilterKeyPresses(*labels, CtrlTabLeaves);
  labels->setSelectionMode(QAbstractItemView::ContiguousSelection);
  labels->setWordWrap(false);
}

void MainControls::BuildStatusLines(QWidget* client) {
  auto status = [client](const char* name, int top) {
    auto* label = new StatusLabel(client);
    label->setObjectName(name);
    label->move(8, top);
    label->setFont(SansFont(21));
    label->setFixedSize(752 - 16, 28);
    label->setTextFormat(Qt::PlainText);
    return label;
  };
  LineLab = status("LineLab", 584);
  ErrLab = status("ErrLab", 616);
  // Maroon, and a light red on a dark desktop, where maroon cannot be read.
  auto colour = [label = ErrLab] {
    label->setStyleSheet("color: " + CurrentColours().errorText.name());
  };
  colour();
  QObject::connect(&PaletteWatch::Get(), &PaletteWatch::Changed, ErrLab, colour);
}

void MainControls::SetTabOrder() {
  QList<QWidget*> order = {labels, BlckTabs, asmText, codeText, Edit2, Edit3};
  for (QCheckBox* box : PpuBoxes) order.push_back(box);
  order.push_back(fileHeader);
  // The group itself takes no focus; its items do, once the interface texts made them.
  order.append(RadioGroup1->ItemWidgets());
  order.push_back(Glob);
  for (int k = 0; k + 1 < order.size(); ++k) QWidget::setTabOrder(order[k], order[k + 1]);
}

}  // namespace q41::ui

#include "ui/mainform.hpp"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QStatusBar>

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTableView>
#include <QTextBlock>
#include <QToolButton>

#include "blocks/block_model.hpp"
#include "blocks/compile_commands.hpp"
#include "icons.hpp"
#include "ui/asm_editor.hpp"
#include "ui/find_dialog.hpp"
#include "ui/hidForm.hpp"
#include "ui/i_face.hpp"
#include "ui/listing_window.hpp"
#include "ui/midtext.hpp"
#include "ui/program.hpp"
#include "ui/program_files.hpp"
#include "ui/qt_text.hpp"
#include "ui/reference_window.hpp"
#include "ui/style.hpp"
#include "ui/widgets.hpp"

namespace q41::ui {
namespace {

template <typename W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(name);
  widget->setGeometry(left, top, width, height);
  return widget;
}

QLabel* Caption(QWidget* parent, const char* name, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->move(left, top);
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

}  // namespace

TForm1::TForm1(Program& program) : program_(program) {
  setObjectName("Form1");
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(DesignFont());
  auto* client = new QWidget(this);
  client->setFixedSize(752, 646);
  setCentralWidget(client);
  BuildControls(client);
  BuildMenu();
  SetTabOrder();
  FollowEdits();
  setAcceptDrops(true);
  // A fixed frame: the client area and the menu bar, nothing more.
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  // FormCreate: blank status labels, empty code and labels.
  LineLab->clear();
  ErrLab->clear();
  ClearCodeAndLabels(*this, program_.workspace);
}

void TForm1::BuildControls(QWidget* client) {
  fileHeader = Place(new Memo(client), "fileHeader", 8, 8, 170, 80);
  SetupEditor(*fileHeader, SansFont(8));
  header_ = std::make_unique<EditorLines>(*fileHeader);
  header_->Set({"Q41 assembler, v.1, 2018"});

  Glob = Place(new Memo(client), "Glob", 184, 8, 170, 80);
  SetupEditor(*Glob, DesignFont());
  glob_ = std::make_unique<EditorLines>(*Glob);
  glob_->Set({";Global"});

  RadioGroup1 = Place(new RadioGroup(client), "RadioGroup1", 368, 8, 145, 82);

  SpeedButton2 = PictureButton(client, "SpeedButton2", icons::CompileAll(), 524, 32, 40, 40);

  GroupBox2 = Place(new QGroupBox(client), "GroupBox2", 568, 8, 169, 82);
  const int lampLeft[6] = {11, 37, 63, 89, 115, 141};
  const int titleLeft[6] = {11, 39, 65, 91, 117, 143};
  const char* const titleNames[6] = {"Label11", "Label6", "Label7", "Label8", "Label9", "Label10"};
  for (int k = 0; k < 6; ++k) {
    Caption(GroupBox2, titleNames[k], QString("B%1").arg(k), titleLeft[k], 24);
    BlockLamps[k] = Place(new Lamp(GroupBox2), "", lampLeft[k], 44, 16, 28);
    BlockLamps[k]->setObjectName(QString("B%1").arg(k));
  }

  Label1 = Caption(client, "Label1", "Q41: CPU + PPU1..PPU4", 560, 96);
  Label1->setFont(SansFont(11));
  Label1->setStyleSheet("color: grey");
  Label1->adjustSize();

  // The block tabs with the controls of the current block below them: switching the tab
  // changes what the controls hold, not the controls.
  BlckCtrl = Place(new QWidget(client), "BlckCtrl", 8, 96, 505, 481);
  BlckTabs = new QTabBar(BlckCtrl);
  BlckTabs->setObjectName("BlckTabs");
  BlckTabs->setDrawBase(false);
  BlckTabs->setExpanding(false);
  // Six tabs must leave room for the block buttons on the same row.
  BlckTabs->setStyleSheet("QTabBar::tab { padding: 3px 6px; }");
  BlckTabs->addTab("BLOCK 0");
  BlckTabs->move(2, 0);
  BlckTabs->resize(BlckTabs->sizeHint());
  auto* page = Place(new QFrame(BlckCtrl), "BlckPage", 0, BlckTabs->height() - 1, 505,
                     481 - BlckTabs->height() + 1);
  page->setFrameShape(QFrame::StyledPanel);
  page->lower();

  GroupBox1 = Place(new QGroupBox(BlckCtrl), "GroupBox1", 8, 32, 342, 49);
  const int ppuLeft[4] = {8, 64, 120, 176};
  for (int k = 0; k < 4; ++k) {
    PpuBoxes[k] =
        Place(new QCheckBox(QString("PPU%1").arg(k + 1), GroupBox1), "", ppuLeft[k], 20, 57, 17);
    PpuBoxes[k]->setObjectName(QString("p%1").arg(k + 1));
  }
  Label5 = Caption(GroupBox1, "Label5", "PPU =", 254, 20);
  Label5->setFont(SansFont(13));
  Label5->adjustSize();
  PPUlist = Caption(GroupBox1, "PPUlist", "0000", 296, 20);
  PPUlist->setFont(SansFont(13));
  PPUlist->adjustSize();

  // The add and delete buttons stand on the tab row, beside the tabs.
  BP = PictureButton(client, "BP", icons::AddBlock(), 8 + 360, 96 - 2, 23, 22);
  BM = PictureButton(client, "BM", icons::DeleteBlock(), 8 + 392, 96 - 2, 25, 22);

  Label2 = Caption(BlckCtrl, "Label2", "CPUaddr", 360, 40);
  Edit2 = Place(new QLineEdit("0000", BlckCtrl), "Edit2", 408, 36, 44, 21);
  Label3 = Caption(BlckCtrl, "Label3", "PPUaddr", 360, 64);
  Edit3 = Place(new QLineEdit("0000", BlckCtrl), "Edit3", 408, 60, 44, 21);
  SpeedButton1 = PictureButton(BlckCtrl, "SpeedButton1", icons::CompileBlock(), 460, 34, 40, 40);
  for (QLineEdit* address : {Edit2, Edit3}) {
    address->setValidator(new KeepableTextValidator(address));
  }
  Label4 = Caption(BlckCtrl, "Label4", QString(), 360, 88);
  NwordsLab = Caption(BlckCtrl, "NwordsLab", "0000", 410, 88);

  asmText = Place(new AsmEditor(BlckCtrl, true), "asmText", 8, 88, 342, 385);
  SetupEditor(*asmText, FixedFont());
  source_ = std::make_unique<EditorLines>(*asmText);

  codeText = Place(new Memo(BlckCtrl), "codeText", 360, 112, 137, 361);
  SetupEditor(*codeText, FixedFont());
  code_ = std::make_unique<EditorLines>(*codeText);
  code_->SetReadOnly(true);
  connect(asmText, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    if (linked_ && !linking_) LinkFromSource();
  });
  connect(codeText, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    if (linked_ && !linking_) LinkFromCode();
  });
  // The find dialog searches the source editor last used, in either window.
  lastSourceEditor_ = asmText;
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (auto* editor = qobject_cast<AsmEditor*>(now); editor != nullptr && editor->IsNumbered()) {
      lastSourceEditor_ = editor;
    }
  });
  // An edit of the source ends the links: its lines no longer are the compiled ones.
  connect(asmText, &QPlainTextEdit::textChanged, this, [this] {
    DropLinks();
    // The listing of a compile says it is no longer the text's; its title is all that changes.
    if (listing_ && listing_->isVisible()) {
      const BlockModel& model = program_.model();
      SetListingTitle(model.History(model.CurrentBlock).compiled);
    }
  });
  // The fault mark follows its text, and the block's history with it.
  connect(asmText, &AsmEditor::MarkedLineMoved, this,
          [this](int line) { program_.model().FaultMoved(program_.model().CurrentBlock, line); });

  labels = Place(new QTableView(client), "labels", 520, 116, 217, 453);
  labelsModel = new LabelGridModel(program_.workspace.labels, labels);
  labels->setModel(labelsModel);
  labels->setFont(FixedFont());
  labels->horizontalHeader()->setFont(FixedFont());
  labels->verticalHeader()->hide();
  labels->verticalHeader()->setDefaultSectionSize(24);
  labels->horizontalHeader()->setMinimumSectionSize(8);
  labels->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  labels->horizontalHeader()->setHighlightSections(false);
  labels->setColumnWidth(0, 114);
  labels->setColumnWidth(1, 23);
  labels->setColumnWidth(2, 54);
  labels->setShowGrid(true);
  labels->setEditTriggers(QAbstractItemView::NoEditTriggers);
  labels->setSelectionMode(QAbstractItemView::ContiguousSelection);
  labels->setWordWrap(false);

  LineLab = Caption(client, "LineLab", QString(), 8, 584);
  LineLab->setFont(SansFont(21));
  LineLab->setFixedSize(752 - 16, 28);
  ErrLab = Caption(client, "ErrLab", QString(), 8, 616);
  ErrLab->setFont(SansFont(21));
  ErrLab->setFixedSize(752 - 16, 28);
  ErrLab->setStyleSheet("color: #800000");
  for (QLabel* status : {LineLab, ErrLab}) status->setTextFormat(Qt::PlainText);

  auto command = [this](QToolButton* button, std::function<void()> handler) {
    connect(button, &QToolButton::clicked, this,
            [this, handler = std::move(handler)] { program_.RunCommand(handler); });
  };
  command(SpeedButton1, [this] { CompAndPreproc1Click(); });
  command(SpeedButton2, [this] { program_.model().SpeedButton2Click(); });
  command(BP, [this] { program_.model().BPClick(); });
  command(BM, [this] { program_.model().BMClick(); });
  connect(BlckTabs, &QTabBar::currentChanged, this, &TForm1::BlckCtrlChange);
  for (QCheckBox* box : PpuBoxes) connect(box, &QCheckBox::toggled, this, &TForm1::p1Click);
}

void TForm1::BuildMenu() {
  auto action = [this](QMenu* menu, const char* name, const char* caption,
                       const QKeySequence& shortcut, std::function<void()> handler) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) {
      a->setShortcut(shortcut);
      // The main window's shortcuts work while any window of the program is active.
      a->setShortcutContext(Qt::ApplicationShortcut);
    }
    connect(a, &QAction::triggered, this,
            [this, handler = std::move(handler)] { program_.RunCommand(handler); });
    return a;
  };
  auto own = [this](void (TForm1::*handler)()) { return [this, handler] { (this->*handler)(); }; };
  auto separator = [](QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(name); };

  File1 = menuBar()->addMenu("File");
  File1->setObjectName("File1");
  auto files = [this](void (ProgramFiles::*handler)()) {
    return [this, handler] { (program_.Files().*handler)(); };
  };
  new1 = action(File1, "new1", "New program", {}, files(&ProgramFiles::New1Click));
  separator(File1, "N7");
  OpenAsm1 = action(File1, "OpenAsm1", "Open .ASM...", QKeySequence("Ctrl+O"),
                    files(&ProgramFiles::OpenAsm1Click));
  separator(File1, "N2");
  SaveAsm1 = action(File1, "SaveAsm1", "Save .ASM...", QKeySequence("Ctrl+S"),
                    files(&ProgramFiles::SaveAsm1Click));
  SaveCod1 = action(File1, "SaveCod1", "Save .Q41...", QKeySequence("Ctrl+Alt+S"),
                    files(&ProgramFiles::SaveCod1Click));
  separator(File1, "N1");
  Exit1 = action(File1, "Exit1", "Exit", {}, files(&ProgramFiles::Exit1Click));

  Edit1 = menuBar()->addMenu("Edit");
  Edit1->setObjectName("Edit1");
  Cut1 = action(Edit1, "Cut1", "Cut", QKeySequence("Ctrl+X"), own(&TForm1::Cut1Click));
  Copy1 = action(Edit1, "Copy1", "Copy", QKeySequence("Ctrl+C"), own(&TForm1::Copy1Click));
  Paste1 = action(Edit1, "Paste1", "Paste", QKeySequence("Ctrl+V"), own(&TForm1::Paste1Click));
  separator(Edit1, "N3");
  SelectAll1 = action(Edit1, "SelectAll1", "Select all", QKeySequence("Ctrl+A"),
                      own(&TForm1::SelectAll1Click));
  separator(Edit1, "N4");
  UnDo1 = action(Edit1, "UnDo1", "Undo", QKeySequence("Ctrl+Z"), own(&TForm1::UnDo1Click));
  separator(Edit1, "N5");
  ClearAsm1 = action(Edit1, "ClearAsm1", "Clear text", {}, own(&TForm1::ClearAsm1Click));
  ClearCode1 = action(Edit1, "ClearCode1", "Clear code", {}, own(&TForm1::ClearCode1Click));
  Find1 = action(Edit1, "Find1", "Find and replace...", QKeySequence("Ctrl+F"),
                 own(&TForm1::Find1Click));

  View1 = menuBar()->addMenu("View");
  View1->setObjectName("View1");
  CompText1 = action(View1, "CompText1", "Text for compilation", {}, own(&TForm1::CompText1Click));
  AllBlocks1 =
      action(View1, "AllBlocks1", "All blocks", QKeySequence("F3"), own(&TForm1::AllBlocks1Click));
  Listing1 =
      action(View1, "Listing1", "Listing", QKeySequence("Ctrl+L"), own(&TForm1::Listing1Click));

  Run1 = menuBar()->addMenu("Compile");
  Run1->setObjectName("Run1");
  CompAll1 = action(Run1, "CompAll1", "Compile all blocks", QKeySequence("F9"),
                    [this] { program_.model().SpeedButton2Click(); });
  separator(Run1, "N6");
  CompAndPreproc1 = action(Run1, "CompAndPreproc1", "Compile+preproc.(1 block)",
                           QKeySequence("Ctrl+F9"), own(&TForm1::CompAndPreproc1Click));
  Compile1 = action(Run1, "Compile1", "Compile only", {}, own(&TForm1::Compile1Click));
  Preprocess1 = action(Run1, "Preprocess1", "Preprocess only", {}, own(&TForm1::Preprocess1Click));

  Help1 = menuBar()->addMenu("Help");
  Help1->setObjectName("Help1");
  Reference1 = action(Help1, "Reference1", "Instruction reference", QKeySequence("F1"),
                      own(&TForm1::Reference1Click));
}

QList<QAction*> TForm1::ShortcutActions() const {
  QList<QAction*> out;
  for (QMenu* menu : {File1, Edit1, View1, Run1, Help1}) {
    for (QAction* a : menu->actions()) {
      if (!a->shortcut().isEmpty()) out.push_back(a);
    }
  }
  return out;
}

void TForm1::SetTabOrder() {
  QList<QWidget*> order = {labels, BlckTabs, asmText, codeText, Edit2, Edit3};
  for (QCheckBox* box : PpuBoxes) order.push_back(box);
  order.push_back(fileHeader);
  // The group itself takes no focus; its items do, once the interface texts made them.
  order.append(RadioGroup1->ItemWidgets());
  order.push_back(Glob);
  for (int k = 0; k + 1 < order.size(); ++k) QWidget::setTabOrder(order[k], order[k + 1]);
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // FormShow: the interface texts go in place when the window is first shown.
  if (!shownOnce_) {
    shownOnce_ = true;
    program_.ApplyInterfaceLanguage();
    SetTabOrder();
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  // Closing the main window ends the program, whatever else is open, unless that would
  // lose unsaved work the user wants to keep.
  bool may = false;
  program_.RunCommand([this, &may] { may = program_.Files().MayClose(); });
  if (!may) {
    event->ignore();
    return;
  }
  event->accept();
  QApplication::quit();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  const QString path = DroppedFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  program_.RunCommand([this, path] { program_.Files().OpenFile(path); });
}

void TForm1::FollowEdits() {
  auto edited = [this] { program_.Edited(); };
  for (EditorLines* lines : {source_.get(), header_.get(), glob_.get()}) {
    connect(lines, &EditorLines::UserEdited, this, edited);
  }
  for (QLineEdit* address : {Edit2, Edit3}) connect(address, &QLineEdit::textEdited, this, edited);
  for (QCheckBox* box : PpuBoxes) connect(box, &QCheckBox::clicked, this, edited);
  connect(RadioGroup1, &RadioGroup::Clicked, this, edited);
}

void TForm1::ShowNotice(const QString& text) {
  if (text.isEmpty() && findChild<QStatusBar*>() == nullptr) return;
  statusBar()->showMessage(text);
  statusBar()->setVisible(!text.isEmpty());
}

void TForm1::ProgramChanged(bool modified) {
  if (ProgramFiles* files = program_.FilesIfAny()) files->Changed(modified);
}

TForm1::~TForm1() = default;

// BlockView --------------------------------------------------------------------------------

Lines TForm1::Source() const {
  return source_->Get();
}

void TForm1::SetSource(const Lines& source) {
  // The links and the fault mark were the shown text's; BlockShown gives them back to a
  // block shown with its compiled text.
  DropLinks();
  asmText->SetMarkedLine(0);
  source_->Set(source);
}

Lines TForm1::Code() const {
  return code_->Get();
}

void TForm1::SetCode(const Lines& code, bool fromFailedCompile) {
  DropLinks();
  codeFromFailedCompile_ = fromFailedCompile;
  code_->Set(code);
}

std::string TForm1::PpuListCaption() const {
  return FromQt(PPUlist->text());
}

void TForm1::SetPpuListCaption(const std::string& text) {
  PPUlist->setText(ToQt(text));
}

void TForm1::SetPpuBoxes(const PpuSet& set) {
  for (std::size_t k = 0; k < 4; ++k) PpuBoxes[k]->setChecked(set[k]);
  p1Click();
}

std::string TForm1::CpuAddress() const {
  return FromQt(Edit2->text());
}

void TForm1::SetCpuAddress(const std::string& text) {
  Edit2->setText(ToQt(text));
}

std::string TForm1::PpuAddress() const {
  return FromQt(Edit3->text());
}

void TForm1::SetPpuAddress(const std::string& text) {
  Edit3->setText(ToQt(text));
}

std::string TForm1::WordCount() const {
  return FromQt(NwordsLab->text());
}

void TForm1::SetWordCount(const std::string& text) {
  NwordsLab->setText(ToQt(text));
  NwordsLab->adjustSize();
}

void TForm1::SourceCaretToStart() {
  source_->Select({Selection::Kind::Line, 0, 0});
}

void TForm1::FocusSource() {
  asmText->setFocus();
}

Lines TForm1::GlobalText() const {
  return glob_->Get();
}

Lines TForm1::Header() const {
  return header_->Get();
}

void TForm1::SetHeader(const Lines& header) {
  header_->Set(header);
}

void TForm1::SetGlobalText(const Lines& glob) {
  glob_->Set(glob);
}

int TForm1::MemoryMode() const {
  return RadioGroup1->ItemIndex();
}

void TForm1::SetMemoryMode(int mode) {
  RadioGroup1->SetItemIndex(mode);
}

void TForm1::MemoryTypeRefused(const std::string& text) {
  program_.dialogs().Error(ToQt(text));
}

int TForm1::TabCount() const {
  return BlckTabs->count();
}

// The model changes the tabs without running the tab-change command.
void TForm1::AddTab(const std::string& caption) {
  const QSignalBlocker quiet(BlckTabs);
  BlckTabs->addTab(ToQt(caption));
  BlckTabs->resize(BlckTabs->sizeHint());
}

void TForm1::RemoveLastTab() {
  const QSignalBlocker quiet(BlckTabs);
  BlckTabs->removeTab(BlckTabs->count() - 1);
  BlckTabs->resize(BlckTabs->sizeHint());
}

void TForm1::SelectTab(int index) {
  const QSignalBlocker quiet(BlckTabs);
  BlckTabs->setCurrentIndex(index);
}

Lines TForm1::CompText() const {
  return program_.Form2().compLines->Get();
}

void TForm1::SetCompText(const Lines& text) {
  program_.Form2().compLines->Set(text);
}

void TForm1::SetCompileTextVisible(bool visible) {
  TForm2& form2 = program_.Form2();
  if (!visible) {
    form2.hide();
    return;
  }
  ShowInFront(form2);
}

void TForm1::ShowLabels() {
  labelsModel->Refresh();
  // After the GLOBAL names were read, the grid's selection stands on the last of them.
  const int row = program_.workspace.labels.SelectedRow();
  if (row > 0) labels->setCurrentIndex(labelsModel->index(row - 1, 1));
}

void TForm1::SetStatus(const StatusReport& status) {
  LineLab->setText(ToQt(status.lineCaption));
  ErrLab->setText(ToQt(status.errCaption));
  source_->Select(status.selection);
}

std::string TForm1::LineCaption() const {
  return FromQt(LineLab->text());
}

void TForm1::SetLineCaption(const std::string& text) {
  LineLab->setText(ToQt(text));
}

QColor TForm1::LampColorOf(LampColor color) const {
  switch (color) {
    case LampColor::White:
      return QColor(255, 255, 255);
    case LampColor::Red:
      return QColor(255, 0, 0);
    case LampColor::Green:
      return QColor(0, 255, 0);
    case LampColor::Hidden:
      break;
  }
  return GroupBox2->palette().color(QPalette::Window);
}

void TForm1::SetLamp(int block, LampColor color) {
  if (block >= 0 && block < 6) BlockLamps[block]->SetColor(LampColorOf(color));
}

void TForm1::SetBlockEnabled(int block, bool enabled) {
  if (THF* hf = program_.HF()) hf->SetBlockEnabled(block, enabled);
}

void TForm1::StoredBlockChanged(int block) {
  if (THF* hf = program_.HF()) hf->ShowStoredBlock(block);
}

bool TForm1::Ask(Question question, int block) {
  const InterfaceMessages& m = program_.messages;
  switch (question) {
    case Question::DeleteBlock:
      return program_.dialogs().ConfirmWarning(m.MsgDeleteBlock);
    case Question::ClearProgram:
      return program_.dialogs().Confirm(m.MsgClearProgram);
    case Question::EmptyBlockCode:
    case Question::FailedBlockCode:
    case Question::StaleBlockCode: {
      const Language language = program_.settings.language;
      QString text = question == Question::EmptyBlockCode    ? m.MsgEmptyBlockCode
                     : question == Question::FailedBlockCode ? Text(language, TextFailedBlockCode)
                                                             : Text(language, TextStaleBlockCode);
      const qsizetype star = text.indexOf('*');
      if (star >= 0) text.replace(star, 1, QString::number(block));
      return program_.dialogs().Confirm(text);
    }
  }
  return false;
}

void TForm1::NewBlockRestricted() {
  program_.dialogs().Error(program_.messages.MsgNewBlockRestricted);
}

void TForm1::Warning(const std::string& text) {
  program_.dialogs().Warning(ToQt(text));
}

// Commands ---------------------------------------------------------------------------------

void TForm1::p1Click() {
  PpuSet set{};
  for (std::size_t k = 0; k < 4; ++k) set[k] = PpuBoxes[k]->isChecked();
  PPUlist->setText(ToQt(PpuListText(set)));
}

void TForm1::BlckCtrlChange(int index) {
  if (index >= 0) program_.model().BlckCtrlChange(index);
}

void TForm1::BlockShown(int /*block*/) {
  ShowHistory();
}

// Code and source side by side -------------------------------------------------------------

void TForm1::CompileRecorded(int block) {
  if (block == program_.model().CurrentBlock) ShowHistory();
}

void TForm1::ShowHistory() {
  const BlockModel& model = program_.model();
  const CompileHistory& h = model.History(model.CurrentBlock);
  // The fault mark stays until the block's next compile, moved along with its text.
  asmText->SetMarkedLine(h.faultLine);
  DropLinks();
  linked_ = h.CurrentFor(source_->Get(), code_->Get());
  if (linked_) LinkFromSource();
  RefreshListing();
}

void TForm1::DropLinks() {
  if (!linked_) return;
  linked_ = false;
  codeText->setExtraSelections({});
  asmText->SetHighlights({});
}

void TForm1::HighlightWords(WordRange words) {
  QList<QTextEdit::ExtraSelection> list;
  for (std::size_t k = words.first; k < words.last; ++k) {
    list.push_back(
        LineHighlight(QTextCursor(codeText->document()->findBlockByNumber(static_cast<int>(k)))));
  }
  codeText->setExtraSelections(list);
  if (words.empty()) return;
  // The words come into view; the code's caret stays where it is.
  QScrollBar* bar = codeText->verticalScrollBar();
  const int first = static_cast<int>(words.first);
  const int rows = std::max(1, codeText->viewport()->height() / codeText->fontMetrics().height());
  if (first < bar->value() || first >= bar->value() + rows) bar->setValue(first - rows / 2);
}

void TForm1::LinkFromSource() {
  const BlockModel& model = program_.model();
  const CompileHistory& c = model.History(model.CurrentBlock);
  asmText->SetHighlights({});
  HighlightWords(WordsOfLine(c.wordSourceLine, asmText->textCursor().blockNumber() + 1));
}

void TForm1::LinkFromCode() {
  const BlockModel& model = program_.model();
  const CompileHistory& c = model.History(model.CurrentBlock);
  const int word = codeText->textCursor().blockNumber();
  if (word < 0 || static_cast<std::size_t>(word) >= c.wordSourceLine.size()) return;
  const int line = c.wordSourceLine[static_cast<std::size_t>(word)];
  const QTextBlock block = asmText->document()->findBlockByNumber(line - 1);
  if (!block.isValid()) return;
  linking_ = true;
  asmText->setTextCursor(QTextCursor(block));
  asmText->ensureCursorVisible();
  linking_ = false;
  asmText->SetHighlights({LineHighlight(QTextCursor(block))});
  HighlightWords(WordsOfLine(c.wordSourceLine, line));
}

// The listing window -------------------------------------------------------------------------

void TForm1::Listing1Click() {
  const Language language = program_.settings.language;
  if (!listing_) {
    listing_ = std::make_unique<ListingWindow>(this);
    PlaceBeside(*listing_, *this);
    listing_->saveButton->setText(Text(language, TextListingSave));
    connect(listing_->saveButton, &QPushButton::clicked, this,
            [this] { program_.RunCommand([this] { SaveListing(); }); });
    connect(listing_.get(), &ListingWindow::SourceLineChosen, this, [this](int line) {
      const QTextBlock block = asmText->document()->findBlockByNumber(line - 1);
      if (!block.isValid()) return;
      QTextCursor cursor(block);
      cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
      asmText->setTextCursor(cursor);
      asmText->ensureCursorVisible();
    });
  }
  ShowInFront(*listing_);
  RefreshListing();
}

void TForm1::Find1Click() {
  if (!find_) {
    find_ = std::make_unique<FindDialog>(this, program_.settings.language);
    find_->adjustSize();
    PlaceBeside(*find_, *this);
  }
  QPlainTextEdit* target = lastSourceEditor_ != nullptr ? lastSourceEditor_.data() : asmText;
  find_->SetTarget(target, target == asmText);
  // What is selected in the editor is what the user most likely looks for.
  const QString selected = target->textCursor().selectedText();
  if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) {
    find_->findText->setText(selected);
  }
  ShowInFront(*find_);
  find_->findText->setFocus();
  find_->findText->selectAll();
}

// F1 on a mnemonic, in whichever editor has the keyboard, opens that mnemonic's entry.
void TForm1::Reference1Click() {
  QString word;
  if (auto* editor = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget())) {
    QTextCursor cursor = editor->textCursor();
    cursor.select(QTextCursor::WordUnderCursor);
    word = cursor.selectedText();
  }
  if (!reference_) {
    reference_ = std::make_unique<ReferenceWindow>(this, program_.settings.language);
    PlaceBeside(*reference_, *this);
    reference_->setWindowTitle(Text(program_.settings.language, TitleReference));
  }
  if (!word.isEmpty()) reference_->ShowEntry(word);
  ShowInFront(*reference_);
}

void TForm1::RefreshListing() {
  if (!listing_ || !listing_->isVisible()) return;
  const BlockModel& model = program_.model();
  const CompileHistory& h = model.History(model.CurrentBlock);
  SetListingTitle(h.compiled && !h.CurrentFor(source_->Get()));
  std::vector<ListingRow> rows;
  if (h.compiled) rows = ListingRows(h.source.size(), h.code.size(), h.wordSourceLine);
  Lines text = ListingText(rows, h.source, h.code);
  listing_->ShowListing(std::move(rows), std::move(text),
                        Text(program_.settings.language, TextListingNone));
}

void TForm1::SetListingTitle(bool stale) {
  const Language language = program_.settings.language;
  listing_->setWindowTitle(Text(language, TitleListing) + " - BLOCK " +
                           QString::number(program_.model().CurrentBlock) +
                           (stale ? Text(language, TextListingStale) : QString()));
}

void TForm1::SaveListing() {
  if (listing_->Listing().empty()) return;
  const std::optional<QString> path =
      program_.dialogs().SaveFile(Text(program_.settings.language, TextListingFilter), "lst");
  if (path) program_.Files().WriteLinesTo(*path, listing_->Listing());
}

void TForm1::Cut1Click() {
  for (QPlainTextEdit* memo : std::initializer_list<QPlainTextEdit*>{asmText, codeText}) {
    if (memo->hasFocus() && memo->textCursor().hasSelection()) memo->cut();
  }
}

void TForm1::Copy1Click() {
  for (QPlainTextEdit* memo : std::initializer_list<QPlainTextEdit*>{asmText, codeText}) {
    if (memo->hasFocus() && memo->textCursor().hasSelection()) memo->copy();
  }
}

void TForm1::Paste1Click() {
  for (QPlainTextEdit* memo : std::initializer_list<QPlainTextEdit*>{asmText, codeText}) {
    if (memo->hasFocus()) memo->paste();
  }
}

void TForm1::SelectAll1Click() {
  for (QPlainTextEdit* memo : std::initializer_list<QPlainTextEdit*>{asmText, codeText}) {
    if (memo->hasFocus()) memo->selectAll();
  }
}

void TForm1::UnDo1Click() {
  for (QPlainTextEdit* memo : std::initializer_list<QPlainTextEdit*>{asmText, codeText}) {
    if (memo->hasFocus()) memo->undo();
  }
}

void TForm1::ClearAsm1Click() {
  if (!program_.dialogs().Confirm(program_.messages.MsgClearAsm)) return;
  asmText->clear();
  program_.Edited();
}

void TForm1::ClearCode1Click() {
  ClearCodeAndLabels(*this, program_.workspace);
}

void TForm1::AllBlocks1Click() {
  ShowInFront(isActiveWindow() ? static_cast<QWidget&>(*program_.HF()) : *this);
}

void TForm1::CompText1Click() {
  SetCompileTextVisible(true);
}

void TForm1::CompAndPreproc1Click() {
  program_.model().CompileBlock();
}

void TForm1::Compile1Click() {
  program_.model().CompileOnly();
}

void TForm1::Preprocess1Click() {
  program_.model().PreprocessOnly();
}

}  // namespace q41::ui

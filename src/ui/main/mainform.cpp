#include "ui/main/mainform.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>

#include "blocks/block_model.hpp"
#include "blocks/compile_commands.hpp"
#include "ui/app/accessible_names.hpp"
#include "ui/app/application.hpp"
#include "ui/app/i_face.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/style.hpp"
#include "ui/app/widgets.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/editor/code_links.hpp"
#include "ui/editor/source_assist.hpp"
#include "ui/files/program_files.hpp"
#include "ui/main/main_commands.hpp"
#include "ui/main/midtext.hpp"
#include "ui/tools/tool_windows.hpp"

namespace q41::ui {

TForm1::TForm1(Application& program) : program_(program) {
  setObjectName("Form1");
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(DesignFont());
  auto* client = new QWidget(this);
  client->setFixedSize(752, 646);
  setCentralWidget(client);
  ui_.Build(client, program_.workspace.labels);
  header_ = std::make_unique<EditorLines>(*ui_.fileHeader);
  header_->Set(q41::Program::DefaultHeader());
  glob_ = std::make_unique<EditorLines>(*ui_.Glob);
  glob_->Set(q41::Program::DefaultGlobal());
  source_ = std::make_unique<EditorLines>(*ui_.asmText);
  code_ = std::make_unique<EditorLines>(*ui_.codeText);
  code_->SetReadOnly(true);
  links_ =
      std::make_unique<CodeLinks>(*ui_.asmText, *ui_.codeText, [this]() -> const CompileHistory& {
        const BlockModel& model = program_.model();
        return model.History(model.CurrentBlock());
      });
  tools_ = std::make_unique<ToolWindows>(program_, *this, *ui_.asmText, *source_);
  assist_ = std::make_unique<SourceAssist>(*ui_.asmText, *source_, *ui_.Glob, *glob_,
                                           program_.settings.language);
  BuildMainMenu(*menuBar(), ui_, program_);
  ui_.SetTabOrder();
  ConnectControls();
  FollowEdits();
  setAcceptDrops(true);
  // A fixed frame: the client area and the menu bar, nothing more.
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  // FormCreate: blank status labels, empty code and labels.
  ui_.LineLab->clear();
  ui_.ErrLab->clear();
  ClearCodeAndLabels(Views(), program_.workspace);
}

TForm1::~TForm1() = default;

void TForm1::CompAndPreproc1Click() {
  program_.model().CompileBlock();
}

void TForm1::SpeedButton2Click() {
  program_.model().CompileAll();
}

void TForm1::BPClick() {
  program_.model().AddBlock();
}

void TForm1::BMClick() {
  program_.model().DeleteLastBlock();
}

void TForm1::BlckCtrlChange(int tab) {
  program_.model().SwitchToBlock(tab);
}

void TForm1::ConnectControls() {
  auto command = [this](QToolButton* button, void (TForm1::*handler)()) {
    connect(button, &QToolButton::clicked, this,
            [this, handler] { program_.RunCommand([this, handler] { (this->*handler)(); }); });
  };
  command(ui_.SpeedButton1, &TForm1::CompAndPreproc1Click);
  command(ui_.SpeedButton2, &TForm1::SpeedButton2Click);
  command(ui_.BP, &TForm1::BPClick);
  command(ui_.BM, &TForm1::BMClick);
  // The add and delete buttons take no focus and have no menu item: on the block tabs,
  // Insert and Delete do what they do, so that a keyboard alone reaches them.
  auto key = [this](Qt::Key key, void (TForm1::*handler)()) {
    auto* shortcut =
        new QShortcut(QKeySequence(key), ui_.BlckTabs, nullptr, nullptr, Qt::WidgetShortcut);
    connect(shortcut, &QShortcut::activated, this,
            [this, handler] { program_.RunCommand([this, handler] { (this->*handler)(); }); });
  };
  key(Qt::Key_Insert, &TForm1::BPClick);
  key(Qt::Key_Delete, &TForm1::BMClick);
  connect(ui_.BlckTabs, &QTabBar::currentChanged, this, [this](int index) {
    if (index >= 0) BlckCtrlChange(index);
  });
  for (QCheckBox* box : ui_.PpuBoxes) connect(box, &QCheckBox::toggled, this, &TForm1::ShowPpuList);
  // An edit of the source ends the links: its lines no longer are the compiled ones.
  connect(ui_.asmText, &QPlainTextEdit::textChanged, this, [this] {
    links_->Drop();
    tools_->SourceEdited();
  });
  // The fault mark follows its text, and the block's history with it.
  connect(ui_.asmText, &AsmEditor::MarkedLineMoved, this,
          [this](int line) { program_.model().FaultMoved(program_.model().CurrentBlock(), line); });
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // FormShow: the interface texts go in place when the window is first shown.
  if (!shownOnce_) {
    shownOnce_ = true;
    program_.ApplyInterfaceLanguage();
    ui_.SetTabOrder();
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
  for (QLineEdit* address : {ui_.Edit2, ui_.Edit3}) {
    connect(address, &QLineEdit::textEdited, this, edited);
  }
  for (QCheckBox* box : ui_.PpuBoxes) connect(box, &QCheckBox::clicked, this, edited);
  connect(ui_.RadioGroup1, &RadioGroup::Clicked, this, edited);
}

void TForm1::ProgramChanged(bool modified) {
  if (ProgramFiles* files = program_.FilesIfAny()) files->Changed(modified);
}

// BlockViews -------------------------------------------------------------------------------

Lines TForm1::Source() const {
  return source_->Get();
}

void TForm1::SetSource(const Lines& source, int block) {
  // The links and the fault mark were the shown text's; BlockShown gives them back to a
  // block shown with its compiled text.
  links_->Drop();
  ui_.asmText->SetMarkedLine(0);
  // Each block keeps its own undo history while another is shown.
  source_->Show(block, source);
}

void TForm1::BlockCleared(int block) {
  source_->Forget(block);
}

Lines TForm1::Code() const {
  return code_->Get();
}

void TForm1::SetCode(const Lines& code, bool fromFailedCompile) {
  links_->Drop();
  codeFromFailedCompile_ = fromFailedCompile;
  code_->Set(code);
}

std::string TForm1::PpuListCaption() const {
  return FromQt(ui_.PPUlist->text());
}

void TForm1::SetPpuListCaption(const std::string& text) {
  ui_.PPUlist->setText(ToQt(text));
}

void TForm1::SetPpuBoxes(const PpuSet& set) {
  for (std::size_t k = 0; k < 4; ++k) ui_.PpuBoxes[k]->setChecked(set[k]);
  ShowPpuList();
}

std::string TForm1::CpuAddress() const {
  return FromQt(ui_.Edit2->text());
}

void TForm1::SetCpuAddress(const std::string& text) {
  ui_.Edit2->setText(ToQt(text));
}

std::string TForm1::PpuAddress() const {
  return FromQt(ui_.Edit3->text());
}

void TForm1::SetPpuAddress(const std::string& text) {
  ui_.Edit3->setText(ToQt(text));
}

std::string TForm1::WordCount() const {
  return FromQt(ui_.NwordsLab->text());
}

void TForm1::SetWordCount(const std::string& text) {
  ui_.NwordsLab->setText(ToQt(text));
  ui_.NwordsLab->adjustSize();
}

void TForm1::SourceCaretToStart() {
  source_->Select({Selection::Kind::Line, 0, 0});
}

void TForm1::FocusSource() {
  ui_.asmText->setFocus();
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
  return ui_.RadioGroup1->ItemIndex();
}

void TForm1::SetMemoryMode(int mode) {
  ui_.RadioGroup1->SetItemIndex(mode);
}

void TForm1::MemoryTypeRefused(const std::string& text) {
  program_.dialogs().Error(ToQt(text));
}

int TForm1::TabCount() const {
  return ui_.BlckTabs->count();
}

// The model changes the tabs without running the tab-change command.
void TForm1::AddTab(const std::string& caption) {
  const QSignalBlocker quiet(ui_.BlckTabs);
  ui_.BlckTabs->addTab(ToQt(caption));
  ui_.BlckTabs->resize(ui_.BlckTabs->sizeHint());
}

void TForm1::RemoveLastTab() {
  const QSignalBlocker quiet(ui_.BlckTabs);
  ui_.BlckTabs->removeTab(ui_.BlckTabs->count() - 1);
  ui_.BlckTabs->resize(ui_.BlckTabs->sizeHint());
}

void TForm1::SelectTab(int index) {
  const QSignalBlocker quiet(ui_.BlckTabs);
  ui_.BlckTabs->setCurrentIndex(index);
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
  ui_.labelsModel->Refresh();
  // After the GLOBAL names were read, the grid's selection stands on the last of them.
  const int row = program_.workspace.labels.SelectedRow();
  if (row > 0) ui_.labels->setCurrentIndex(ui_.labelsModel->index(row - 1, 1));
}

void TForm1::SetStatus(const StatusReport& status) {
  ui_.LineLab->setText(ToQt(status.lineCaption));
  ui_.ErrLab->setText(ToQt(status.errCaption));
  source_->Select(status.selection);
}

void TForm1::SetLamp(int block, LampColor color) {
  if (block < 0 || block >= 6) return;
  ui_.BlockLamps[block]->SetState(color, LampStateText(program_.settings.language, block, color));
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

void TForm1::ShowPpuList() {
  PpuSet set{};
  for (std::size_t k = 0; k < 4; ++k) set[k] = ui_.PpuBoxes[k]->isChecked();
  ui_.PPUlist->setText(ToQt(PpuListText(set)));
}

void TForm1::BlockShown(int block) {
  NameCurrentBlock(program_.settings.language, ui_, block);
  ShowHistory();
}

void TForm1::CompileRecorded(int block) {
  if (block == program_.model().CurrentBlock()) ShowHistory();
}

void TForm1::ShowHistory() {
  const BlockModel& model = program_.model();
  const CompileHistory& h = model.History(model.CurrentBlock());
  // The fault mark stays until the block's next compile, moved along with its text.
  ui_.asmText->SetMarkedLine(h.faultLine);
  links_->Follow(h.CurrentFor(source_->Get(), code_->Get()));
  tools_->RefreshListing();
}

}  // namespace q41::ui

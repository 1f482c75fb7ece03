#include "ui/main/hidForm.hpp"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QToolButton>

#include "blocks/block_model.hpp"
#include "blocks/presenter.hpp"
#include "icons.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/style.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/editor/editor_lines.hpp"
#include "ui/editor/memo.hpp"

namespace q41::ui {
namespace {

QFont PanelFont() {
  QFont font = DesignFont();
  font.setPointSize(10);
  return font;
}

}  // namespace

THF::THF(BlockModel& model, Presenter& presenter, QWidget* mainWindow, const QString& returnHint)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint),
      model_(model),
      presenter_(presenter),
      mainWindow_(mainWindow) {
  setObjectName("HF");
  setFont(DesignFont());
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int width = screen != nullptr ? screen->geometry().width() : 1000;
  setFixedSize(width, 700);
  move(0, 0);

  const int column = this->width() / 6;
  const int panelWidth = column - 16;
  const int panelHeight = height() - 16;
  for (int i = 0; i < 6; ++i) BuildPanel(i, i * column + 8, panelWidth, panelHeight);

  SpeedButton1 = new QToolButton(this);
  SpeedButton1->setObjectName("SpeedButton1");
  SpeedButton1->setGeometry(0, 0, 23, 22);
  SpeedButton1->setIcon(icons::ReturnToMain());
  SpeedButton1->hide();

  model_.AddStoredBlocksView(*this);
  presenter_.SetAllBlocksWindow(this);
  model_.NewProgram();
  for (int i = 0; i < 6; ++i) {
    StoredBlockChanged(i);
    SetBlockEnabled(i, i <= model_.LastBlock());
  }

  returnButton = new QToolButton(panels[5].frame);
  returnButton->setObjectName("ReturnButton");
  returnButton->setGeometry(panelWidth - 31, 8, 23, 22);
  returnButton->setIcon(SpeedButton1->icon());
  returnButton->setIconSize(QSize(16, 16));
  returnButton->setAutoRaise(true);
  returnButton->setToolTip(returnHint);
  connect(returnButton, &QToolButton::clicked, this, &THF::SpeedButton1Click);

  show();
}

void THF::BuildPanel(int i, int left, int width, int height) {
  Panel& p = panels[static_cast<std::size_t>(i)];
  p.frame = new QFrame(this);
  p.frame->setObjectName(QString("Panel%1").arg(i));
  p.frame->setGeometry(left, 8, width, height);
  p.frame->setFrameStyle(QFrame::Panel | QFrame::Raised);

  p.title = new QLabel(QString("Block %1").arg(i), p.frame);
  p.title->setFont(PanelFont());
  p.title->move(45, 8);
  p.title->adjustSize();
  BuildFields(i);
  BuildEditors(i, width, height);
}

void THF::BuildFields(int i) {
  Panel& p = panels[static_cast<std::size_t>(i)];
  const int boxLeft[4] = {8, 38, 68, 98};
  for (int k = 0; k < 4; ++k) {
    QCheckBox* box = new QCheckBox(QString::number(k + 1), p.frame);
    box->setGeometry(boxLeft[k], 40, 50, 17);
    p.ppu[static_cast<std::size_t>(k)] = box;
    connect(box, &QCheckBox::toggled, this, [this, i] { StorePpus(i); });
    connect(box, &QCheckBox::clicked, this, [this] { model_.Edited(); });
  }

  auto label = [&](int top) {
    QLabel* l = new QLabel(p.frame);
    l->setFont(PanelFont());
    l->move(8, top);
    return l;
  };
  p.ppuList = label(64);
  p.wordCount = label(165);

  auto address = [&](int top) {
    QLineEdit* edit = new QLineEdit(p.frame);
    edit->setValidator(new KeepableTextValidator(edit));
    edit->setFont(PanelFont());
    edit->setGeometry(8, top, 64, 24);
    connect(edit, &QLineEdit::textChanged, this, [this, i] { StoreAddresses(i); });
    connect(edit, &QLineEdit::textEdited, this, [this] { model_.Edited(); });
    return edit;
  };
  p.cpuAddress = address(95);
  p.ppuAddress = address(125);
}

void THF::BuildEditors(int i, int width, int height) {
  Panel& p = panels[static_cast<std::size_t>(i)];
  p.code = new Memo(p.frame);
  p.code->setGeometry(8, height - 168, width - 16, 160);
  SetupEditor(*p.code, PanelFont());
  p.codeLines = std::make_unique<EditorLines>(*p.code);
  p.codeLines->SetReadOnly(true);

  p.source = new AsmEditor(p.frame, true);
  p.source->setObjectName(QString("Source%1").arg(i));
  p.source->setGeometry(8, 200, width - 16, height - 384);
  SetupEditor(*p.source, PanelFont());
  p.lines = std::make_unique<EditorLines>(*p.source);
  connect(p.source, &QPlainTextEdit::textChanged, this, [this, i] {
    if (!filling_) model_.SetStoredSource(i, panels[static_cast<std::size_t>(i)].lines->Get());
  });
  connect(p.lines.get(), &EditorLines::UserEdited, this, [this] { model_.Edited(); });
  // The fault mark follows its text, and the block's history with it.
  connect(p.source, &AsmEditor::MarkedLineMoved, this, [this, i](int line) {
    if (!filling_) model_.FaultMoved(i, line);
  });
}

void THF::StorePpus(int i) {
  if (filling_) return;
  Panel& p = panels[static_cast<std::size_t>(i)];
  PpuSet set{};
  for (std::size_t b = 0; b < 4; ++b) set[b] = p.ppu[b]->isChecked();
  model_.SetStoredPpus(i, set);
  p.ppuList->setText(ToQt(PpuListText(set)));
  p.ppuList->adjustSize();
}

void THF::StoreAddresses(int i) {
  if (filling_) return;
  const Panel& p = panels[static_cast<std::size_t>(i)];
  model_.SetStoredAddresses(i, FromQt(p.cpuAddress->text()), FromQt(p.ppuAddress->text()));
}

void THF::StoredBlockChanged(int n) {
  const BlockRecord& r = model_.Stored(n);
  Panel& p = panels[static_cast<std::size_t>(n)];
  filling_ = true;
  for (std::size_t k = 0; k < 4; ++k) p.ppu[k]->setChecked(r.ppu[k]);
  p.ppuList->setText(ToQt(r.PpuList()));
  p.ppuList->adjustSize();
  p.cpuAddress->setText(ToQt(r.cpuAddress));
  p.ppuAddress->setText(ToQt(r.ppuAddress));
  p.wordCount->setText(ToQt(r.wordCount));
  p.wordCount->adjustSize();
  p.codeLines->Set(r.code);
  // The mark goes with the old text and comes back on the new one: the block's last fault.
  p.source->SetMarkedLine(0);
  p.lines->Set(r.source);
  p.source->SetMarkedLine(r.history.faultLine);
  filling_ = false;
}

void THF::SetBlockEnabled(int n, bool enabled) {
  Panel& p = panels[static_cast<std::size_t>(n)];
  for (QCheckBox* box : p.ppu) box->setEnabled(enabled);
  p.cpuAddress->setEnabled(enabled);
  p.ppuAddress->setEnabled(enabled);
  p.lines->SetReadOnly(!enabled);
  p.source->setEnabled(enabled);
}

void THF::SpeedButton1Click() {
  ShowInFront(*mainWindow_);
}

void THF::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange) presenter_.AllBlocksActivationChanged();
}

bool THF::IsActive() const {
  return isActiveWindow();
}

void THF::FormActivate() {
  // Typing goes on in the block the user was typing in. Left to itself, the toolkit gives
  // the focus to the window's first box, where the letters typed were lost.
  QWidget* focus = focusWidget();
  if (qobject_cast<QPlainTextEdit*>(focus) == nullptr &&
      qobject_cast<QLineEdit*>(focus) == nullptr) {
    panels[static_cast<std::size_t>(model_.CurrentBlock())].source->setFocus(
        Qt::ActiveWindowFocusReason);
  }
}

}  // namespace q41::ui

#include "ui/main/midtext.hpp"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>

#include "ui/app/frame_placement.hpp"
#include "ui/app/style.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/editor/editor_lines.hpp"

namespace q41::ui {

TForm2::TForm2(QWidget* mainWindow, bool& useShortConst)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      mainWindow_(mainWindow),
      useShortConst_(useShortConst) {
  setObjectName("Form2");
  setFont(DesignFont());
  setFixedSize(211, 478);

  compText = new AsmEditor(this, false);
  compText->setObjectName("compText");
  compText->setGeometry(8, 8, 193, 370);
  SetupEditor(*compText, FixedFont());
  compLines = std::make_unique<EditorLines>(*compText);
  compLines->Set({"compText"});

  GroupBox1 = new QGroupBox("  Compiler settings  ", this);
  GroupBox1->setObjectName("GroupBox1");
  GroupBox1->setGeometry(8, 392, 193, 81);

  ShConst = new QCheckBox("Use short const", GroupBox1);
  ShConst->setObjectName("ShConst");
  ShConst->setGeometry(16, 32, 97, 17);
  ShConst->setChecked(useShortConst_);
  connect(ShConst, &QCheckBox::toggled, this, &TForm2::ShConstClick);

  placement_ = new FramePlacement(*this, [this](const QSize& ownFrame) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen != nullptr ? screen->geometry().width() : 0;
    return std::optional(Placement(mainWindow_->frameGeometry(), ownFrame, screenWidth));
  });
}

void TForm2::ShConstClick(bool checked) {
  useShortConst_ = checked;
}

QPoint TForm2::Placement(const QRect& mainFrame, const QSize& ownFrame, int screenWidth) {
  const int top = mainFrame.top() + (mainFrame.height() - ownFrame.height()) / 2;
  const int left = std::max(0, (screenWidth - mainFrame.width()) / 2 - ownFrame.width());
  return {left, top};
}

void TForm2::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  placement_->Apply();
}

}  // namespace q41::ui

// The compile-text window on Qt's offscreen platform: its compiler setting, where it opens,
// and how Preprocess only brings it forward.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QToolTip>

#include "assembler/label_table.hpp"
#include "assembler/mnemonic.hpp"
#include "blocks/reference.hpp"
#include "ui/app/application.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/widgets.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/main/hidForm.hpp"
#include "ui/main/mainform.hpp"
#include "ui/main/midtext.hpp"
#include "ui/tools/find_dialog.hpp"
#include "ui/tools/listing_window.hpp"
#include "ui/tools/reference_window.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::MainWindow;
using test::Started;

class CompileTextWindowTest : public QObject {
  Q_OBJECT

  // A fresh program for each test, shown as the message loop shows it.

 private slots:
  void shortConstSetting();
  void preprocessOnlyBringsItsWindowForward();
  void compileTextWindowPlacement();
};

void CompileTextWindowTest::shortConstSetting() {
  Started s(Language::English);
  MainWindow& w = s.w;
  w.SetSource({"mov #5,r0", "hlt"});
  s.compileText.ClickShortConst();
  QVERIFY(!s.program.settings.useShortConst);
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(w.Code(), QStringList({"01D0", "0005", "AF18"}));
  s.compileText.ClickShortConst();
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(w.Code(), QStringList({"2150", "AF18"}));
}

// Open but behind the main window, the compile-text window comes to the front and takes the
// activation when Preprocess only fills it.
void CompileTextWindowTest::preprocessOnlyBringsItsWindowForward() {
  Started s(Language::English);
  TForm2& f2 = s.program.Form2();
  s.w.Choose(&MainControls::CompText1);
  QVERIFY(QTest::qWaitForWindowActive(&f2));
  s.f.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&s.f));
  QVERIFY(f2.isVisible());
  s.w.Choose(&MainControls::Preprocess1);
  QVERIFY(QTest::qWaitForWindowActive(&f2, 2000));
}

void CompileTextWindowTest::compileTextWindowPlacement() {
  // The rule itself.
  QCOMPARE(TForm2::Placement(QRect(300, 100, 760, 700), QSize(211, 478), 1366),
           QPoint((1366 - 760) / 2 - 211, 100 + (700 - 478) / 2));
  QCOMPARE(TForm2::Placement(QRect(0, 0, 760, 700), QSize(211, 478), 1024), QPoint(0, 111));
  // And the window, each time it is shown: it follows the main window's height only.
  Started s(Language::English);
  TForm2& f2 = s.program.Form2();
  s.w.Choose(&MainControls::CompText1);
  QVERIFY(f2.isVisible());
  const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
  QCOMPARE(f2.frameGeometry().topLeft(),
           TForm2::Placement(s.f.frameGeometry(), f2.frameGeometry().size(), screenWidth));
  f2.close();
  QVERIFY(!f2.isVisible());
  s.f.move(s.f.pos() + QPoint(40, 30));
  s.w.Choose(&MainControls::CompText1);
  QCOMPARE(f2.frameGeometry().topLeft(),
           TForm2::Placement(s.f.frameGeometry(), f2.frameGeometry().size(), screenWidth));
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::CompileTextWindowTest)
#include "compile_text_window_test.moc"

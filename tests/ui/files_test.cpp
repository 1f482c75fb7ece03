// Open .ASM, Save .ASM and Save .Q41 through the real main window, with scripted dialogs.

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "ui/app/application.hpp"
#include "ui/app/widgets.hpp"
#include "ui/main/mainform.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::MainWindow;
using test::ScriptedDialogs;
using test::SetText;
using test::Started;
using test::Text;

class FilesWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  void saveAndOpenRoundTrip();
  void openCancelledOrUnreadableChangesNothing();
  void saveCodeFile();
  void saveThatFailsKeepsTheOldFileAndTheBlock();
  void aLineThatReadsAsAMarkerIsWarnedAbout();
};

// The file is saved as it stands, and the user learns where it will split when opened.
void FilesWindowTest::aLineThatReadsAsAMarkerIsWarnedAbout() {
  for (Language language : {Language::English, Language::Russian}) {
    const QString path = dir_.filePath("marker.asm");
    Started s(language);
    MainWindow& w = s.w;
    w.SetSource({"nop", ";BLOCK 1 see notes", "hlt"});
    w.AddBlock();
    w.SetSource({"hlt"});
    s.dialogs.files = {path};
    w.PressInSource(Qt::Key_S, Qt::ControlModifier);
    QVERIFY(test::ReadBytes(path).contains("nop\r\n;BLOCK 1 see notes\r\nhlt\r\n"));
    QCOMPARE(s.dialogs.shown.size(), 1);
    const QString warning = s.dialogs.shown.front();
    QVERIFY2(
        warning.startsWith(language == Language::English ? "Line 2 of block 0 "
                                                         : QString::fromUtf8("Строка 2 блока 0 ")),
        qPrintable(warning));
    QVERIFY(warning.contains(";BLOCK 1 see notes"));
    // Nothing to warn about once the line no longer reads as a marker.
    w.ChooseTab(0);
    w.SetSource({"nop", "; BLOCK 1 see notes", "hlt"});
    s.dialogs.files = {path};
    w.PressInSource(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(s.dialogs.shown.size(), 1);
  }
}

void FilesWindowTest::saveAndOpenRoundTrip() {
  const QString path = dir_.filePath("prog.asm");
  {
    Started s;
    MainWindow& w = s.w;
    w.SetSource({"; первый", "hlt"});
    w.CpuAddressField().setText("12");
    w.AddBlock();
    w.SetSource({"nop", "hlt"});
    w.PpuBox(0).setChecked(true);
    w.MemoryChoice().SetItemIndex(1);
    s.dialogs.files = {path};
    w.PressInSource(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(w.Source(), QStringList({"nop", "hlt"}));  // the block is shown again
    QCOMPARE(
        test::ReadBytes(path),
        QByteArray(";memory=DIST\r\n\r\n;Q41 assembler, v.1, 2018\r\n\r\nGLOBAL\r\n;Global\r\n"
                   "\r\n;BLOCK 0\r\n;CPU\r\n;CPUaddr=0012\r\n\r\n; \xEF\xE5\xF0\xE2\xFB\xE9\r\n"
                   "hlt\r\n\r\n;BLOCK 1\r\n;PPU=0001\r\n;CPUaddr=0000\r\n;PPUaddr=0000\r\n\r\n"
                   "nop\r\nhlt\r\n"));
  }
  Started s;
  MainWindow& w = s.w;
  w.SetGlobals({"X=1"});
  s.dialogs.files = {path};
  w.PressInSource(Qt::Key_O, Qt::ControlModifier);
  QCOMPARE(w.BlockCount(), 2);
  QCOMPARE(w.CurrentBlock(), 0);
  QCOMPARE(w.Source(), QStringList({";BLOCK 0", ";CPU", ";CPUaddr=0012", "", "; первый", "hlt"}));
  QCOMPARE(w.CpuAddress(), QString("0012"));
  QCOMPARE(w.MemoryChoice().ItemIndex(), 1);
  QCOMPARE(w.Globals(), QStringList({";Global"}));
  QCOMPARE(w.Header(), QStringList({";memory=DIST", "", ";Q41 assembler, v.1, 2018"}));
  QCOMPARE(w.LampColour(1), QColor(Qt::white));
  // Saved again: the same bytes.
  const QString again = dir_.filePath("again.asm");
  s.dialogs.files = {again};
  w.Choose(&MainControls::SaveAsm1);
  QCOMPARE(test::ReadBytes(again), test::ReadBytes(path));
}

void FilesWindowTest::openCancelledOrUnreadableChangesNothing() {
  Started s;
  MainWindow& w = s.w;
  w.Choose(&MainControls::CompAndPreproc1);
  s.dialogs.files = {QString()};
  w.Choose(&MainControls::OpenAsm1);
  QCOMPARE(w.Code(), QStringList({"AF18"}));
  s.dialogs.files = {dir_.filePath("no such file.asm")};
  w.Choose(&MainControls::OpenAsm1);
  QCOMPARE(s.dialogs.shown.size(), 1);
  QVERIFY(s.dialogs.shown.last().contains("no such file.asm"));
  QCOMPARE(w.Source(), QStringList({";asm text", "", "hlt"}));
  QCOMPARE(w.Code(), QStringList({"AF18"}));
}

void FilesWindowTest::saveCodeFile() {
  Started s;
  MainWindow& w = s.w;
  w.SetSource({"hlt"});
  w.AddBlock();
  w.SetSource({"nop"});
  w.AddBlock();
  w.SetSource({"hlt"});
  const QString path = dir_.filePath("code.q41");
  // Cancel at block 1 of three: no dialog, no file, the window as it was.
  s.dialogs.answers = {true, false};
  s.dialogs.files = {path};
  w.PressInSource(Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
  QCOMPARE(s.dialogs.shown,
           QStringList({"Code for block 0 is empty.\nDo you really want to save\n.COD file?",
                        "Code for block 1 is empty.\nDo you really want to save\n.COD file?"}));
  QCOMPARE(s.dialogs.files.size(), 1);
  QVERIFY(!QFile::exists(path));
  QCOMPARE(w.Source(), QStringList({"hlt"}));
  QCOMPARE(w.CurrentBlock(), 2);

  w.PressInSource(Qt::Key_F9);
  s.dialogs.files = {path};
  w.Choose(&MainControls::SaveCod1);
  QCOMPARE(test::ReadBytes(path),
           QByteArray("0Q41\r\n\r\n;BLOCK 0\r\n0000\r\n0000\r\n0000\r\n0001\r\n\r\nAF18\r\n"
                      "\r\n;BLOCK 1\r\n0000\r\n0000\r\n0000\r\n0001\r\n\r\n0000\r\n"
                      "\r\n;BLOCK 2\r\n0000\r\n0000\r\n0000\r\n0001\r\n\r\nAF18\r\n"));
  QCOMPARE(w.Code(), QStringList({"AF18"}));
}

void FilesWindowTest::saveThatFailsKeepsTheOldFileAndTheBlock() {
  Started s;
  MainWindow& w = s.w;
  // /proc takes no new files, not even from root.
  s.dialogs.files = {"/proc/q41-cannot-write.asm"};
  w.Choose(&MainControls::SaveAsm1);
  QCOMPARE(s.dialogs.shown.size(), 1);
  QVERIFY(s.dialogs.shown.last().startsWith("/proc/q41-cannot-write.asm\n"));
  QCOMPARE(w.Source(), QStringList({";asm text", "", "hlt"}));
  QCOMPARE(s.program.model().Stored(0).source, (Lines{";asm text", "", "hlt"}));
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::FilesWindowTest)
#include "files_test.moc"

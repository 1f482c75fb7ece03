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
    TForm1& f = s.f;
    SetText(*f.Controls().asmText, {"nop", ";BLOCK 1 see notes", "hlt"});
    QTest::mouseClick(f.Controls().BP, Qt::LeftButton);
    SetText(*f.Controls().asmText, {"hlt"});
    s.dialogs.files = {path};
    QTest::keyClick(f.Controls().asmText, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(test::ReadBytes(path).contains("nop\r\n;BLOCK 1 see notes\r\nhlt\r\n"));
    QCOMPARE(s.dialogs.shown.size(), 1);
    const QString warning = s.dialogs.shown.front();
    QVERIFY2(
        warning.startsWith(language == Language::English ? "Line 2 of block 0 "
                                                         : QString::fromUtf8("Строка 2 блока 0 ")),
        qPrintable(warning));
    QVERIFY(warning.contains(";BLOCK 1 see notes"));
    // Nothing to warn about once the line no longer reads as a marker.
    QTest::mouseClick(f.Controls().BlckTabs, Qt::LeftButton, {},
                      f.Controls().BlckTabs->tabRect(0).center());
    SetText(*f.Controls().asmText, {"nop", "; BLOCK 1 see notes", "hlt"});
    s.dialogs.files = {path};
    QTest::keyClick(f.Controls().asmText, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(s.dialogs.shown.size(), 1);
  }
}

void FilesWindowTest::saveAndOpenRoundTrip() {
  const QString path = dir_.filePath("prog.asm");
  {
    Started s;
    TForm1& f = s.f;
    SetText(*f.Controls().asmText, {"; первый", "hlt"});
    f.Controls().Edit2->setText("12");
    QTest::mouseClick(f.Controls().BP, Qt::LeftButton);
    SetText(*f.Controls().asmText, {"nop", "hlt"});
    f.Controls().PpuBoxes[0]->setChecked(true);
    f.Controls().RadioGroup1->SetItemIndex(1);
    s.dialogs.files = {path};
    QTest::keyClick(f.Controls().asmText, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(Text(*f.Controls().asmText), QStringList({"nop", "hlt"}));  // the block is shown again
    QCOMPARE(
        test::ReadBytes(path),
        QByteArray(";memory=DIST\r\n\r\n;Q41 assembler, v.1, 2018\r\n\r\nGLOBAL\r\n;Global\r\n"
                   "\r\n;BLOCK 0\r\n;CPU\r\n;CPUaddr=0012\r\n\r\n; \xEF\xE5\xF0\xE2\xFB\xE9\r\n"
                   "hlt\r\n\r\n;BLOCK 1\r\n;PPU=0001\r\n;CPUaddr=0000\r\n;PPUaddr=0000\r\n\r\n"
                   "nop\r\nhlt\r\n"));
  }
  Started s;
  TForm1& f = s.f;
  SetText(*f.Controls().Glob, {"X=1"});
  s.dialogs.files = {path};
  QTest::keyClick(f.Controls().asmText, Qt::Key_O, Qt::ControlModifier);
  QCOMPARE(f.Controls().BlckTabs->count(), 2);
  QCOMPARE(f.Controls().BlckTabs->currentIndex(), 0);
  QCOMPARE(Text(*f.Controls().asmText),
           QStringList({";BLOCK 0", ";CPU", ";CPUaddr=0012", "", "; первый", "hlt"}));
  QCOMPARE(f.Controls().Edit2->text(), QString("0012"));
  QCOMPARE(f.Controls().RadioGroup1->ItemIndex(), 1);
  QCOMPARE(Text(*f.Controls().Glob), QStringList({";Global"}));
  QCOMPARE(Text(*f.Controls().fileHeader),
           QStringList({";memory=DIST", "", ";Q41 assembler, v.1, 2018"}));
  QCOMPARE(f.Controls().BlockLamps[1]->Color(), QColor(Qt::white));
  // Saved again: the same bytes.
  const QString again = dir_.filePath("again.asm");
  s.dialogs.files = {again};
  f.Controls().SaveAsm1->trigger();
  QCOMPARE(test::ReadBytes(again), test::ReadBytes(path));
}

void FilesWindowTest::openCancelledOrUnreadableChangesNothing() {
  Started s;
  TForm1& f = s.f;
  f.Controls().CompAndPreproc1->trigger();
  s.dialogs.files = {QString()};
  f.Controls().OpenAsm1->trigger();
  QCOMPARE(Text(*f.Controls().codeText), QStringList({"AF18"}));
  s.dialogs.files = {dir_.filePath("no such file.asm")};
  f.Controls().OpenAsm1->trigger();
  QCOMPARE(s.dialogs.shown.size(), 1);
  QVERIFY(s.dialogs.shown.last().contains("no such file.asm"));
  QCOMPARE(Text(*f.Controls().asmText), QStringList({";asm text", "", "hlt"}));
  QCOMPARE(Text(*f.Controls().codeText), QStringList({"AF18"}));
}

void FilesWindowTest::saveCodeFile() {
  Started s;
  TForm1& f = s.f;
  SetText(*f.Controls().asmText, {"hlt"});
  QTest::mouseClick(f.Controls().BP, Qt::LeftButton);
  SetText(*f.Controls().asmText, {"nop"});
  QTest::mouseClick(f.Controls().BP, Qt::LeftButton);
  SetText(*f.Controls().asmText, {"hlt"});
  const QString path = dir_.filePath("code.q41");
  // Cancel at block 1 of three: no dialog, no file, the window as it was.
  s.dialogs.answers = {true, false};
  s.dialogs.files = {path};
  QTest::keyClick(f.Controls().asmText, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
  QCOMPARE(s.dialogs.shown,
           QStringList({"Code for block 0 is empty.\nDo you really want to save\n.COD file?",
                        "Code for block 1 is empty.\nDo you really want to save\n.COD file?"}));
  QCOMPARE(s.dialogs.files.size(), 1);
  QVERIFY(!QFile::exists(path));
  QCOMPARE(Text(*f.Controls().asmText), QStringList({"hlt"}));
  QCOMPARE(f.Controls().BlckTabs->currentIndex(), 2);

  QTest::keyClick(f.Controls().asmText, Qt::Key_F9);
  s.dialogs.files = {path};
  f.Controls().SaveCod1->trigger();
  QCOMPARE(test::ReadBytes(path),
           QByteArray("0Q41\r\n\r\n;BLOCK 0\r\n0000\r\n0000\r\n0000\r\n0001\r\n\r\nAF18\r\n"
                      "\r\n;BLOCK 1\r\n0000\r\n0000\r\n0000\r\n0001\r\n\r\n0000\r\n"
                      "\r\n;BLOCK 2\r\n0000\r\n0000\r\n0000\r\n0001\r\n\r\nAF18\r\n"));
  QCOMPARE(Text(*f.Controls().codeText), QStringList({"AF18"}));
}

void FilesWindowTest::saveThatFailsKeepsTheOldFileAndTheBlock() {
  Started s;
  TForm1& f = s.f;
  // /proc takes no new files, not even from root.
  s.dialogs.files = {"/proc/q41-cannot-write.asm"};
  f.Controls().SaveAsm1->trigger();
  QCOMPARE(s.dialogs.shown.size(), 1);
  QVERIFY(s.dialogs.shown.last().startsWith("/proc/q41-cannot-write.asm\n"));
  QCOMPARE(Text(*f.Controls().asmText), QStringList({";asm text", "", "hlt"}));
  QCOMPARE(s.program.model().Stored(0).source, (Lines{";asm text", "", "hlt"}));
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::FilesWindowTest)
#include "files_test.moc"

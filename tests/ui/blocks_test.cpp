// Program blocks through the real main window: the block buttons, the tabs, the PPU boxes,
// the address fields, compile all, and the questions.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "ui/app/application.hpp"
#include "ui/app/widgets.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/main/mainform.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::ScriptedDialogs;
using test::SetText;
using test::Text;

class BlocksWindowTest : public QObject {
  Q_OBJECT

  struct Started : test::Started {
    void ClickTab(int index) {
      QTest::mouseClick(f.Controls().BlckTabs, Qt::LeftButton, {},
                        f.Controls().BlckTabs->tabRect(index).center());
    }
    // Types the sources into new blocks, one after another, then goes back to block 0.
    void Blocks(const QList<QStringList>& sources) {
      SetText(*f.Controls().asmText, sources[0]);
      for (int k = 1; k < sources.size(); ++k) {
        QTest::mouseClick(f.Controls().BP, Qt::LeftButton);
        SetText(*f.Controls().asmText, sources[k]);
      }
      ClickTab(0);
    }
  };

 private slots:
  void addSwitchAndDelete();
  void ppuBoxesAndAddresses();
  void compileAllThroughTheWindow();
  void newProgram();
  void eachBlockKeepsItsUndo();
};

void BlocksWindowTest::addSwitchAndDelete() {
  Started s;
  TForm1& f = s.f;
  SetText(*f.Controls().asmText, {"nop", "hlt"});
  QTest::mouseClick(f.Controls().BP, Qt::LeftButton);
  QCOMPARE(f.Controls().BlckTabs->count(), 2);
  QCOMPARE(f.Controls().BlckTabs->tabText(1), QString("BLOCK 1"));
  QCOMPARE(f.Controls().BlckTabs->currentIndex(), 1);
  QCOMPARE(Text(*f.Controls().asmText), QStringList());
  QVERIFY(f.Controls().asmText->hasFocus());

  // An empty last block: the notice, no new tab. Type one character and it works.
  QTest::mouseClick(f.Controls().BP, Qt::LeftButton);
  QCOMPARE(s.dialogs.shown, QStringList({"New block is restricted\nwhile previous is EMPTY!"}));
  QCOMPARE(f.Controls().BlckTabs->count(), 2);
  QTest::keyClicks(f.Controls().asmText, "x");
  QTest::mouseClick(f.Controls().BP, Qt::LeftButton);
  QCOMPARE(f.Controls().BlckTabs->count(), 3);

  // Switching tabs stores one block and shows the other.
  s.ClickTab(0);
  QCOMPARE(Text(*f.Controls().asmText), QStringList({"nop", "hlt"}));
  s.ClickTab(1);
  QCOMPARE(Text(*f.Controls().asmText), QStringList({"x"}));
  QCOMPARE(s.program.model().Stored(2).source, Lines{});

  // Delete: the empty last block goes without a question; one with text asks.
  QTest::mouseClick(f.Controls().BM, Qt::LeftButton);
  QCOMPARE(f.Controls().BlckTabs->count(), 2);
  QCOMPARE(s.dialogs.shown.size(), 1);
  s.dialogs.answers = {false};
  QTest::mouseClick(f.Controls().BM, Qt::LeftButton);
  QCOMPARE(s.dialogs.shown.last(), QString("Deleting block contains text.\nConfirm operation!"));
  QCOMPARE(f.Controls().BlckTabs->count(), 2);
  QCOMPARE(Text(*f.Controls().asmText), QStringList({"x"}));
  s.dialogs.answers = {true};
  QTest::mouseClick(f.Controls().BM, Qt::LeftButton);
  QCOMPARE(f.Controls().BlckTabs->count(), 1);
  QCOMPARE(f.Controls().BlckTabs->currentIndex(), 0);
  QCOMPARE(Text(*f.Controls().asmText), QStringList({"nop", "hlt"}));
}

void BlocksWindowTest::ppuBoxesAndAddresses() {
  Started s;
  TForm1& f = s.f;
  QTest::mouseClick(f.Controls().PpuBoxes[2], Qt::LeftButton);
  QTest::mouseClick(f.Controls().PpuBoxes[0], Qt::LeftButton);
  QCOMPARE(f.Controls().PPUlist->text(), QString("0031"));
  for (QCheckBox* box : f.Controls().PpuBoxes) box->setChecked(true);
  QCOMPARE(f.Controls().PPUlist->text(), QString("4321"));
  for (QCheckBox* box : f.Controls().PpuBoxes) box->setChecked(false);
  QCOMPARE(f.Controls().PPUlist->text(), QString("0000"));
  f.Controls().PpuBoxes[1]->setChecked(true);

  f.Controls().Edit2->clear();
  QTest::keyClicks(f.Controls().Edit2, "7");
  f.Controls().Edit3->setText("12345");
  QTest::mouseClick(f.Controls().BP, Qt::LeftButton);  // stores block 0 on the way
  QCOMPARE(f.Controls().Edit2->text(), QString("0000"));
  QVERIFY(!f.Controls().PpuBoxes[1]->isChecked());
  s.ClickTab(0);
  QCOMPARE(f.Controls().Edit2->text(), QString("0007"));
  QCOMPARE(f.Controls().Edit3->text(), QString("12345"));
  QVERIFY(f.Controls().PpuBoxes[1]->isChecked());
  QCOMPARE(f.Controls().PPUlist->text(), QString("0002"));
}

void BlocksWindowTest::compileAllThroughTheWindow() {
  Started s;
  TForm1& f = s.f;
  s.Blocks(
      {{"start: mov #5,r0", "hlt"}, {"nop", "hlt"}, {"nop", "  jmp #nowhere", "hlt"}, {"hlt"}});
  QTest::keyClick(f.Controls().asmText, Qt::Key_F9);
  QCOMPARE(f.Controls().LineLab->text(), QString("Bl.2; 2:    jmp #nowhere"));
  QCOMPARE(f.Controls().ErrLab->text(), QString("Label not found in the list: NOWHERE"));
  QCOMPARE(f.Controls().BlckTabs->currentIndex(), 2);
  QCOMPARE(f.Controls().BlockLamps[0]->Color(), QColor(0, 255, 0));
  QCOMPARE(f.Controls().BlockLamps[1]->Color(), QColor(0, 255, 0));
  QCOMPARE(f.Controls().BlockLamps[2]->Color(), QColor(255, 0, 0));
  QCOMPARE(f.Controls().BlockLamps[3]->Color(), QColor(255, 255, 255));
  QCOMPARE(f.Controls().BlockLamps[4]->Color(),
           LampColorOf(LampColor::Hidden, *f.Controls().GroupBox2));
  QCOMPARE(f.Controls().NwordsLab->text(), QString("0002"));
  QVERIFY(f.Controls().asmText->hasFocus());
  QCOMPARE(f.Controls().asmText->textCursor().selectedText(), QString("  jmp #nowhere"));
  QVERIFY(f.grab().save(test::ScreenshotPath("blocks_compile_all_failed")));

  // Mend block 2 and compile all again: every lamp green, the last block shown.
  SetText(*f.Controls().asmText, {"nop", "hlt"});
  QTest::mouseClick(f.Controls().SpeedButton2, Qt::LeftButton);
  QCOMPARE(f.Controls().LineLab->text(), QString("Successful compilation"));
  QCOMPARE(f.Controls().BlckTabs->currentIndex(), 3);
  for (int k = 0; k < 4; ++k) QCOMPARE(f.Controls().BlockLamps[k]->Color(), QColor(0, 255, 0));
  QCOMPARE(s.program.model().Stored(0).wordCount, "0002");
  QCOMPARE(s.program.model().Stored(2).code, (Lines{"0000", "AF18"}));

  // Ctrl+F9 compiles the shown block only, and colours only its lamp.
  s.ClickTab(1);
  SetText(*f.Controls().asmText, {"bad"});
  QTest::keyClick(f.Controls().asmText, Qt::Key_F9, Qt::ControlModifier);
  QCOMPARE(f.Controls().BlockLamps[1]->Color(), QColor(255, 0, 0));
  QCOMPARE(f.Controls().BlockLamps[0]->Color(), QColor(0, 255, 0));
  QCOMPARE(f.Controls().NwordsLab->text(), QString("0002"));
}

void BlocksWindowTest::newProgram() {
  Started s;
  TForm1& f = s.f;
  s.Blocks({{"a"}, {"b"}, {"c"}, {"d"}});
  // Saved, so that nothing unsaved is asked about: New program asks its own question.
  const QTemporaryDir dir;
  s.dialogs.files = {dir.filePath("blocks.asm")};
  f.Controls().SaveAsm1->trigger();
  s.dialogs.answers = {false};
  f.Controls().new1->trigger();
  QCOMPARE(f.Controls().BlckTabs->count(), 4);
  s.dialogs.answers = {true};
  f.Controls().new1->trigger();
  QCOMPARE(s.dialogs.shown.last(), QString("Do you really want to\nclear old program?"));
  QCOMPARE(f.Controls().BlckTabs->count(), 1);
  QCOMPARE(Text(*f.Controls().asmText), QStringList({"", "hlt"}));
  QCOMPARE(Text(*f.Controls().fileHeader), QStringList());
  QCOMPARE(Text(*f.Controls().Glob), QStringList());
  QCOMPARE(f.Controls().RadioGroup1->ItemIndex(), 0);
  QCOMPARE(f.Controls().BlockLamps[0]->Color(), QColor(255, 255, 255));
  QCOMPARE(f.Controls().BlockLamps[1]->Color(),
           LampColorOf(LampColor::Hidden, *f.Controls().GroupBox2));
}

// Undo and Redo in a block take back its own edits, after other blocks were shown and after
// compile all went through them; a block deleted, or a new program, starts with none.
void BlocksWindowTest::eachBlockKeepsItsUndo() {
  Started s;
  TForm1& f = s.f;
  AsmEditor& editor = *f.Controls().asmText;
  const auto type = [&](const QString& text) {
    editor.setFocus();
    editor.moveCursor(QTextCursor::Start);
    QTest::keyClicks(&editor, text);
  };
  const auto undoAll = [&] {
    editor.setFocus();
    while (editor.document()->isUndoAvailable()) f.Controls().UnDo1->trigger();
  };
  type("x");
  QTest::mouseClick(f.Controls().BP, Qt::LeftButton);
  type("one");
  s.ClickTab(0);
  QCOMPARE(Text(editor), QStringList({"x;asm text", "", "hlt"}));
  undoAll();
  QCOMPARE(Text(editor), QStringList({";asm text", "", "hlt"}));
  f.Controls().Redo1->trigger();
  QCOMPARE(Text(editor), QStringList({"x;asm text", "", "hlt"}));
  QTest::keyClick(&editor, Qt::Key_F9);
  s.ClickTab(1);
  QCOMPARE(Text(editor), QStringList({"one"}));
  undoAll();
  QCOMPARE(Text(editor), QStringList());
  s.ClickTab(0);
  undoAll();
  QCOMPARE(Text(editor), QStringList({";asm text", "", "hlt"}));
  QCOMPARE(s.program.model().Stored(1).source, Lines{});

  // Block 1 deleted and added again: nothing of its old text comes back.
  s.ClickTab(1);
  type("two");
  s.dialogs.answers = {true};
  QTest::mouseClick(f.Controls().BM, Qt::LeftButton);
  QTest::mouseClick(f.Controls().BP, Qt::LeftButton);
  QCOMPARE(f.Controls().BlckTabs->currentIndex(), 1);
  QVERIFY(!editor.document()->isUndoAvailable());
  // A new program: no block's history is left.
  s.ClickTab(0);
  QVERIFY(editor.document()->isRedoAvailable());
  s.dialogs.choices = {Choice::Discard};
  s.dialogs.answers = {true};
  f.Controls().new1->trigger();
  QCOMPARE(Text(editor), QStringList({"", "hlt"}));
  QVERIFY(!editor.document()->isUndoAvailable() && !editor.document()->isRedoAvailable());
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::BlocksWindowTest)
#include "blocks_test.moc"

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

using test::MainWindow;
using test::ScriptedDialogs;
using test::SetText;
using test::Text;

class BlocksWindowTest : public QObject {
  Q_OBJECT

  struct Started : test::Started {
    // Types the sources into new blocks, one after another, then goes back to block 0.
    void Blocks(const QList<QStringList>& sources) {
      w.SetSource(sources[0]);
      for (int k = 1; k < sources.size(); ++k) {
        w.AddBlock();
        w.SetSource(sources[k]);
      }
      w.ChooseTab(0);
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
  MainWindow& w = s.w;
  w.SetSource({"nop", "hlt"});
  w.AddBlock();
  QCOMPARE(w.BlockCount(), 2);
  QCOMPARE(w.TabCaption(1), QString("BLOCK 1"));
  QCOMPARE(w.CurrentBlock(), 1);
  QCOMPARE(w.Source(), QStringList());
  QVERIFY(w.SourceEditor().hasFocus());

  // An empty last block: the notice, no new tab. Type one character and it works.
  w.AddBlock();
  QCOMPARE(s.dialogs.shown, QStringList({"New block is restricted\nwhile previous is EMPTY!"}));
  QCOMPARE(w.BlockCount(), 2);
  w.TypeInSource("x");
  w.AddBlock();
  QCOMPARE(w.BlockCount(), 3);

  // Switching tabs stores one block and shows the other.
  s.w.ChooseTab(0);
  QCOMPARE(w.Source(), QStringList({"nop", "hlt"}));
  s.w.ChooseTab(1);
  QCOMPARE(w.Source(), QStringList({"x"}));
  QCOMPARE(s.program.model().Stored(2).source, Lines{});

  // Delete: the empty last block goes without a question; one with text asks.
  w.DeleteBlock();
  QCOMPARE(w.BlockCount(), 2);
  QCOMPARE(s.dialogs.shown.size(), 1);
  s.dialogs.answers = {false};
  w.DeleteBlock();
  QCOMPARE(s.dialogs.shown.last(), QString("Deleting block contains text.\nConfirm operation!"));
  QCOMPARE(w.BlockCount(), 2);
  QCOMPARE(w.Source(), QStringList({"x"}));
  s.dialogs.answers = {true};
  w.DeleteBlock();
  QCOMPARE(w.BlockCount(), 1);
  QCOMPARE(w.CurrentBlock(), 0);
  QCOMPARE(w.Source(), QStringList({"nop", "hlt"}));
}

void BlocksWindowTest::ppuBoxesAndAddresses() {
  Started s;
  MainWindow& w = s.w;
  QTest::mouseClick(&w.PpuBox(2), Qt::LeftButton);
  QTest::mouseClick(&w.PpuBox(0), Qt::LeftButton);
  QCOMPARE(w.PpuList(), QString("0031"));
  for (QCheckBox* box : w.PpuBoxes()) box->setChecked(true);
  QCOMPARE(w.PpuList(), QString("4321"));
  for (QCheckBox* box : w.PpuBoxes()) box->setChecked(false);
  QCOMPARE(w.PpuList(), QString("0000"));
  w.PpuBox(1).setChecked(true);

  w.CpuAddressField().clear();
  QTest::keyClicks(&w.CpuAddressField(), "7");
  w.PpuAddressField().setText("12345");
  w.AddBlock();  // stores block 0 on the way
  QCOMPARE(w.CpuAddress(), QString("0000"));
  QVERIFY(!w.PpuBox(1).isChecked());
  s.w.ChooseTab(0);
  QCOMPARE(w.CpuAddress(), QString("0007"));
  QCOMPARE(w.PpuAddressField().text(), QString("12345"));
  QVERIFY(w.PpuBox(1).isChecked());
  QCOMPARE(w.PpuList(), QString("0002"));
}

void BlocksWindowTest::compileAllThroughTheWindow() {
  Started s;
  TForm1& f = s.f;
  MainWindow& w = s.w;
  s.Blocks(
      {{"start: mov #5,r0", "hlt"}, {"nop", "hlt"}, {"nop", "  jmp #nowhere", "hlt"}, {"hlt"}});
  w.PressInSource(Qt::Key_F9);
  QCOMPARE(w.LineStatus(), QString("Bl.2; 2:    jmp #nowhere"));
  QCOMPARE(w.FaultStatus(), QString("Label not found in the list: NOWHERE"));
  QCOMPARE(w.CurrentBlock(), 2);
  QCOMPARE(w.LampColour(0), QColor(0, 255, 0));
  QCOMPARE(w.LampColour(1), QColor(0, 255, 0));
  QCOMPARE(w.LampColour(2), QColor(255, 0, 0));
  QCOMPARE(w.LampColour(3), QColor(255, 255, 255));
  QCOMPARE(w.LampColour(4), LampColorOf(LampColor::Hidden, w.LampGroup()));
  QCOMPARE(w.WordCount(), QString("0002"));
  QVERIFY(w.SourceEditor().hasFocus());
  QCOMPARE(w.SourceEditor().textCursor().selectedText(), QString("  jmp #nowhere"));
  QVERIFY(f.grab().save(test::ScreenshotPath("blocks_compile_all_failed")));

  // Mend block 2 and compile all again: every lamp green, the last block shown.
  w.SetSource({"nop", "hlt"});
  QTest::mouseClick(&w.CompileAllButton(), Qt::LeftButton);
  QCOMPARE(w.LineStatus(), QString("Successful compilation"));
  QCOMPARE(w.CurrentBlock(), 3);
  for (int k = 0; k < 4; ++k) QCOMPARE(w.LampColour(k), QColor(0, 255, 0));
  QCOMPARE(s.program.model().Stored(0).wordCount, "0002");
  QCOMPARE(s.program.model().Stored(2).code, (Lines{"0000", "AF18"}));

  // Ctrl+F9 compiles the shown block only, and colours only its lamp.
  s.w.ChooseTab(1);
  w.SetSource({"bad"});
  w.PressInSource(Qt::Key_F9, Qt::ControlModifier);
  QCOMPARE(w.LampColour(1), QColor(255, 0, 0));
  QCOMPARE(w.LampColour(0), QColor(0, 255, 0));
  QCOMPARE(w.WordCount(), QString("0002"));
}

void BlocksWindowTest::newProgram() {
  Started s;
  MainWindow& w = s.w;
  s.Blocks({{"a"}, {"b"}, {"c"}, {"d"}});
  // Saved, so that nothing unsaved is asked about: New program asks its own question.
  const QTemporaryDir dir;
  s.dialogs.files = {dir.filePath("blocks.asm")};
  w.Choose(&MainControls::SaveAsm1);
  s.dialogs.answers = {false};
  w.Choose(&MainControls::new1);
  QCOMPARE(w.BlockCount(), 4);
  s.dialogs.answers = {true};
  w.Choose(&MainControls::new1);
  QCOMPARE(s.dialogs.shown.last(), QString("Do you really want to\nclear old program?"));
  QCOMPARE(w.BlockCount(), 1);
  QCOMPARE(w.Source(), QStringList({"", "hlt"}));
  QCOMPARE(w.Header(), QStringList());
  QCOMPARE(w.Globals(), QStringList());
  QCOMPARE(w.MemoryChoice().ItemIndex(), 0);
  QCOMPARE(w.LampColour(0), QColor(255, 255, 255));
  QCOMPARE(w.LampColour(1), LampColorOf(LampColor::Hidden, w.LampGroup()));
}

// Undo and Redo in a block take back its own edits, after other blocks were shown and after
// compile all went through them; a block deleted, or a new program, starts with none.
void BlocksWindowTest::eachBlockKeepsItsUndo() {
  Started s;
  MainWindow& w = s.w;
  AsmEditor& editor = w.SourceEditor();
  const auto type = [&](const QString& text) {
    editor.setFocus();
    editor.moveCursor(QTextCursor::Start);
    QTest::keyClicks(&editor, text);
  };
  const auto undoAll = [&] {
    editor.setFocus();
    while (editor.document()->isUndoAvailable()) w.Choose(&MainControls::UnDo1);
  };
  type("x");
  w.AddBlock();
  type("one");
  s.w.ChooseTab(0);
  QCOMPARE(Text(editor), QStringList({"x;asm text", "", "hlt"}));
  undoAll();
  QCOMPARE(Text(editor), QStringList({";asm text", "", "hlt"}));
  w.Choose(&MainControls::Redo1);
  QCOMPARE(Text(editor), QStringList({"x;asm text", "", "hlt"}));
  QTest::keyClick(&editor, Qt::Key_F9);
  s.w.ChooseTab(1);
  QCOMPARE(Text(editor), QStringList({"one"}));
  undoAll();
  QCOMPARE(Text(editor), QStringList());
  s.w.ChooseTab(0);
  undoAll();
  QCOMPARE(Text(editor), QStringList({";asm text", "", "hlt"}));
  QCOMPARE(s.program.model().Stored(1).source, Lines{});

  // Block 1 deleted and added again: nothing of its old text comes back.
  s.w.ChooseTab(1);
  type("two");
  s.dialogs.answers = {true};
  w.DeleteBlock();
  w.AddBlock();
  QCOMPARE(w.CurrentBlock(), 1);
  QVERIFY(!editor.document()->isUndoAvailable());
  // A new program: no block's history is left.
  s.w.ChooseTab(0);
  QVERIFY(editor.document()->isRedoAvailable());
  s.dialogs.choices = {Choice::Discard};
  s.dialogs.answers = {true};
  w.Choose(&MainControls::new1);
  QCOMPARE(Text(editor), QStringList({"", "hlt"}));
  QVERIFY(!editor.document()->isUndoAvailable() && !editor.document()->isRedoAvailable());
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::BlocksWindowTest)
#include "blocks_test.moc"

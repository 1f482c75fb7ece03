// The main window's commands on Qt's offscreen platform, through their menu items, shortcuts
// and buttons: compiling, the edit commands, the questions they ask, find and replace, undo and
// redo, and the keys that switch blocks.

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
using test::SetText;
using test::Started;
using test::Text;

class MainWindowCommandsTest : public QObject {
  Q_OBJECT

  // A fresh program for each test, shown as the message loop shows it.

 private slots:
  void compileBlockByMenuShortcutAndButton();
  void compileBlockFaults();
  void compileOnlyAndPreprocessOnly();
  void editCommandsFollowTheFocus();
  void menuKeysNeverReachTheEditors();
  void questionsAndTheirCancelPaths();
  void findAndReplace();
  void redoAndAnUndoableClearText();
  void pageKeysSwitchBlocks();
};

void MainWindowCommandsTest::compileBlockByMenuShortcutAndButton() {
  Started s(Language::English);
  TForm1& f = s.f;
  MainWindow& w = s.w;
  w.SetSource({"n = 5", "start: mov #n,r0", "loop: sub #1,r0", " bne loop", "hlt"});
  s.program.Form2().show();
  f.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&f));

  w.SourceEditor().setFocus();
  w.PressInSource(Qt::Key_F9, Qt::ControlModifier);
  QCOMPARE(w.Code(), QStringList({"01D0", "0005", "2310", "4DFC", "AF18"}));
  QCOMPARE(w.LineStatus(), QString("Successful compilation"));
  QCOMPARE(w.FaultStatus(), QString());
  QCOMPARE(w.LampColour(0), QColor(0, 255, 0));
  QVERIFY(!s.program.Form2().isVisible());
  QCOMPARE(w.WordCount(),
           QString("0000"));  // one block's compile leaves the count
  QCOMPARE(w.Cell(1, 0), QString("N"));
  QCOMPARE(w.Cell(1, 1), QString("="));
  QCOMPARE(w.Cell(3, 2), QString("0004"));
  QVERIFY(s.dialogs.shown.isEmpty());

  w.Choose(&MainControls::ClearCode1);
  QCOMPARE(w.Code(), QStringList());
  QCOMPARE(w.Cell(1, 0), QString());
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(w.Code().size(), 5);
  w.Choose(&MainControls::ClearCode1);
  QTest::mouseClick(&w.CompileBlockButton(), Qt::LeftButton);
  QCOMPARE(w.Code().size(), 5);

  // A block without HLT: the warning, and still a success.
  w.SetSource({"nop"});
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(s.dialogs.shown, QStringList({"No HLT command!"}));
  QCOMPARE(w.LampColour(0), QColor(0, 255, 0));
}

void MainWindowCommandsTest::compileBlockFaults() {
  Started s(Language::English);
  MainWindow& w = s.w;
  // The preprocessor: its numbered line, the line selected, a red lamp, nothing assembled.
  w.SetSource({"nop", "buf: rw 0", "hlt"});
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(w.LineStatus(), QString("2: RW 0"));
  QCOMPARE(w.FaultStatus(), QString("Invalid value: 0"));
  QCOMPARE(w.SourceEditor().textCursor().selectedText(), QString("buf: rw 0"));
  QCOMPARE(w.LampColour(0), QColor(255, 0, 0));
  QCOMPARE(w.Code(), QStringList());
  QCOMPARE(s.compileText.Lines(), QStringList({"NOP", "BUF:", "0"}));

  // The assembler: ":  " before the line as the editor holds it, and the words so far.
  w.SetSource({"x: nop", "  mov r0,#5 ; oops", "hlt"});
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(w.LineStatus(), QString("2:    mov r0,#5 ; oops"));
  QCOMPARE(w.FaultStatus(), QString("Const is forbidden here: #5"));
  QCOMPARE(w.SourceEditor().textCursor().selectedText(), QString("  mov r0,#5 ; oops"));
  QCOMPARE(w.Code(), QStringList({"0000", "0100"}));
  QCOMPARE(w.LampColour(0), QColor(255, 0, 0));

  // Russian diagnostics and Cyrillic in the source line.
  Started r(Language::Russian);
  r.w.SetSource({"метка: мов r0,r1"});
  r.w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(r.w.LineStatus(), QString("1:  метка: мов r0,r1"));
  QCOMPARE(r.w.FaultStatus(), QString("Неизвестное имя операции: мов"));
}

void MainWindowCommandsTest::compileOnlyAndPreprocessOnly() {
  Started s(Language::English);
  MainWindow& w = s.w;
  TForm2& f2 = s.program.Form2();
  // Compile only right after start-up assembles the initial line "compText".
  w.Choose(&MainControls::Compile1);
  QCOMPARE(w.FaultStatus(), QString("Unknown operation name: compText"));
  QCOMPARE(w.LineStatus(), QString("0:  "));

  w.SetSource({"a: nop", "b:", "c: n = 7", "hlt"});
  w.Choose(&MainControls::Preprocess1);
  QVERIFY(f2.isVisible());
  QCOMPARE(s.compileText.Lines(), QStringList({"A:", "NOP", "B:", "C:", "N=", "7", "HLT"}));
  QCOMPARE(w.Code(), QStringList());
  QCOMPARE(w.LineStatus(), QString());

  // Edited by hand, then assembled as it stands; constants leave the window's text.
  SetText(s.compileText.TextView(), {"Z:", "N=", "7", "MOV #N,R1", "HLT"});
  w.Choose(&MainControls::Compile1);
  QCOMPARE(w.Code(), QStringList({"01D1", "0007", "AF18"}));
  QCOMPARE(s.compileText.Lines(), QStringList({"Z:", "MOV #N,R1", "HLT"}));
  QCOMPARE(w.LineStatus(), QString("Successful compilation"));
  QVERIFY(f2.isVisible());  // Compile only neither shows nor hides the window
  QCOMPARE(w.LampColour(0), QColor(Qt::white));

  // The grid was not emptied: rows past the new labels keep the earlier ones.
  w.Choose(&MainControls::CompAndPreproc1);  // A, B, C, N
  SetText(s.compileText.TextView(), {"Q:", "HLT"});
  w.Choose(&MainControls::Compile1);
  QCOMPARE(w.Cell(1, 0), QString("Q"));
  QCOMPARE(w.Cell(2, 0), QString("B"));
  QCOMPARE(w.Cell(4, 0), QString("N"));

  // Preprocess only after a compile: the new text replaces the hand-edited one.
  w.Choose(&MainControls::Preprocess1);
  QCOMPARE(s.compileText.Lines(), QStringList({"A:", "NOP", "B:", "C:", "N=", "7", "HLT"}));
  QCOMPARE(w.Cell(1, 0), QString());
}

void MainWindowCommandsTest::editCommandsFollowTheFocus() {
  Started s(Language::English);
  MainWindow& w = s.w;
  QClipboard* clipboard = QGuiApplication::clipboard();
  w.SetSource({"abc", "def"});
  SetText(w.CodeView(), {"AF18"});

  clipboard->setText("unchanged");
  w.SourceEditor().setFocus();
  w.Choose(&MainControls::Cut1);  // no selection: nothing happens
  QCOMPARE(clipboard->text(), QString("unchanged"));
  QCOMPARE(w.Source(), QStringList({"abc", "def"}));

  w.Choose(&MainControls::SelectAll1);
  w.Choose(&MainControls::Copy1);
  QCOMPARE(clipboard->text(), QString("abc\ndef\n"));
  clipboard->setText("xyz");
  w.Choose(&MainControls::Paste1);
  QCOMPARE(w.Source(), QStringList({"xyz"}));
  w.Choose(&MainControls::UnDo1);
  QCOMPARE(w.Source(), QStringList({"abc", "def"}));

  // The read-only code: copy and select all work, cut and paste change nothing.
  w.CodeView().setFocus();
  w.Choose(&MainControls::SelectAll1);
  w.Choose(&MainControls::Copy1);
  QCOMPARE(clipboard->text(), QString("AF18\n"));
  clipboard->setText("1234");
  w.Choose(&MainControls::Paste1);
  w.Choose(&MainControls::Cut1);
  QCOMPARE(w.Code(), QStringList({"AF18"}));

  // Focus elsewhere: the commands do nothing.
  clipboard->setText("kept");
  w.GlobalsEditor().setFocus();
  w.GlobalsEditor().selectAll();
  w.Choose(&MainControls::Copy1);
  w.Choose(&MainControls::Paste1);
  QCOMPARE(clipboard->text(), QString("kept"));
  QCOMPARE(w.Globals(), QStringList({";Global"}));
}

void MainWindowCommandsTest::menuKeysNeverReachTheEditors() {
  Started s(Language::English);
  MainWindow& w = s.w;
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText("from the clipboard");
  w.GlobalsEditor().setFocus();
  w.GlobalsEditor().selectAll();
  QTest::keyClick(&w.GlobalsEditor(), Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(clipboard->text(), QString("from the clipboard"));
  QTest::keyClick(&w.GlobalsEditor(), Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(w.Globals(), QStringList({";Global"}));
  w.CpuAddressField().setFocus();
  w.CpuAddressField().selectAll();
  QTest::keyClick(&w.CpuAddressField(), Qt::Key_X, Qt::ControlModifier);
  QCOMPARE(w.CpuAddress(), QString("0000"));

  // In the source editor the same keys are the menu commands, and they work there.
  w.SetSource({"hlt"});
  w.SourceEditor().setFocus();
  w.PressInSource(Qt::Key_A, Qt::ControlModifier);
  w.PressInSource(Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(clipboard->text(), QString("hlt\n"));
  w.PressInSource(Qt::Key_X, Qt::ControlModifier);
  QCOMPARE(w.Source(), QStringList());
  w.PressInSource(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(w.Source(), QStringList({"hlt"}));

  // Ctrl+F9 from the compile-text window compiles too.
  s.program.Form2().show();
  s.program.Form2().activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&s.program.Form2()));
  QTest::keyClick(&s.compileText.TextView(), Qt::Key_F9, Qt::ControlModifier);
  QCOMPARE(w.Code(), QStringList({"AF18"}));
}

void MainWindowCommandsTest::questionsAndTheirCancelPaths() {
  Started s(Language::English);
  TForm1& f = s.f;
  MainWindow& w = s.w;
  s.dialogs.answers = {false};
  w.Choose(&MainControls::ClearAsm1);
  QCOMPARE(w.Source(), QStringList({";asm text", "", "hlt"}));
  s.dialogs.answers = {true};
  w.Choose(&MainControls::ClearAsm1);
  QCOMPARE(w.Source(), QStringList());
  QCOMPARE(s.dialogs.shown,
           QStringList({"Really want to clear\nASM-text?", "Really want to clear\nASM-text?"}));

  // Saved, so that nothing unsaved is asked about: Exit asks its own question.
  const QTemporaryDir dir;
  s.dialogs.files = {dir.filePath("cleared.asm")};
  w.Choose(&MainControls::SaveAsm1);
  s.dialogs.answers = {false};
  w.Choose(&MainControls::Exit1);
  QVERIFY(f.isVisible());
  s.dialogs.answers = {true};
  w.Choose(&MainControls::Exit1);
  QVERIFY(!f.isVisible());
  QCOMPARE(s.dialogs.shown.last(), QString("Really want to exit?"));
}

void MainWindowCommandsTest::findAndReplace() {
  Started s(Language::English);
  s.w.SetSource({"mov r1, r2", "MOV R3, R1", "hlt"});
  s.w.SourceEditor().setFocus();
  s.w.PressInSource(Qt::Key_F, Qt::ControlModifier);
  FindDialog* d = s.f.Tools().Find();
  QVERIFY(d != nullptr && d->isVisible());
  QCOMPARE(d->Target(), &s.w.SourceEditor());
  auto selection = [&s] {
    const QTextCursor c = s.w.SourceEditor().textCursor();
    return QString::number(c.blockNumber()) + ":" + c.selectedText();
  };
  // Upper and lower case alike, unless asked; the search wraps round at the end.
  d->findText->setText("mov");
  QVERIFY(d->FindNext());
  QCOMPARE(selection(), "0:mov");
  QVERIFY(d->FindNext());
  QCOMPARE(selection(), "1:MOV");
  d->matchCase->setChecked(true);
  QVERIFY(d->FindNext());
  QCOMPARE(selection(), "0:mov");
  // Replace: the match selected, then on to the next.
  d->replaceText->setText("add");
  d->ReplaceOne();
  QCOMPARE(s.w.Source(), QStringList({"add r1, r2", "MOV R3, R1", "hlt"}));
  d->matchCase->setChecked(false);
  d->findText->setText("r1");
  d->replaceText->setText("r0");
  QCOMPARE(d->ReplaceAll(), 2);
  QCOMPARE(d->status->text(), "Replaced: 2");
  QCOMPARE(s.w.Source(), QStringList({"add r0, r2", "MOV R3, r0", "hlt"}));
  // One undo takes Replace all back whole.
  s.w.SourceEditor().undo();
  QCOMPARE(s.w.Source(), QStringList({"add r1, r2", "MOV R3, R1", "hlt"}));
  s.w.SourceEditor().redo();
  // The edit keys, which the menu takes everywhere, edit the dialog's fields. The keys go to
  // the dialog's window, as the window system sends them, not straight to a field.
  d->findText->setText("abc");
  d->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(d));
  d->findText->setFocus();
  QTest::keyClick(d->windowHandle(), Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(d->findText->selectedText(), "abc");
  QTest::keyClick(d->windowHandle(), Qt::Key_C, Qt::ControlModifier);
  d->replaceText->setFocus();
  QTest::keyClick(d->windowHandle(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(d->windowHandle(), Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(d->replaceText->text(), "abc");
  QCOMPARE(s.w.Source(), QStringList({"add r0, r2", "MOV R3, r0", "hlt"}));
  d->findText->setText("xyz");
  QVERIFY(!d->FindNext());
  QCOMPARE(d->status->text(), "Not found.");
  // What was replaced is the block's text from then on.
  s.w.Choose(&MainControls::CompAll1);
  QCOMPARE(s.program.model().Stored(0).source[0], "add r0, r2");

  // In an all-blocks column it finds, and leaves replacing to the main window.
  THF& hf = *s.program.HF();
  hf.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&hf));
  s.blocks.SourceEditor(0).setFocus();
  QApplication::processEvents();
  s.w.Choose(&MainControls::Find1);
  QCOMPARE(d->Target(), &s.blocks.SourceEditor(0));
  QVERIFY(!d->replaceAllButton->isEnabled());
  d->findText->setText("hlt");
  QVERIFY(d->FindNext());
  QCOMPARE(s.blocks.SourceEditor(0).textCursor().selectedText(), "hlt");
  QCOMPARE(d->ReplaceAll(), 0);
  QVERIFY(s.dialogs.answers.empty());
}

// Redo by both its keys, in the source editor only, as Undo; Clear text is undone as any edit.
void MainWindowCommandsTest::redoAndAnUndoableClearText() {
  Started s(Language::English);
  TForm1& f = s.f;
  MainWindow& w = s.w;
  AsmEditor& editor = w.SourceEditor();
  SetText(editor, {"nop", "hlt"});
  editor.setFocus();
  QTest::keyClicks(&editor, "x");
  const std::function<void()> redoes[] = {
      [&] { QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier); },
      [&] { QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); },
      [&] { w.Choose(&MainControls::Redo1); }};
  for (const auto& redo : redoes) {
    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text(editor), QStringList({"nop", "hlt"}));
    redo();
    QCOMPARE(Text(editor), QStringList({"xnop", "hlt"}));
  }
  w.GlobalsEditor().setFocus();
  w.Choose(&MainControls::Redo1);
  QCOMPARE(w.Globals(), QStringList({";Global"}));

  s.dialogs.answers = {true};
  w.Choose(&MainControls::ClearAsm1);
  QCOMPARE(Text(editor), QStringList());
  editor.setFocus();
  QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Text(editor), QStringList({"xnop", "hlt"}));
  QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(Text(editor), QStringList());
  // The block keeps what the editor shows when it is next stored.
  w.AddBlockButton().click();
  QVERIFY(s.dialogs.shown.contains("New block is restricted\nwhile previous is EMPTY!"));

  // A text still being laid out goes whole, not only the part on screen.
  static_cast<WorkingCopy&>(f).SetSource(Lines(60000, "nop"), 0);
  QVERIFY(EditorLines::Loading());
  s.dialogs.answers = {true};
  w.Choose(&MainControls::ClearAsm1);
  QTRY_VERIFY(!EditorLines::Loading());
  QCOMPARE(Text(editor), QStringList());
}

// Ctrl+PgDn and Ctrl+PgUp choose the next and previous tab as a click does, from either
// window, round from the last block to the first.
void MainWindowCommandsTest::pageKeysSwitchBlocks() {
  Started s(Language::English);
  MainWindow& w = s.w;
  w.SetSource({"; zero"});
  for (const char* text : {"; one", "; two"}) {
    w.AddBlockButton().click();
    w.SetSource({text});
  }
  struct Step {
    QWidget* from;
    Qt::Key key;
    int block;
    QString text;
  };
  for (const Step& step : {Step{&w.SourceEditor(), Qt::Key_PageDown, 0, "; zero"},
                           Step{&w.SourceEditor(), Qt::Key_PageDown, 1, "; one"},
                           Step{&w.CodeView(), Qt::Key_PageUp, 0, "; zero"},
                           Step{&s.blocks.SourceEditor(1), Qt::Key_PageUp, 2, "; two"}}) {
    step.from->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(step.from->window()));
    step.from->setFocus();
    QTest::keyClick(step.from, step.key, Qt::ControlModifier);
    QCOMPARE(w.CurrentBlock(), step.block);
    QCOMPARE(s.program.model().CurrentBlock(), step.block);
    QCOMPARE(w.Source(), QStringList({step.text}));
  }
  QVERIFY(s.dialogs.shown.isEmpty());
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::MainWindowCommandsTest)
#include "main_window_commands_test.moc"

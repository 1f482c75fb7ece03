// The all-blocks window on Qt's offscreen platform, which delivers window activation: edits
// flow from the main window into the columns and back as the windows take turns.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "modal_answerer.hpp"
#include "ui/app/application.hpp"
#include "ui/app/widgets.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/main/hidForm.hpp"
#include "ui/main/mainform.hpp"
#include "ui/main/midtext.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::MainWindow;
using test::ScriptedDialogs;
using test::SetText;
using test::Text;

class AllBlocksWindowTest : public QObject {
  Q_OBJECT

  struct Started : test::Started {
    THF& hf = *program.HF();
    void F3(QWidget* from) {
      QTest::keyClick(from, Qt::Key_F3);
      QApplication::processEvents();
    }
    bool Active(QWidget* window) { return QTest::qWaitForWindowActive(window); }
    void Type(QPlainTextEdit* editor, const QStringList& lines) {
      editor->setFocus();
      editor->selectAll();
      editor->insertPlainText(lines.join('\n'));
    }
  };

 private slots:
  void startUp();
  void editsFlowBothWays();
  void undoLastsAcrossTheWindows();
  void ppuBoxesAndAddressesHere();
  void f3FromEveryWindow();
  void shortcutsHereTakeTheEditsAlong();
  void aMessageBoxOverACommandFromHere();
  void aDialogFromHereLosesNoTyping();
  void faultMarksInTheColumns();
  void screenshot();
};

void AllBlocksWindowTest::startUp() {
  Started s;
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  QCOMPARE(s.hf.frameGeometry().topLeft(), QPoint(0, 0));
  QCOMPARE(s.hf.width(), screen.width());
  QCOMPARE(s.hf.height(), 700);
  QVERIFY(s.hf.isVisible());
  QCOMPARE(s.hf.windowTitle(), QString(" Program blocks"));
  QCOMPARE(s.blocks.Source(0), QStringList({";asm text", "", "hlt"}));
  QVERIFY(s.blocks.SourceEditor(0).isEnabled());
  for (int i = 1; i < 6; ++i) {
    const THF::Panel& p = s.blocks.Column(i);
    QVERIFY(!p.source->isEnabled());
    QVERIFY(!p.cpuAddress->isEnabled());
    QVERIFY(!p.ppu[0]->isEnabled());
    QCOMPARE(p.ppuList->text(), QString("0000"));
    QCOMPARE(p.wordCount->text(), QString("0000"));
    QCOMPARE(p.title->text(), QString("Block %1").arg(i));
  }
  const int column = s.hf.width() / 6;
  QCOMPARE(s.blocks.Column(3).frame->geometry(), QRect(3 * column + 8, 8, column - 16, 700 - 16));
  QVERIFY(s.blocks.ReturnButton().parentWidget() == s.blocks.Column(5).frame);
  QCOMPARE(s.blocks.ReturnButton().toolTip(),
           QString("Show main window\n(alternative - key \"F3\")"));
  // Losing the activation to the main window showed block 0 there, with the focus.
  QVERIFY(s.w.SourceEditor().hasFocus());
}

void AllBlocksWindowTest::editsFlowBothWays() {
  Started s;
  // Typed in the main window, seen in the column after F3.
  s.Type(&s.w.SourceEditor(), {"typed", "hlt"});
  s.F3(&s.w.SourceEditor());
  QVERIFY(s.Active(&s.hf));
  QCOMPARE(s.blocks.Source(0), QStringList({"typed", "hlt"}));

  // Edited here while block 0 is current, seen in the main window after the return button.
  s.Type(&s.blocks.SourceEditor(0), {"edited", "hlt"});
  s.blocks.Return();
  QVERIFY(s.Active(&s.f));
  QCOMPARE(s.w.Source(), QStringList({"edited", "hlt"}));

  // Block 2 edited here while block 0 is current: seen when its tab is selected.
  s.w.AddBlock();
  s.w.SetSource({"one"});
  s.w.AddBlock();
  s.w.SetSource({"two"});
  s.w.ChooseTab(0);
  s.F3(&s.w.SourceEditor());
  QVERIFY(s.Active(&s.hf));
  QVERIFY(s.blocks.SourceEditor(2).isEnabled());
  QVERIFY(!s.blocks.SourceEditor(3).isEnabled());
  s.Type(&s.blocks.SourceEditor(2), {"two, edited here"});
  s.F3(&s.blocks.SourceEditor(2));
  QVERIFY(s.Active(&s.f));
  QCOMPARE(s.w.Source(), QStringList({"edited", "hlt"}));
  s.w.ChooseTab(2);
  QCOMPARE(s.w.Source(), QStringList({"two, edited here"}));
}

// The main window's Undo takes back its own edits after a visit here, and an edit made here
// as one more step.
void AllBlocksWindowTest::undoLastsAcrossTheWindows() {
  Started s;
  QPlainTextEdit& editor = s.w.SourceEditor();
  editor.setFocus();
  editor.moveCursor(QTextCursor::Start);
  QTest::keyClicks(&editor, "x");
  s.F3(&editor);
  QVERIFY(s.Active(&s.hf));
  s.F3(&s.blocks.SourceEditor(0));
  QVERIFY(s.Active(&s.f));
  // Nothing changed here: the history is as it was.
  editor.undo();
  QCOMPARE(Text(editor), QStringList({";asm text", "", "hlt"}));
  editor.redo();
  s.F3(&editor);
  QVERIFY(s.Active(&s.hf));
  s.Type(&s.blocks.SourceEditor(0), {"x;asm text", "edited here", "hlt"});
  s.F3(&s.blocks.SourceEditor(0));
  QVERIFY(s.Active(&s.f));
  QCOMPARE(Text(editor), QStringList({"x;asm text", "edited here", "hlt"}));
  editor.undo();
  QCOMPARE(Text(editor), QStringList({"x;asm text", "", "hlt"}));
  editor.undo();
  QCOMPARE(Text(editor), QStringList({";asm text", "", "hlt"}));
  // What Undo gave back is the block's text everywhere.
  s.F3(&editor);
  QVERIFY(s.Active(&s.hf));
  QCOMPARE(s.blocks.Source(0), QStringList({";asm text", "", "hlt"}));
}

void AllBlocksWindowTest::ppuBoxesAndAddressesHere() {
  Started s;
  s.w.SetSource({"zero"});
  s.w.AddBlock();
  s.w.SetSource({"one"});
  s.w.ChooseTab(0);
  s.F3(&s.w.SourceEditor());
  QVERIFY(s.Active(&s.hf));
  const THF::Panel& p = s.blocks.Column(1);
  QTest::mouseClick(p.ppu[0], Qt::LeftButton);
  QTest::mouseClick(p.ppu[2], Qt::LeftButton);
  QCOMPARE(p.ppuList->text(), QString("0031"));
  p.cpuAddress->clear();
  QTest::keyClicks(p.cpuAddress, "5");
  s.blocks.Return();
  QVERIFY(s.Active(&s.f));
  s.w.ChooseTab(1);
  QVERIFY(s.w.PpuBox(0).isChecked());
  QVERIFY(!s.w.PpuBox(1).isChecked());
  QVERIFY(s.w.PpuBox(2).isChecked());
  QCOMPARE(s.w.PpuList(), QString("0031"));
  QCOMPARE(s.w.CpuAddress(), QString("0005"));
  QCOMPARE(p.cpuAddress->text(), QString("0005"));  // the stored field was padded too
}

void AllBlocksWindowTest::f3FromEveryWindow() {
  Started s;
  TForm2& f2 = s.program.Form2();
  s.w.Choose(&MainControls::CompText1);
  QVERIFY(s.Active(&f2));
  s.F3(&s.compileText.TextView());
  QVERIFY(s.Active(&s.f));
  // The keys typed next go on in the current block's column, not in the box that the
  // toolkit gave the focus when the window was first shown.
  s.blocks.Column(0).ppu[0]->setFocus();
  s.F3(&s.w.SourceEditor());
  QVERIFY(s.Active(&s.hf));
  QCOMPARE(QApplication::focusWidget(), &s.blocks.SourceEditor(0));
  s.F3(&s.blocks.SourceEditor(0));
  QVERIFY(s.Active(&s.f));
  // The return button works while block 5 does not exist.
  s.F3(&s.w.SourceEditor());
  QVERIFY(s.Active(&s.hf));
  QVERIFY(!s.blocks.SourceEditor(5).isEnabled());
  s.blocks.Return();
  QVERIFY(s.Active(&s.f));
  // Closing the window only hides it; F3 brings it back.
  s.hf.close();
  QVERIFY(!s.hf.isVisible());
  s.F3(&s.w.SourceEditor());
  QVERIFY(s.Active(&s.hf));
}

void AllBlocksWindowTest::shortcutsHereTakeTheEditsAlong() {
  Started s;
  s.F3(&s.w.SourceEditor());
  QVERIFY(s.Active(&s.hf));
  s.Type(&s.blocks.SourceEditor(0), {"nop", "hlt"});
  // Compile all from here compiles what this window shows, not the older working copy.
  QTest::keyClick(&s.blocks.SourceEditor(0), Qt::Key_F9);
  QCOMPARE(s.w.LineStatus(), QString("Successful compilation"));
  QCOMPARE(s.w.Code(), QStringList({"0000", "AF18"}));
  QCOMPARE(s.program.model().Stored(0).source, (Lines{"nop", "hlt"}));
  QCOMPARE(s.blocks.Code(0), QStringList({"0000", "AF18"}));
  QCOMPARE(s.blocks.Column(0).wordCount->text(), QString("0002"));
}

// A real modal box (the missing-halt warning) takes the activation while compile all runs
// from here; the command's work must survive it.
void AllBlocksWindowTest::aMessageBoxOverACommandFromHere() {
  struct ModalDialogs : ScriptedDialogs {
    void Warning(const QString& text) override {
      ScriptedDialogs::Warning(text);
      QMessageBox box(QMessageBox::Warning, "Q41", text, QMessageBox::Ok);
      QTimer::singleShot(100, &box, &QMessageBox::accept);
      box.exec();
    }
  } dialogs;
  Application program(Language::English, &dialogs);
  program.Show();
  TForm1& f = program.Form1();
  MainWindow w(f);
  THF& hf = *program.HF();
  test::AllBlocksWindow blocks(hf);
  QVERIFY(QTest::qWaitForWindowActive(&f));
  w.PressInSource(Qt::Key_F3);
  QVERIFY(QTest::qWaitForWindowActive(&hf));
  blocks.SourceEditor(0).setFocus();
  blocks.SourceEditor(0).selectAll();
  blocks.SourceEditor(0).insertPlainText("nop");
  QTest::keyClick(&blocks.SourceEditor(0), Qt::Key_F9);
  QCOMPARE(dialogs.shown, QStringList({"No HLT command!"}));
  QCOMPARE(program.model().Stored(0).code, Lines{"0000"});
  QCOMPARE(program.model().Stored(0).wordCount, "0001");
  QCOMPARE(w.LineStatus(), QString("Successful compilation"));
}

// The toolkit's own file dialog, opened from here and cancelled by its key, takes the
// activation as any modal window does and gives it to the main window. The window must see
// that it is no longer active, or its next activation stores nothing and its next
// deactivation shows an older block over what was typed meanwhile.
void AllBlocksWindowTest::aDialogFromHereLosesNoTyping() {
  Application program(Language::English);
  program.Show();
  TForm1& f = program.Form1();
  MainWindow w(f);
  THF& hf = *program.HF();
  test::AllBlocksWindow blocks(hf);
  QVERIFY(QTest::qWaitForWindowActive(&f));
  test::Answerer answerer;
  auto toMain = [&] {
    if (!f.isActiveWindow()) f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
  };
  auto f3 = [](QWidget* from, QWidget* to) {
    QTest::keyClick(from, Qt::Key_F3);
    QVERIFY(QTest::qWaitForWindowActive(to));
  };

  // Save cancelled here, then typing in the main window survives F3 there and back.
  f3(&w.SourceEditor(), &hf);
  answerer.expected.push_back(test::Expect::File(test::Expect::Kind::SaveFile, false, {}));
  QTest::keyClick(&blocks.SourceEditor(0), Qt::Key_S, Qt::ControlModifier);
  QVERIFY(answerer.expected.empty());
  toMain();
  w.SetSource({"typed after the dialog", "hlt"});
  f3(&w.SourceEditor(), &hf);
  QCOMPARE(blocks.Source(0), QStringList({"typed after the dialog", "hlt"}));
  f3(&blocks.SourceEditor(0), &f);
  QCOMPARE(w.Source(), QStringList({"typed after the dialog", "hlt"}));

  // An edit here, Open cancelled here, then compile all: the edit is what gets compiled.
  f3(&w.SourceEditor(), &hf);
  blocks.SetSource(0, {"nop", "hlt"});
  answerer.expected.push_back(test::Expect::File(test::Expect::Kind::OpenFile, false, {}));
  QTest::keyClick(&blocks.SourceEditor(0), Qt::Key_O, Qt::ControlModifier);
  QVERIFY(answerer.expected.empty());
  toMain();
  w.PressInSource(Qt::Key_F9);
  QCOMPARE(program.model().Stored(0).source, (Lines{"nop", "hlt"}));
  QCOMPARE(w.Source(), QStringList({"nop", "hlt"}));
  QCOMPARE(w.Code(), QStringList({"0000", "AF18"}));
  QVERIFY2(answerer.faults.isEmpty(), qPrintable(answerer.faults.join("; ")));
}

void AllBlocksWindowTest::faultMarksInTheColumns() {
  Started s;
  s.Type(&s.w.SourceEditor(), {"nop", "jmp nowhere", "hlt"});
  s.w.Choose(&MainControls::CompAll1);
  s.F3(&s.w.SourceEditor());
  QVERIFY(s.Active(&s.hf));
  AsmEditor& column = s.blocks.SourceEditor(0);
  QCOMPARE(column.MarkedLine(), 2);
  QCOMPARE(s.blocks.SourceEditor(1).MarkedLine(), 0);
  // A line added above the fault here moves the mark, in this window and the main one.
  column.setFocus();
  column.moveCursor(QTextCursor::Start);
  QTest::keyClick(&column, Qt::Key_Return);
  QCOMPARE(column.MarkedLine(), 3);
  s.blocks.Return();
  QVERIFY(s.Active(&s.f));
  QCOMPARE(s.w.SourceEditor().MarkedLine(), 3);
}

void AllBlocksWindowTest::screenshot() {
  Started s;
  s.w.SetSource({"start: mov #1, r0", "hlt"});
  s.w.AddBlock();
  s.w.SetSource({"nop", "hlt"});
  s.w.PpuBox(1).setChecked(true);
  s.w.AddBlock();
  s.w.SetSource({"x: ds hi", "hlt"});
  s.w.PressInSource(Qt::Key_F9);
  // The whole screen: the all-blocks window behind, the main window in front of it.
  QPixmap screen(QGuiApplication::primaryScreen()->geometry().size());
  screen.fill(Qt::darkGray);
  QPainter painter(&screen);
  painter.drawPixmap(s.hf.geometry().topLeft(), s.hf.grab());
  const QImage main = s.f.grab().toImage();
  painter.drawImage(s.f.geometry().topLeft(), main);
  painter.end();
  QVERIFY(screen.save(test::ScreenshotPath("all_blocks_screen")));
  // All three blocks compiled: their lamps are green; the others cannot be seen.
  for (int k = 0; k < 3; ++k) QCOMPARE(test::ColourAt(main, s.f, s.w.LampOf(k)), QColor(0, 255, 0));
  // Beside it, the frame it stands on: the lamp of a block that does not exist is not seen.
  const QWidget& hidden = s.w.LampOf(3);
  const QPoint beside = hidden.mapTo(&s.f, QPoint(hidden.width() + 4, hidden.height() / 2));
  QCOMPARE(test::ColourAt(main, s.f, hidden), main.pixelColor(beside));
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::AllBlocksWindowTest)
#include "hidform_test.moc"

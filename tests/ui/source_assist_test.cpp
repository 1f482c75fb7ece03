// What the main source editor knows while the user types, through the real window: the
// check's marks against what Ctrl+F9 reports on generated faulty blocks (and nothing the
// compile commands own touched by the check), hover on each kind of token, F12 into the
// GLOBAL text, the uses of a name, and completion.

#include <QAbstractItemView>
#include <QCompleter>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QToolTip>
#include <random>

#include "blocks/block_model.hpp"
#include "ui/editor/live_check.hpp"
#include "ui/editor/source_assist.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::MainWindow;
using test::SetText;
using test::Started;

class SourceAssistTest : public QObject {
  Q_OBJECT

  // Puts `lines` in the main editor and waits for their check.
  static void Checked(TForm1& f, const QStringList& lines) {
    QSignalSpy checked(&f.Assist().Check(), &LiveCheck::Checked);
    MainWindow(f).SetSource(lines);
    QVERIFY(checked.wait(5000));
  }
  // The first line (1-based) with a mark and its message; 0 when none.
  static std::pair<int, QString> Mark(TForm1& f) {
    AsmEditor& editor = MainWindow(f).SourceEditor();
    for (int line = 1; line <= editor.blockCount(); ++line) {
      const QString message = editor.DiagnosticAt(line);
      if (!message.isEmpty()) return {line, message};
    }
    return {0, QString()};
  }
  // The rows the completion list shows.
  static QStringList Rows(QCompleter& completer) {
    QStringList rows;
    const QAbstractItemModel& shown = *completer.completionModel();
    for (int row = 0; row < shown.rowCount(); ++row) rows << shown.index(row, 0).data().toString();
    return rows;
  }
  // The tooltip over the middle of `token` on line `line` (1-based).
  static QString HoverText(TForm1& f, int line, const QString& token) {
    AsmEditor& editor = MainWindow(f).SourceEditor();
    const QTextBlock block = editor.document()->findBlockByNumber(line - 1);
    QTextCursor c(block);
    c.setPosition(block.position() + static_cast<int>(block.text().indexOf(token)) + 1);
    const QPoint at = editor.cursorRect(c).center();
    QHelpEvent help(QEvent::ToolTip, at, editor.viewport()->mapToGlobal(at));
    QApplication::sendEvent(editor.viewport(), &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  }

 private slots:
  void initTestCase() { qputenv("Q41_CHECK_DELAY_MS", "0"); }
  void theMarkIsWhatCompilingReportsAndTouchesNothing();
  void hoverDescribesEachKindOfToken();
  void definitionsUsesAndCompletion();
  void theTextUnderShownUsesCanGo();
  void aTextPutInPlaceIsChecked();
  void theListLeavesTheKeyboardToTheEditor();
  void theListOpensWhereAWordMayStandAndClosesWhenItIsDone();
  void theListOpensAtOnceAmongManyNames();
};

void SourceAssistTest::theMarkIsWhatCompilingReportsAndTouchesNothing() {
  Started s;
  TForm1& f = s.f;
  MainWindow& w = s.w;
  const QStringList good = {"L1: MOV R1, R2", "  ADD #5, R0", "  BR L1",    "K = 7",
                            "  MOV #K, (R3)", "  DW 1234H",   "; a comment"};
  const QStringList bad = {"  MOV R9, R1",  "  FOO R1",         "  ADD #5", "1L: NOP",
                           "  JMP NOWHERE", "  MOV #99999, R1", "  DW",     "  mov\tr1, r2"};
  std::mt19937 random(20);
  auto pick = [&random](const QStringList& from) {
    return from[static_cast<int>(random() % static_cast<unsigned>(from.size()))];
  };
  const int cases = 200;
  for (int n = 0; n < cases; ++n) {
    QStringList lines;
    for (int k = static_cast<int>(random() % 6); k > 0; --k) lines << pick(good);
    lines << pick(bad);
    for (int k = static_cast<int>(random() % 3); k > 0; --k) lines << pick(good);
    lines << "  HLT";
    const QString status = w.LineStatus() + w.FaultStatus();
    const QStringList code = w.Code();
    const QColor lamp = w.LampColour(0);
    const Lines stored = s.program.model().Stored(0).source;
    Checked(f, lines);
    const auto [line, message] = Mark(f);
    // The check itself changed nothing the compile commands own.
    QCOMPARE(w.LineStatus() + w.FaultStatus(), status);
    QCOMPARE(w.Code(), code);
    QCOMPARE(w.LampColour(0), lamp);
    QVERIFY(s.program.model().Stored(0).source == stored);
    w.Choose(&MainControls::CompAndPreproc1);
    QCOMPARE(message, w.FaultStatus());
    QCOMPARE(line, w.SourceEditor().textCursor().blockNumber() + 1);
  }
  // The gutter's mark tells the message too.
  Checked(f, {"  NOP", "  FOO", "  HLT"});
  auto* gutter = w.SourceEditor().findChild<QWidget*>("gutter");
  const QPoint at(gutter->width() / 2,
                  w.SourceEditor()
                      .cursorRect(QTextCursor(w.SourceEditor().document()->findBlockByNumber(1)))
                      .center()
                      .y());
  QHelpEvent help(QEvent::ToolTip, at, gutter->mapToGlobal(at));
  QApplication::sendEvent(gutter, &help);
  QCOMPARE(QToolTip::text(), Mark(f).second);
  QVERIFY(QToolTip::text().contains("FOO"));
  // Fixed, the marks go.
  Checked(f, {"  NOP", "  HLT"});
  QCOMPARE(Mark(f).first, 0);
  // A block without HLT is warned about on its last line of code.
  Checked(f, {"  NOP", "; end"});
  QCOMPARE(Mark(f), std::make_pair(1, QString("No HLT command!")));
}

void SourceAssistTest::hoverDescribesEachKindOfToken() {
  Started s;
  TForm1& f = s.f;
  MainWindow& w = s.w;
  w.SetGlobals({"LIMIT=20"});
  Checked(f, {"START: MOV #-1, R2", "  MOV #LIMIT, R1", "  BR START", "  HLT"});
  const struct {
    int line;
    const char* token;
    const char* shows;
  } table[] = {
      {1, "MOV", "source, destination"},
      {1, "#-1", "65535 = FFFFH = -1"},
      {1, "R2", "R2: code 2"},
      {3, "START", "START: label, address 0000H"},
      {2, "LIMIT", "LIMIT: constant, value 0014H"},
      {2, "LIMIT", "defined in GLOBAL, line 1"},
  };
  for (const auto& row : table) {
    const QString text = HoverText(f, row.line, row.token);
    QVERIFY2(text.contains(row.shows), qPrintable(QString(row.token) + ": " + text));
  }
  // A fault's tooltip goes when the fault is fixed under it.
  Checked(f, {"  JMP NOWHERE", "  HLT"});
  QVERIFY(HoverText(f, 1, "NOWHERE").contains("NOWHERE"));
  Checked(f, {"NOWHERE: JMP NOWHERE", "  HLT"});
  QTRY_VERIFY(!QToolTip::isVisible());
}

void SourceAssistTest::definitionsUsesAndCompletion() {
  Started s;
  TForm1& f = s.f;
  MainWindow& w = s.w;
  AsmEditor& editor = w.SourceEditor();
  w.SetGlobals({";Global", "LIMIT=20"});
  Checked(f, {"START: NOP", "  MOV #LIMIT, R1", "  BR START", "  HLT"});
  // F12 on a GLOBAL name goes there, the GLOBAL editor taking the focus and the caret
  // standing before the name: GLOBAL has no undo, and a key typed must not replace it.
  QPlainTextEdit& glob = w.GlobalsEditor();
  editor.setFocus();
  QTextCursor c(editor.document()->findBlockByNumber(1));
  c.setPosition(c.position() + 8);
  editor.setTextCursor(c);
  QTest::keyClick(&editor, Qt::Key_F12);
  QVERIFY(glob.hasFocus());
  QVERIFY(!glob.textCursor().hasSelection());
  QCOMPARE(glob.textCursor().blockNumber(), 1);
  QCOMPARE(glob.textCursor().positionInBlock(), 0);
  QTest::keyClick(&glob, Qt::Key_Q);
  QCOMPARE(glob.toPlainText(), QString(";Global\nqLIMIT=20\n"));
  QSignalSpy checked(&f.Assist().Check(), &LiveCheck::Checked);
  SetText(glob, {";Global", "LIMIT=20"});
  QVERIFY(checked.wait(5000));
  // Ctrl+click alike.
  const QPoint limit = editor.cursorRect(c).center();
  QTest::mouseClick(editor.viewport(), Qt::LeftButton, Qt::ControlModifier, limit);
  QVERIFY(glob.hasFocus());
  QVERIFY(!glob.textCursor().hasSelection());
  QCOMPARE(glob.textCursor().blockNumber(), 1);
  // On a use of a label, its definition and use are shown, and F12 goes to the definition.
  editor.setFocus();
  c = QTextCursor(editor.document()->findBlockByNumber(2));
  c.setPosition(c.position() + 6);
  editor.setTextCursor(c);
  auto uses = [&editor] {
    const QList<QTextEdit::ExtraSelection> shown = editor.extraSelections();
    return std::count_if(shown.begin(), shown.end(), [](const auto& s) {
      return s.cursor.selectedText() == "START" &&
             s.format.hasProperty(QTextFormat::BackgroundBrush);
    });
  };
  QTRY_COMPARE(uses(), 2);
  QTest::keyClick(&editor, Qt::Key_F12);
  QCOMPARE(editor.textCursor().blockNumber(), 0);
  QCOMPARE(editor.textCursor().positionInBlock(), 0);
  QVERIFY(!editor.textCursor().hasSelection());

  // Two letters at the start of a statement offer completion; Return takes it, Escape
  // closes it, Ctrl+Space opens it anywhere.
  // The word taken is in the case the user writes in.
  QCompleter& completer = *f.Assist().Completer();
  editor.moveCursor(QTextCursor::End);
  for (const QString typed : {"  MO", "  mo"}) {
    QTest::keyClick(&editor, Qt::Key_Return);
    QTest::keyClicks(&editor, typed);
    QTRY_VERIFY(completer.popup()->isVisible());
    QTest::keyClick(&editor, Qt::Key_Return);
    QCOMPARE(editor.textCursor().block().text(), typed + (typed.endsWith("o") ? "v" : "V"));
  }
  QTest::keyClicks(&editor, " #LI");
  QVERIFY(!completer.popup()->isVisible());
  QTest::keyClick(&editor, Qt::Key_Space, Qt::ControlModifier);
  QVERIFY(completer.popup()->isVisible());
  QVERIFY(completer.currentCompletion() == "LIMIT");
  QTest::keyClick(&editor, Qt::Key_Escape);
  QVERIFY(!completer.popup()->isVisible());
  QCOMPARE(editor.textCursor().block().text(), QString("  mov #LI"));
  // After a label too, but not after an operand.
  QTest::keyClick(&editor, Qt::Key_Return);
  QTest::keyClicks(&editor, "L1:  jm");
  QTRY_VERIFY(completer.popup()->isVisible());
  QTest::keyClick(&editor, Qt::Key_Escape);
  QTest::keyClicks(&editor, " r1, ab");
  QTest::qWait(50);
  QVERIFY(!completer.popup()->isVisible());
  // A word typed in full keeps its Return: the line ends as typed.
  QTest::keyClick(&editor, Qt::Key_Return);
  QTest::keyClicks(&editor, "  hl");
  QTRY_VERIFY(completer.popup()->isVisible());
  QTest::keyClick(&editor, Qt::Key_T);
  QTest::keyClick(&editor, Qt::Key_Return);
  QVERIFY(!completer.popup()->isVisible());
  QCOMPARE(editor.textCursor().block().text(), QString());
  QCOMPARE(editor.textCursor().block().previous().text(), QString("  hlt"));
}

// The uses shown stand on text that an edit may take away before the check has seen it: the
// caret moves within the same edit, and the editor draws what is left.
void SourceAssistTest::theTextUnderShownUsesCanGo() {
  Started s;
  AsmEditor& editor = s.w.SourceEditor();
  Checked(s.f, {"start: nop", "  br start", "  hlt"});
  editor.setFocus();
  QTextCursor c(editor.document()->findBlockByNumber(1));
  c.setPosition(c.position() + 6);
  editor.setTextCursor(c);
  auto uses = [&editor] {
    const QList<QTextEdit::ExtraSelection> shown = editor.extraSelections();
    return std::count_if(shown.begin(), shown.end(), [](const auto& s) {
      return s.cursor.hasSelection() && s.format.hasProperty(QTextFormat::BackgroundBrush);
    });
  };
  QTRY_COMPARE(uses(), 2);
  QTest::keyClick(&editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&editor, Qt::Key_Backspace);
  QTest::qWait(100);
  QCOMPARE(editor.toPlainText(), QString());
  QCOMPARE(uses(), 0);
}

// A text put in place whole, as showing a block or opening a program does, is checked as an
// edit is: the editor then tells of no change of its own.
void SourceAssistTest::aTextPutInPlaceIsChecked() {
  Started s;
  static_cast<WorkingCopy&>(s.f).SetSource({"  nop", "  jmp nowhere", "  hlt"}, 1);
  QTRY_COMPARE(Mark(s.f).first, 2);
  static_cast<WorkingCopy&>(s.f).SetSource({"  nop", "  hlt"}, 2);
  QTRY_COMPARE(Mark(s.f).first, 0);
}

// The list takes no keyboard of its own: while it is open, the keys it does not use and every
// shortcut go where they always go, and it closes when the text is replaced (a block shown)
// or the focus goes elsewhere (another window opened by a shortcut).
void SourceAssistTest::theListLeavesTheKeyboardToTheEditor() {
  Started s;
  AsmEditor& editor = s.w.SourceEditor();
  QCompleter& completer = *s.f.Assist().Completer();
  const auto open = [&] {
    editor.setFocus();
    editor.moveCursor(QTextCursor::End);
    QTest::keyClick(&editor, Qt::Key_Return);
    QTest::keyClicks(&editor, "  b");
    QTest::keyClick(&editor, Qt::Key_Space, Qt::ControlModifier);
    QTRY_VERIFY(completer.popup()->isVisible());
  };
  open();
  QCOMPARE(QApplication::activePopupWidget(), nullptr);
  const QString first = completer.popup()->currentIndex().data().toString();
  QTest::keyClick(&editor, Qt::Key_Down);
  QVERIFY(completer.popup()->currentIndex().data().toString() != first);
  static_cast<WorkingCopy&>(s.f).SetSource({"  nop"}, 1);
  QVERIFY(!completer.popup()->isVisible());
  open();
  s.w.GlobalsEditor().setFocus();
  QTRY_VERIFY(!completer.popup()->isVisible());
}

// Ctrl+Space offers words also where none is begun: on an empty operand registers and names,
// after "#" names alone, each told as what it is and where it is defined. The list closes
// when the word is typed whole, when the caret leaves the word (Return then ends the line
// there, replacing nothing), and when a command runs.
void SourceAssistTest::theListOpensWhereAWordMayStandAndClosesWhenItIsDone() {
  Started s;
  AsmEditor& editor = s.w.SourceEditor();
  QCompleter& completer = *s.f.Assist().Completer();
  s.w.SetGlobals({";Global", "LIMIT=20"});
  Checked(s.f, {"START: NOP", "  HLT"});
  editor.setFocus();
  editor.moveCursor(QTextCursor::End);
  const QString start = "START    label, address 0000H; defined on line 1";
  const QString limit = "LIMIT    constant, value 0014H; defined in GLOBAL";
  QTest::keyClicks(&editor, "  mov ");
  QTest::keyClick(&editor, Qt::Key_Space, Qt::ControlModifier);
  QVERIFY(completer.popup()->isVisible());
  QCOMPARE(Rows(completer).mid(0, 2),
           QStringList({"R0       register, code 0", "R1       register, code 1"}));
  QCOMPARE(Rows(completer).mid(8), QStringList({start, limit}));
  // Measured on the texts, the list is as wide as its rows need.
  QAbstractItemView& popup = *completer.popup();
  QVERIFY(popup.viewport()->width() >= popup.sizeHintForColumn(0));
  QTest::keyClick(&editor, Qt::Key_Escape);
  QTest::keyClick(&editor, '#');
  QTest::keyClick(&editor, Qt::Key_Space, Qt::ControlModifier);
  QCOMPARE(Rows(completer), QStringList({start, limit}));
  QTest::keyClick(&editor, Qt::Key_Escape);
  // A word typed whole.
  QTest::keyClick(&editor, Qt::Key_Return);
  QTest::keyClicks(&editor, "  hl");
  QTRY_VERIFY(completer.popup()->isVisible());
  QTest::keyClick(&editor, Qt::Key_T);
  QVERIFY(!completer.popup()->isVisible());
  // The caret leaving the word.
  QTest::keyClick(&editor, Qt::Key_Return);
  QTest::keyClicks(&editor, "  mo");
  QTRY_VERIFY(completer.popup()->isVisible());
  QTest::keyClick(&editor, Qt::Key_Left);
  QTest::keyClick(&editor, Qt::Key_Return);
  QVERIFY(!completer.popup()->isVisible());
  QCOMPARE(editor.textCursor().block().previous().text(), QString("  m"));
  QCOMPARE(editor.textCursor().block().text(), QString("o"));
  // A command (Ctrl+F9).
  QTest::keyClick(&editor, Qt::Key_End);
  QTest::keyClick(&editor, Qt::Key_Return);
  QTest::keyClicks(&editor, "  mo");
  QTRY_VERIFY(completer.popup()->isVisible());
  QTest::keyClick(&editor, Qt::Key_F9, Qt::ControlModifier);
  QVERIFY(!s.w.LineStatus().isEmpty());
  QVERIFY(!completer.popup()->isVisible());
}

// Among 10,000 GLOBAL names and 2,000 labels the list opens, narrows and closes at once,
// showing the first words and, in a last row, how many more match. (Filled row by row while
// open, it was filtered again at every row: seconds for each key, minutes for 100,000 names.)
void SourceAssistTest::theListOpensAtOnceAmongManyNames() {
  Started s;
  AsmEditor& editor = s.w.SourceEditor();
  QCompleter& completer = *s.f.Assist().Completer();
  QStringList glob = {";Global"};
  for (int k = 0; k < 10000; ++k) glob << QString("K%1=%1").arg(k);
  QStringList block;
  for (int k = 0; k < 2000; ++k) block << QString("L%1: NOP").arg(k);
  s.w.SetGlobals(glob);
  Checked(s.f, block);
  QTRY_VERIFY(s.f.Assist().Check().Current());
  editor.setFocus();
  editor.moveCursor(QTextCursor::End);
  qint64 longest = 0;
  const auto timed = [&](const std::function<void()>& keys) {
    QElapsedTimer timer;
    timer.start();
    keys();
    QApplication::processEvents();
    longest = std::max(longest, timer.elapsed());
  };
  QTest::keyClicks(&editor, "  mo");
  QTRY_VERIFY(completer.popup()->isVisible());
  timed([&] { QTest::keyClick(&editor, 'v'); });
  timed([&] { QTest::keyClick(&editor, ' '); });
  QVERIFY2(longest < 1000, qPrintable(QString("a blank after mov took %1 ms").arg(longest)));
  QVERIFY(!completer.popup()->isVisible());
  timed([&] { QTest::keyClick(&editor, '#'); });
  timed([&] { QTest::keyClick(&editor, Qt::Key_Space, Qt::ControlModifier); });
  QStringList rows = Rows(completer);
  QCOMPARE(rows.size(), 201);
  QCOMPARE(rows.front(), QString("L0      label, address 0000H; defined on line 1"));
  QCOMPARE(rows.back(), QString("… and 11800 more: type on to narrow the list"));
  timed([&] { QTest::keyClick(&editor, 'k'); });
  QCOMPARE(Rows(completer).size(), 201);
  timed([&] { QTest::keyClicks(&editor, "999"); });
  rows = Rows(completer);
  QCOMPARE(rows.size(), 11);
  QCOMPARE(rows.front(), QString("K999     constant, value 03E7H; defined in GLOBAL"));
  timed([&] { QTest::keyClick(&editor, Qt::Key_Escape); });
  QVERIFY(!completer.popup()->isVisible());
  QVERIFY2(longest < 1000, qPrintable(QString("a key took %1 ms").arg(longest)));
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::SourceAssistTest)
#include "source_assist_test.moc"

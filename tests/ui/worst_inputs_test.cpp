// The windows on the worst inputs: a source of a million lines, a line of a million
// characters, a file of random bytes opened and saved, a block that fills the address
// space, and a save that fails part-way. Nothing crashes, nothing is lost, and a text too
// large to lay out at once goes into its editor in the background.

#include <sys/resource.h>

#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <random>

#include "ui/app/application.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/style.hpp"
#include "ui/app/widgets.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/main/hidForm.hpp"
#include "ui/main/mainform.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::ScriptedDialogs;
using test::Started;

class WorstInputsTest : public QObject {
  Q_OBJECT

  static void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
  }

  // Waits until every editor shows its whole text.
  static bool Settled() {
    return QTest::qWaitFor([] { return !EditorLines::Loading(); }, 60000);
  }

  static Lines Numbered(int count, const std::string& prefix) {
    Lines lines;
    for (int i = 0; i < count; ++i) lines.push_back(prefix + std::to_string(i));
    return lines;
  }

  QTemporaryDir dir_;

 private slots:
  void largeTextGoesInInTheBackground();
  void laterTextWinsOverOneStillLoading();
  void linesFollowEveryKindOfEdit();
  void eachTextKeepsItsHistory();
  void millionLinesOpenCompileSave();
  void millionCharacterLine();
  void millionCharacterFaultKeepsTheStatusLineOneRow();
  void longLineDrawnAsTheToolkitDrawsIt();
  void onlyLongLinesOnScreenAreHeld();
  void randomBytesOpenedAndSaved();
  void blockFillingTheAddressSpace();
  void saveFailingPartWayKeepsTheOldFile();
};

void WorstInputsTest::largeTextGoesInInTheBackground() {
  QPlainTextEdit editor;
  EditorLines lines(editor);
  const Lines text = Numbered(60000, "line ");
  lines.Set(text);
  // At once: the whole text to read, its start on screen, no input taken.
  QVERIFY(EditorLines::Loading());
  QCOMPARE(lines.Get(), text);
  QCOMPARE(LinesOf(editor), Lines(text.begin(), text.begin() + 1000));
  QVERIFY(editor.isReadOnly());
  QCOMPARE(editor.viewport()->cursor().shape(), Qt::BusyCursor);
  lines.SetReadOnly(false);
  QVERIFY(editor.isReadOnly());
  lines.Select({Selection::Kind::Line, 59999, 4});
  QVERIFY(Settled());
  QCOMPARE(LinesOf(editor), text);
  QVERIFY(!editor.isReadOnly());
  QCOMPARE(editor.viewport()->cursor().shape(), Qt::IBeamCursor);
  QCOMPARE(editor.textCursor().blockNumber(), 59999);
  QCOMPARE(editor.textCursor().selectedText(), QString("line"));
  // Edits after it are read back as usual.
  QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(&editor, "x");
  QCOMPARE(lines.Get().size(), 60001u);
  QVERIFY(lines.Get().back() == "x");

  // One line so long that laying it out takes long: its start shows first.
  const Lines wide = {std::string(200000, 'w'), "hlt"};
  lines.Set(wide);
  QCOMPARE(LinesOf(editor), (Lines{std::string(1000, 'w'), "hlt"}));
  QVERIFY(Settled());
  QCOMPARE(LinesOf(editor), wide);
}

void WorstInputsTest::laterTextWinsOverOneStillLoading() {
  QPlainTextEdit editor;
  auto lines = std::make_unique<EditorLines>(editor);
  lines->SetReadOnly(true);
  lines->Set(Numbered(70000, "a"));
  lines->Set(Numbered(60000, "b"));
  QVERIFY(Settled());
  QCOMPARE(LinesOf(editor), Numbered(60000, "b"));
  lines->Set(Numbered(70000, "c"));
  lines->Set({"small"});
  QVERIFY(!EditorLines::Loading());
  QCOMPARE(LinesOf(editor), Lines{"small"});
  QVERIFY(editor.isReadOnly());  // as its owner set it
  // An editor closed while its text loads leaves nothing running, and nothing arrives late.
  lines->Set(Numbered(70000, "d"));
  lines.reset();
  QVERIFY(!EditorLines::Loading());
  QTest::qWait(50);
  QCOMPARE(LinesOf(editor), Numbered(1000, "d"));  // the start it showed
}

// The kept lines follow each edit without reading the whole text: after any edit, undo or
// redo, they are the editor's lines.
void WorstInputsTest::linesFollowEveryKindOfEdit() {
  QPlainTextEdit editor;
  EditorLines lines(editor);
  lines.Set(Numbered(300, "line "));
  std::mt19937 random(11);
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const QStringList pieces = {"x", "\n", "ab\ncd", "\n\n", "", "\xa0\u0416", "q\n"};
  for (int step = 0; step < 3000; ++step) {
    QTextCursor cursor(editor.document());
    const int length = editor.document()->characterCount() - 1;
    cursor.setPosition(pick(length + 1));
    switch (pick(6)) {
      case 0:
      case 1:
        cursor.insertText(pieces[pick(pieces.size())]);
        break;
      case 2:
        cursor.setPosition(std::min(length, cursor.position() + pick(40)), QTextCursor::KeepAnchor);
        cursor.insertText(pick(2) ? QString() : QString("a\nb\nc"));
        break;
      case 3:
        editor.setTextCursor(cursor);
        QTest::keyClick(&editor, pick(2) ? Qt::Key_Backspace : Qt::Key_Return);
        break;
      case 4:
        editor.undo();
        break;
      default:
        editor.redo();
    }
    if (step % 1000 == 999) editor.clear();
    QVERIFY2(lines.Get() == LinesOf(editor), qPrintable(QString::number(step)));
  }
  // An edit of more lines than are worth following is read whole.
  QTextCursor cursor(editor.document());
  cursor.insertText(QString("paste\n").repeated(20000));
  QVERIFY(lines.Get() == LinesOf(editor));
}

// An editor taking turns at texts: any text shown again, however changed meanwhile, shows
// exactly, and Undo takes back exactly the change, after the texts shown in between too.
void WorstInputsTest::eachTextKeepsItsHistory() {
  QPlainTextEdit editor;
  EditorLines lines(editor);
  std::mt19937 random(7);
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const Lines words = {"", "a", "b", "ab", "\xc6"};
  const auto text = [&] {
    Lines out(static_cast<std::size_t>(pick(6)));
    for (auto& line : out) line = words[static_cast<std::size_t>(pick(5))];
    return out;
  };
  for (int round = 0; round < 400; ++round) {
    const Lines before = text(), after = text(), other = text();
    lines.Forget(0);
    lines.Show(0, before);
    QCOMPARE(LinesOf(editor), before);
    QVERIFY(!editor.document()->isUndoAvailable());
    // Another text in between, whose history is its own.
    if (pick(2) == 0) {
      lines.Show(1, other);
      QCOMPARE(LinesOf(editor), other);
      QVERIFY(!editor.document()->isUndoAvailable());
    }
    lines.Show(0, after);
    QCOMPARE(LinesOf(editor), after);
    QCOMPARE(lines.Get(), after);
    QCOMPARE(editor.document()->isUndoAvailable(), before != after);
    editor.undo();
    QCOMPARE(LinesOf(editor), before);
    QCOMPARE(lines.Get(), before);
    lines.Forget(1);
  }
}

void WorstInputsTest::millionLinesOpenCompileSave() {
  QByteArray file = ";BLOCK 0\r\n";
  for (int i = 0; i < 1000000; ++i) file += i % 10 == 0 ? "loop: nop\r\n" : "  ; a comment\r\n";
  file += "hlt\r\n";
  const QString path = dir_.filePath("million.asm");
  Write(path, file);
  Started s;
  s.dialogs.files = {path};
  s.w.Choose(&MainControls::OpenAsm1);
  QCOMPARE(s.program.model().Stored(0).source.size(), 1000002u);
  // Compiled while the editor still lays the text out.
  QVERIFY(EditorLines::Loading());
  s.w.PressInSource(Qt::Key_F9);
  // A hundred thousand labels named alike: the second one is refused, at its line.
  QCOMPARE(s.w.LineStatus(), QString("Bl.0; 12:  loop: nop"));
  QVERIFY(Settled());
  QCOMPARE(LinesOf(s.w.SourceEditor()).size(), 1000002u);
  QCOMPARE(s.w.SourceEditor().textCursor().selectedText(), QString("loop: nop"));
  QVERIFY(!s.w.SourceEditor().isReadOnly());
  const QString saved = dir_.filePath("million_saved.asm");
  s.dialogs.files = {saved};
  s.w.Choose(&MainControls::SaveAsm1);
  // The marker on the first line: no header, no GLOBAL text.
  QCOMPARE(test::ReadBytes(saved),
           QByteArray(";memory=COMM\r\n\r\n\r\n;BLOCK 0\r\n;CPU\r\n;CPUaddr=0000\r\n\r\n") +
               file.mid(10));
}

void WorstInputsTest::millionCharacterLine() {
  Started s;
  const std::string line = "nop ; " + std::string(1000000, 'x');
  s.program.model().SetStoredSource(0, {line, "hlt"});
  s.program.model().ShowBlock(0);
  s.w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(s.w.LineStatus(), QString("Successful compilation"));
  QCOMPARE(static_cast<WorkingCopy&>(s.f).Source(), (Lines{line, "hlt"}));
  QVERIFY(Settled());
  QCOMPARE(LinesOf(s.w.SourceEditor()), (Lines{line, "hlt"}));
}

void WorstInputsTest::millionCharacterFaultKeepsTheStatusLineOneRow() {
  Started s;
  const std::string line = "bad " + std::string(1000000, 'x');
  s.program.model().SetStoredSource(0, {line, "hlt"});
  s.program.model().ShowBlock(0);
  s.w.Choose(&MainControls::CompAndPreproc1);
  auto& status = static_cast<StatusLabel&>(s.w.LineStatusLabel());
  // The whole caption is kept; the line shows its start and an ellipsis.
  QCOMPARE(status.text(), "1:  " + ToQt(line));
  const QString shown = status.ShownText();
  QVERIFY(shown.startsWith("1:  bad xxx"));
  QVERIFY(shown.endsWith(QChar(0x2026)));
  QVERIFY(status.fontMetrics().horizontalAdvance(shown) <= status.contentsRect().width());
  // Drawn in one row, inside the label: no ink in its top or bottom pixel rows, and no more
  // than one text row's height of it.
  const QImage picture = status.grab().toImage();
  const QColor background = picture.pixelColor(picture.width() - 1, 0);
  int top = picture.height(), bottom = -1;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (picture.pixelColor(x, y) == background) continue;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  QVERIFY(bottom >= 0);
  QVERIFY2(top > 0 && bottom < picture.height() - 1,
           qPrintable(QString("ink %1..%2").arg(top).arg(bottom)));
  QVERIFY(bottom - top < status.fontMetrics().height());
  // The tooltip gives the start of the whole caption.
  QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), status.mapToGlobal(QPoint(4, 4)));
  QApplication::sendEvent(&status, &help);
  QVERIFY(status.toolTip().contains("1:  bad xxxx"));
}

// The caret's long line is drawn from the part in sight; every pixel is the one the toolkit
// draws from the whole line: colours, marks, selections, the caret line and the caret.
void WorstInputsTest::longLineDrawnAsTheToolkitDrawsIt() {
  // The caret stays on: a blink between the two pictures would tell them apart.
  const int flashTime = QApplication::cursorFlashTime();
  QApplication::setCursorFlashTime(0);
  std::string line = "loop: mov #300, r1 ; ";
  while (line.size() < 6000) line += "jmp loop ; \xCF\xF0\xE8\xE2\xE5\xF2 #0FFH, r2 'text' ";
  const QString text = ToQt("start: nop\n" + line + "\n  hlt ; done");
  struct Case {
    int anchor;  // -1 for the caret alone
    int caret;
    int line = 1;  // the long one
  };
  // The caret on the long line, or selecting on it, or on the short line above it.
  const Case cases[] = {{-1, 0},      {-1, 3000},  {-1, static_cast<int>(line.size())},
                        {2990, 3010}, {-1, 10, 0}, {3, 10, 0}};
  for (const Case& c : cases) {
    QImage pictures[2];
    for (int k = 0; k < 2; ++k) {
      AsmEditor editor(nullptr, true);
      SetupEditor(editor, FixedFont());
      editor.resize(400, 120);
      if (k == 1) editor.SetLongLine(1 << 30);  // the toolkit's own drawing
      editor.setPlainText(text);
      editor.SetDiagnostics({{2, 2995, 8, "fault", false}, {2, 1, 4, "warning", true}});
      const int at = editor.document()->findBlockByNumber(c.line).position();
      QTextCursor cursor(editor.document());
      cursor.setPosition(at + (c.anchor < 0 ? c.caret : c.anchor));
      cursor.setPosition(at + c.caret, QTextCursor::KeepAnchor);
      editor.setTextCursor(cursor);
      editor.show();
      editor.activateWindow();
      editor.setFocus();
      QVERIFY(QTest::qWaitForWindowActive(&editor));
      editor.ensureCursorVisible();
      QTest::qWait(50);
      QCOMPARE(editor.IsHeld(editor.document()->findBlockByNumber(1)), k == 0);
      pictures[k] = editor.viewport()->grab().toImage();
    }
    QVERIFY2(pictures[0] == pictures[1],
             qPrintable(QString("caret at %1 on line %2").arg(c.caret).arg(c.line)));
  }
  QApplication::setCursorFlashTime(flashTime);
}

// The shaped text kept is the caret's line's and the long lines' on screen, and only while
// they are long: kept for every line ever shown, it would take some tens of bytes a
// character of them all.
void WorstInputsTest::onlyLongLinesOnScreenAreHeld() {
  AsmEditor editor(nullptr, true);
  SetupEditor(editor, FixedFont());
  editor.resize(300, 120);
  QStringList lines(100, "hlt");
  lines[0] = QString(3000, 'x');
  lines[1] = QString(3000, 'y');
  lines[99] = QString(3000, 'z');
  editor.setPlainText(lines.join('\n'));
  editor.show();
  QVERIFY(QTest::qWaitForWindowExposed(&editor));
  const QTextDocument& document = *editor.document();
  // The lines held, or -1 for a line whose layout keeps its shaped text unheld.
  auto held = [&] {
    QList<int> numbers;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
      if (editor.IsHeld(b)) numbers.push_back(b.blockNumber());
      if (b.layout()->cacheEnabled() != editor.IsHeld(b)) numbers.push_back(-1);
    }
    return numbers;
  };
  auto caretOn = [&](int line) {
    editor.setTextCursor(QTextCursor(document.findBlockByNumber(line)));
    editor.viewport()->repaint();
  };
  caretOn(0);
  QCOMPARE(held(), (QList<int>{0, 1}));
  caretOn(50);
  QCOMPARE(held(), (QList<int>{}));
  caretOn(99);
  QCOMPARE(held(), (QList<int>{99}));
  // A line made long under the caret is held from its next drawing on.
  caretOn(98);
  editor.textCursor().insertText(QString(3000, 'w'));
  editor.viewport()->repaint();
  QCOMPARE(held(), (QList<int>{98, 99}));
}

void WorstInputsTest::randomBytesOpenedAndSaved() {
  std::mt19937 random(7);
  QByteArray bytes;
  for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(random() % 256);
  const QString path = dir_.filePath("random.asm");
  Write(path, bytes);
  Started s;
  s.dialogs.files = {path};
  s.w.Choose(&MainControls::OpenAsm1);
  s.w.PressInSource(Qt::Key_F9);
  QVERIFY(!s.w.LineStatus().isEmpty());
  const QString saved = dir_.filePath("random_saved.asm");
  s.dialogs.files = {saved};
  s.w.Choose(&MainControls::SaveAsm1);
  // Opened and saved again: the same bytes as the first save, and every line of the block
  // the file became is in it.
  Started again;
  again.dialogs.files = {saved};
  again.w.Choose(&MainControls::OpenAsm1);
  const QString twice = dir_.filePath("random_twice.asm");
  again.dialogs.files = {twice};
  again.w.Choose(&MainControls::SaveAsm1);
  QVERIFY(test::ReadBytes(twice) == test::ReadBytes(saved));
  const Lines original = SplitLines(std::string_view(bytes.constData(), bytes.size()));
  const QByteArray written = test::ReadBytes(saved);
  const Lines savedLines = SplitLines(std::string_view(written.constData(), written.size()));
  std::size_t at = 0;
  for (const auto& line : original) {
    if (line.empty()) continue;  // leading empty lines of a block are not written
    while (at < savedLines.size() && savedLines[at] != line) ++at;
    QVERIFY(at < savedLines.size());
  }
}

void WorstInputsTest::blockFillingTheAddressSpace() {
  Started s;
  Lines source;
  for (int k = 0; k < 16383; ++k) source.push_back("mov #300, r1");
  source.push_back("dw 1");
  source.push_back("hlt");
  s.program.model().SetStoredSource(0, source);
  s.program.model().ShowBlock(0);
  s.w.PressInSource(Qt::Key_F9);
  QCOMPARE(s.w.LineStatus(), QString("Successful compilation"));
  QCOMPARE(s.w.WordCount(), QString("8000"));
  QCOMPARE(s.program.model().Stored(0).code.size(), 32768u);
}

void WorstInputsTest::saveFailingPartWayKeepsTheOldFile() {
  const QString path = dir_.filePath("kept.asm");
  const QByteArray old = "the old program\r\n";
  Write(path, old);
  Started s;
  Lines big(20000, "        mov r1, r2 ; a line to make the file large");
  s.program.model().SetStoredSource(0, big);
  s.program.model().ShowBlock(0);
  // Files may grow to 64 KB only: the write fails part-way, as on a full disk.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 64 * 1024;
  setrlimit(RLIMIT_FSIZE, &small);
  s.dialogs.files = {path};
  s.w.Choose(&MainControls::SaveAsm1);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  QCOMPARE(test::ReadBytes(path), old);
  QCOMPARE(s.dialogs.shown.size(), 1);
  QVERIFY(s.dialogs.shown.first().startsWith(path));
  QCOMPARE(static_cast<WorkingCopy&>(s.f).Source(), big);  // the block itself, not the file text
  QCOMPARE(QDir(dir_.path()).entryList({"kept.asm*"}, QDir::Files), QStringList({"kept.asm"}));
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::WorstInputsTest)
#include "worst_inputs_test.moc"

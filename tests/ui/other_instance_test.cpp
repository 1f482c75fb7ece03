// The program file changed on the disk by another instance, through the real windows: the
// toolkit's own message boxes and file dialogs, answered by keys, and the real activation.
// The other instance is the test, writing the file as a save of the program writes it.

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include "modal_answerer.hpp"
#include "ui/app/application.hpp"
#include "ui/files/program_files.hpp"
#include "ui/main/hidForm.hpp"
#include "ui/main/mainform.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::Expect;
using test::Text;

namespace {

const QString Title = " Q41 Assembler";
const QString Overwrite =
    "The file prog.asm changed on disk since it was opened or saved here.\n"
    "Overwriting it loses those changes.";
const QString AskReload =
    "The file prog.asm changed on disk since it was opened or saved here.\n"
    "The program has unsaved changes: keep them, or read the file again?";

// The program file of one block holding `line` and "hlt", as a save writes it.
QByteArray ProgramFile(const QString& line) {
  return ";memory=COMM\r\n\r\n;BLOCK 0\r\n;CPU\r\n;CPUaddr=0000\r\n\r\n" + line.toUtf8() +
         "\r\nhlt\r\n";
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

// One instance with the toolkit's own boxes, its program read from `path`.
struct Instance {
  Application program{Language::English};
  TForm1& f = program.Form1();
  test::MainWindow w{f};  // the main window, as its user meets it
  test::Answerer answerer;
  explicit Instance(const QString& path) {
    program.Show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    program.Start(path);
  }
  ~Instance() { program.model().Saved(); }

  // Typed at the end of the main editor.
  void Type(const QString& text) {
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    w.SourceEditor().setFocus();
    w.PressInSource(Qt::Key_End, Qt::ControlModifier);
    for (const QChar c : text) {
      if (c == '\n') {
        w.PressInSource(Qt::Key_Return);
      } else {
        w.TypeInSource(c);
      }
    }
  }
  // The user goes to the other window of the program (as from another program), then waits
  // for the questions due.
  void ComeBack() {
    QWidget* other = QApplication::activeWindow() == &f ? static_cast<QWidget*>(program.HF())
                                                        : static_cast<QWidget*>(&f);
    other->activateWindow();
    Settle();
  }
  // Every question due asked and answered, and nothing else open.
  void Settle() {
    QTRY_VERIFY(answerer.expected.empty() && QApplication::activeModalWidget() == nullptr);
    QTest::qWait(20);
    QVERIFY2(answerer.faults.isEmpty(), qPrintable(answerer.faults.join("; ")));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }
  // Ctrl+S, the file dialog answered with `path`, then the questions `then`.
  void Save(const QString& path, std::initializer_list<Expect> then = {}) {
    answerer.expected.push_back(Expect::File(Expect::Kind::SaveFile, true, path));
    answerer.expected.insert(answerer.expected.end(), then);
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    w.PressInSource(Qt::Key_S, Qt::ControlModifier);
  }
};

}  // namespace

class OtherInstanceTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString path_;

 private slots:
  void init() {
    qputenv("XDG_STATE_HOME", dir_.filePath("state").toUtf8());
    path_ = dir_.filePath("prog.asm");
    Write(path_, ProgramFile(";asm text"));
  }
  void savingOverAChangedFileAsksFirst();
  void aChangedFileComesBackAtActivation();
  void aFileGoneIsSaidOnceAndOneAppearingIsAChange();
};

// The student's case: A saves a line of the same length within the same moment; B's save
// must not write over it unasked, and no answer but Overwrite loses either text.
void OtherInstanceTest::savingOverAChangedFileAsksFirst() {
  Instance b(path_);
  b.Type("fromB: nop");
  Write(path_, ProgramFile("fromA: nop"));
  // Cancel: nothing written, nothing lost; the change is not asked about again at once.
  b.Save(path_, {Expect::Choose(Overwrite, Choice::Cancel)});
  b.Settle();
  QCOMPARE(test::ReadBytes(path_), ProgramFile("fromA: nop"));
  QCOMPARE(b.f.windowTitle(), "prog.asm* - " + Title);
  // A close waiting for that save goes on only once it is done.
  b.answerer.expected = {
      Expect::Choose("The program prog.asm has unsaved changes.\nSave them?", Choice::Keep),
      Expect::Choose(Overwrite, Choice::Cancel)};
  b.f.close();
  b.Settle();
  QVERIFY(b.f.isVisible());
  QCOMPARE(b.w.Source().last(), QString("fromB: nop"));
  // Save elsewhere: the save dialog again, and the file left to A.
  const QString elsewhere = dir_.filePath("mine.asm");
  b.Save(path_, {Expect::Choose(Overwrite, Choice::Keep),
                 Expect::File(Expect::Kind::SaveFile, true, elsewhere)});
  b.Settle();
  QCOMPARE(test::ReadBytes(path_), ProgramFile("fromA: nop"));
  QVERIFY(test::ReadBytes(elsewhere).endsWith("fromB: nop\r\n"));
  QCOMPARE(b.f.windowTitle(), "mine.asm - " + Title);
  // Overwrite writes over A's change, asked once.
  b.program.Files().OpenFile(path_);
  b.Type("again");
  Write(path_, ProgramFile("fromA: nop, more"));
  b.Save(path_, {Expect::Choose(Overwrite, Choice::Discard)});
  b.Settle();
  QVERIFY(test::ReadBytes(path_).endsWith("fromA: nop\r\nhlt\r\nagain\r\n"));
  // Saved here and not changed since: no question.
  b.Type("x");
  b.Save(path_);
  b.Settle();
  QVERIFY(test::ReadBytes(path_).endsWith("againx\r\n"));
}

// With nothing unsaved the file is read again and the status line says so; with unsaved
// work the user is asked once for each change, and Reload is the only answer that drops it.
void OtherInstanceTest::aChangedFileComesBackAtActivation() {
  Instance b(path_);
  Write(path_, ProgramFile("fromA: nop"));
  b.ComeBack();
  QTRY_COMPARE(b.w.Source().last(), QString("hlt"));
  QCOMPARE(b.w.Source().at(4), QString("fromA: nop"));
  QCOMPARE(b.w.LineStatus(), QString("prog.asm changed on disk and was read again"));
  QCOMPARE(b.f.windowTitle(), "prog.asm - " + Title);
  const QSize size = b.f.size();
  b.Type("mine");
  Write(path_, ProgramFile("fromA: second"));
  b.answerer.expected.push_back(Expect::Choose(AskReload, Choice::Keep));
  b.ComeBack();
  QCOMPARE(b.w.Source().last(), QString("mine"));
  // Asked once for the change, however often the user comes back.
  b.ComeBack();
  b.ComeBack();
  QCOMPARE(b.f.windowTitle(), "prog.asm* - " + Title);
  Write(path_, ProgramFile("fromA: third"));
  b.answerer.expected.push_back(Expect::Choose(AskReload, Choice::Discard));
  b.ComeBack();
  QTRY_COMPARE(b.w.Source().at(4), QString("fromA: third"));
  QCOMPARE(b.f.windowTitle(), "prog.asm - " + Title);
  QCOMPARE(b.f.size(), size);
}

// Gone: said once, and what is on screen becomes unsaved work. A file appearing there later
// is a change: asked about, and not written over unasked.
void OtherInstanceTest::aFileGoneIsSaidOnceAndOneAppearingIsAChange() {
  Instance b(path_);
  QVERIFY(QFile::remove(path_));
  b.answerer.expected.push_back(
      Expect::Box("The file " + path_ +
                  " is no longer on the disk.\nThe program stays as it is: save it to keep it."));
  b.ComeBack();
  b.ComeBack();
  QCOMPARE(b.f.windowTitle(), "prog.asm* - " + Title);
  QCOMPARE(b.w.Source().at(4), QString(";asm text"));
  Write(path_, ProgramFile("fromA: back"));
  b.answerer.expected.push_back(Expect::Choose(AskReload, Choice::Keep));
  b.ComeBack();
  b.Save(path_, {Expect::Choose(Overwrite, Choice::Discard)});
  b.Settle();
  QVERIFY(test::ReadBytes(path_).endsWith(";asm text\r\nhlt\r\n"));
  // Gone again and saved: nothing there to write over, nothing asked.
  QVERIFY(QFile::remove(path_));
  b.Type("y");
  b.Save(path_);
  b.Settle();
  QVERIFY(test::ReadBytes(path_).endsWith("hlt\r\ny\r\n"));
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::OtherInstanceTest)
#include "other_instance_test.moc"

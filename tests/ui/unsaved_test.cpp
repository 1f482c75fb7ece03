// Unsaved work through the real main window, with scripted dialogs: the questions before
// anything is discarded, the title's mark, questions about code that is not the text's,
// failed file operations named by their cause, files dropped or named at start-up, and the
// recovery copy of this instance and of one that died.

#include <sys/stat.h>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QLockFile>
#include <QMessageBox>
#include <QMimeData>
#include <QSysInfo>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include "ui/app/widgets.hpp"
#include "ui/files/program_files.hpp"
#include "ui/main/hidForm.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::MainWindow;
using test::SetText;
using test::Started;
using test::Text;

class UnsavedWorkTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

  // Types into the main editor as the user does.
  static void Type(const MainWindow& w, const QString& text) {
    w.SourceEditor().setFocus();
    w.PressInSource(Qt::Key_End, Qt::ControlModifier);
    w.TypeInSource(text);
  }

 private slots:
  void init() { qputenv("XDG_STATE_HOME", dir_.filePath("state").toUtf8()); }
  void everyEditMarksTheTitleAndOnlyEdits();
  void closingAsksOnceAndEachAnswerDoesWhatItSays();
  void openAndNewAskInsteadOfTheirOwnQuestion();
  void codeThatIsNotTheTextsIsAskedAbout();
  void failuresNameTheFileAndTheCause();
  void aDroppedOrNamedFileOpens();
  void recoveryCopyFollowsTheWorkAndComesBack();
  void aFailedRecoveryWriteIsSaidInTheTitle();
};

void UnsavedWorkTest::everyEditMarksTheTitleAndOnlyEdits() {
  Started s;
  TForm1& f = s.f;
  MainWindow& w = s.w;
  const QString title = " Q41 Assembler";
  QCOMPARE(f.windowTitle(), title);
  // Compiling, switching and the like change nothing of the file.
  w.Choose(&MainControls::CompAll1);
  w.Choose(&MainControls::CompAndPreproc1);
  w.Choose(&MainControls::AllBlocks1);
  w.Choose(&MainControls::AllBlocks1);
  QTest::mouseClick(w.MemoryChoice().ItemWidgets()[0], Qt::LeftButton);  // the item chosen
  QCOMPARE(f.windowTitle(), title);
  // Each kind of edit marks the program changed; a save makes it its file's again.
  const QString path = dir_.filePath("edits.asm");
  const std::function<void()> edits[] = {
      [&] { Type(w, "x"); },
      [&] {
        w.SourceEditor().setFocus();
        w.PressInSource(Qt::Key_Z, Qt::ControlModifier);
      },
      [&] { QTest::keyClicks(&w.GlobalsEditor(), "g"); },
      [&] { QTest::keyClicks(&w.HeaderEditor(), "h"); },
      [&] { QTest::keyClicks(&w.CpuAddressField(), "1"); },
      [&] { QTest::mouseClick(&w.PpuBox(2), Qt::LeftButton); },
      [&] { QTest::mouseClick(w.MemoryChoice().ItemWidgets()[1], Qt::LeftButton); },
      [&] { QTest::mouseClick(&w.AddBlockButton(), Qt::LeftButton); },
      [&] { QTest::mouseClick(&w.DeleteBlockButton(), Qt::LeftButton); },
      [&] { QTest::keyClicks(&s.blocks.SourceEditor(0), "c"); },
  };
  for (const auto& edit : edits) {
    edit();
    QCOMPARE(f.windowTitle(), s.program.Files().FileName().isEmpty() ? "Untitled* - " + title
                                                                     : "edits.asm* - " + title);
    s.dialogs.answers = {true};  // the delete-block question, when it comes
    s.dialogs.files = {path};
    w.Choose(&MainControls::SaveAsm1);
    s.dialogs.answers.clear();
    QCOMPARE(f.windowTitle(), "edits.asm - " + title);
  }
}

void UnsavedWorkTest::closingAsksOnceAndEachAnswerDoesWhatItSays() {
  const QString path = dir_.filePath("closing.asm");
  for (const Choice choice : {Choice::Cancel, Choice::Discard, Choice::Keep}) {
    Started s;
    Type(s.w, "work");
    // Save with no file yet asks where; cancelling that keeps everything.
    s.dialogs.choices = {choice};
    s.dialogs.files = {QString()};
    s.f.close();
    QCOMPARE(s.f.isVisible(), choice != Choice::Discard);
    QCOMPARE(s.dialogs.shown, QStringList({"The program has unsaved changes.\nSave them?"}));
    if (choice != Choice::Keep) continue;
    s.dialogs.choices = {Choice::Keep};
    s.dialogs.files = {path};
    s.w.Choose(&MainControls::Exit1);  // Exit asks the same question, instead of its own
    QVERIFY(!s.f.isVisible());
    QVERIFY(test::ReadBytes(path).endsWith("\r\nhlt\r\nwork\r\n"));
  }
  // Nothing unsaved: closing asks nothing.
  Started s;
  s.f.close();
  QVERIFY(!s.f.isVisible());
  QVERIFY(s.dialogs.shown.isEmpty());
}

void UnsavedWorkTest::openAndNewAskInsteadOfTheirOwnQuestion() {
  QFile empty(dir_.filePath("empty.asm"));
  QVERIFY(empty.open(QIODevice::WriteOnly));
  empty.close();
  Started s;
  TForm1& f = s.f;
  MainWindow& w = s.w;
  // Block 0's stored text is empty, its editor holds typed work: still asked.
  s.dialogs.files = {empty.fileName()};
  w.Choose(&MainControls::OpenAsm1);
  Type(w, "important");
  s.dialogs.choices = {Choice::Cancel};
  w.Choose(&MainControls::new1);
  QCOMPARE(w.Source(), QStringList({"important"}));
  // Saved to the file it came from, without a dialog.
  s.dialogs.choices = {Choice::Keep};
  w.Choose(&MainControls::new1);
  QVERIFY(test::ReadBytes(empty.fileName()).endsWith("\r\nimportant\r\n"));
  QCOMPARE(w.Source(), QStringList({"", "hlt"}));
  QCOMPARE(f.windowTitle(), QString(" Q41 Assembler"));
  // Open: asked first, then the dialog; the question names the program's file.
  s.dialogs.files = {empty.fileName()};
  w.Choose(&MainControls::OpenAsm1);
  Type(w, "x");
  s.dialogs.choices = {Choice::Discard};
  s.dialogs.files = {empty.fileName()};
  w.Choose(&MainControls::OpenAsm1);
  QCOMPARE(s.dialogs.shown.last(),
           QString("The program empty.asm has unsaved changes.\nSave them?"));
  QCOMPARE(w.Source().last(), QString("important"));
  QCOMPARE(f.windowTitle(), QString("empty.asm -  Q41 Assembler"));
  QVERIFY(s.dialogs.choices.empty() && s.dialogs.files.isEmpty());
}

void UnsavedWorkTest::codeThatIsNotTheTextsIsAskedAbout() {
  Started s;
  MainWindow& w = s.w;
  const QString code = dir_.filePath("code.q41");
  QTest::mouseClick(&w.AddBlockButton(), Qt::LeftButton);
  w.SetSource({"jmp nowhere", "hlt"});
  w.Choose(&MainControls::CompAll1);  // block 0 compiles, block 1 fails
  // Edited after its compile, in the all-blocks window: its code is older than its text.
  s.blocks.SetSource(0, {"nop", "hlt"});
  s.dialogs.answers = {true, false};
  w.Choose(&MainControls::SaveCod1);
  QCOMPARE(s.dialogs.shown,
           QStringList({"The code of block 0 is older than its text:\nthe text changed after the "
                        "compile.\nSave the code it holds?",
                        "Block 1 did not compile:\nits code is left out of the file.\nSave the "
                        ".Q41 file?"}));
  // Compiled again: nothing to ask about block 0.
  w.Tabs().setCurrentIndex(0);
  w.Choose(&MainControls::CompAndPreproc1);
  s.dialogs.shown.clear();
  s.dialogs.answers = {true};
  s.dialogs.files = {code};
  w.Choose(&MainControls::SaveCod1);
  QCOMPARE(s.dialogs.shown.size(), 1);
  QVERIFY(test::ReadBytes(code).contains("\r\n0002\r\n\r\n0000\r\nAF18\r\n"));
  // A value of GLOBAL changed since the compile: the code holds the old one.
  w.SetGlobals({"N=4"});
  s.dialogs.shown.clear();
  s.dialogs.answers = {false};
  w.Choose(&MainControls::SaveCod1);
  QCOMPARE(s.dialogs.shown.size(), 1);
  QVERIFY(s.dialogs.shown.front().startsWith("The code of block 0 is older than its text"));
}

void UnsavedWorkTest::failuresNameTheFileAndTheCause() {
  QTemporaryDir pipes;
  const QString pipe = pipes.filePath("pipe");
  QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
  Started s;
  MainWindow& w = s.w;
  Type(w, "kept");
  const QStringList before = w.Source();
  const struct {
    QAction* command;
    QString path;
    QString cause;
  } cases[] = {
      {&w.ItemOf(&MainControls::SaveAsm1), "/dev/full", "No space left on device"},
      {&w.ItemOf(&MainControls::SaveAsm1), dir_.path(), "Is a directory"},
      {&w.ItemOf(&MainControls::OpenAsm1), dir_.filePath("missing.asm"),
       "No such file or directory"},
      {&w.ItemOf(&MainControls::OpenAsm1), dir_.path(), "Is a directory"},
      {&w.ItemOf(&MainControls::OpenAsm1), pipe, "Not a regular file"},
  };
  for (const auto& c : cases) {
    s.dialogs.shown.clear();
    s.dialogs.choices = {Choice::Discard};  // Open asks about the unsaved text first
    s.dialogs.files = {c.path};
    c.command->trigger();
    QCOMPARE(s.dialogs.shown.last(), QDir::toNativeSeparators(c.path) + "\n" + c.cause);
    QCOMPARE(w.Source(), before);
    QVERIFY(s.program.model().Modified());
    s.dialogs.choices.clear();
  }
}

void UnsavedWorkTest::aDroppedOrNamedFileOpens() {
  const QString path = dir_.filePath("dropped.asm");
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(";BLOCK 0\r\n;CPU\r\n;CPUaddr=0000\r\n\r\ndropped\r\n");
  file.close();
  Started s;
  MainWindow& w = s.w;
  // Text dragged onto the editor is text.
  QMimeData text;
  text.setText("typed ");
  QWidget* editor = w.SourceEditor().viewport();
  const QPoint at(5, 5);
  auto drop = [&](QMimeData& data) {
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor, &dropped);
  };
  drop(text);
  QVERIFY(w.SourceEditor().toPlainText().contains("typed "));
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(path)});
  s.dialogs.choices = {Choice::Cancel};
  drop(files);
  QVERIFY(w.SourceEditor().toPlainText().contains("typed "));
  s.dialogs.choices = {Choice::Discard};
  drop(files);
  QCOMPARE(w.Source().last(), QString("dropped"));
  // Named at start-up: opened as Open .ASM opens it; a bad name gets the same error.
  Started named;
  named.program.Start(path);
  QCOMPARE(named.w.Source().last(), QString("dropped"));
  Started bad;
  bad.program.Start(dir_.filePath("nothing.asm"));
  QCOMPARE(bad.dialogs.shown.size(), 1);
  QCOMPARE(bad.w.Source(), QStringList({";asm text", "", "hlt"}));
  // Reached through a link, a file is saved where the link points; its name shows as it is.
  const QString target = dir_.filePath("<b>target[*].asm");
  QVERIFY(QFile::copy(path, target));
  const QString link = dir_.filePath("link.asm");
  QVERIFY(QFile::link(target, link));
  Started linked;
  linked.program.Start(link);
  Type(linked.w, "more");
  linked.dialogs.files = {link};
  linked.w.Choose(&MainControls::SaveAsm1);
  QVERIFY(QFileInfo(link).isSymLink());
  QVERIFY(test::ReadBytes(target).endsWith("\r\nmore\r\n"));
  linked.program.Files().OpenFile(target);
  QCOMPARE(linked.f.windowHandle()->title(), QString("<b>target[*].asm -  Q41 Assembler"));
  // The toolkit's boxes show such a name as text, not as markup.
  QtDialogs real(&linked.f, Language::English);
  Qt::TextFormat format = Qt::AutoText;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    format = box->textFormat();
    box->reject();
  });
  real.Error(target);
  QCOMPARE(format, Qt::PlainText);
}

void UnsavedWorkTest::recoveryCopyFollowsTheWorkAndComesBack() {
  qputenv("Q41_RECOVERY_DELAY_MS", "50");
  const QString folder = dir_.filePath("state/q41-assembler");
  auto copies = [&] { return QDir(folder).entryList({"*.asm"}, QDir::Files); };
  {
    Started s;
    Type(s.w, "first");
    QTRY_COMPARE(copies().size(), 1);
    const QString copy = folder + "/" + copies().front();
    QVERIFY(test::ReadBytes(copy).endsWith("\r\nhlt\r\nfirst\r\n"));
    // Another instance, still running, does not take it.
    Started other;
    other.program.Start({});
    QVERIFY(other.dialogs.shown.isEmpty());
    // Saved: the copy goes; changed again: it comes back.
    s.dialogs.files = {dir_.filePath("recovered.asm")};
    s.w.Choose(&MainControls::SaveAsm1);
    QCOMPARE(copies().size(), 0);
    Type(s.w, " second");
    QTRY_COMPARE(copies().size(), 1);
    // Left as a killed instance leaves it: its lock names a process that no longer runs.
    QFile::rename(copy, folder + "/1-1.asm");
    QFile::rename(folder + "/" + QFileInfo(copy).completeBaseName() + ".info",
                  folder + "/1-1.info");
    QFile lock(folder + "/1-1.lock");
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write("999999999\nq41\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    s.dialogs.choices = {Choice::Discard};
  }
  // Later keeps it; Restore brings it back as unsaved changes to its file.
  Started later;
  later.dialogs.choices = {Choice::Cancel};
  later.program.Start({});
  QCOMPARE(later.dialogs.shown.size(), 1);
  QVERIFY(later.dialogs.shown.front().contains("recovered.asm"));
  QVERIFY(copies().contains("1-1.asm"));
  // A lock of a dead instance with no copy guards nothing and goes.
  QFile orphan(folder + "/2-2.lock");
  QVERIFY(orphan.open(QIODevice::WriteOnly));
  orphan.write("999999998\nq41\n" + QSysInfo::machineHostName().toUtf8() + "\n");
  orphan.close();
  Started restored;
  restored.dialogs.choices = {Choice::Keep};
  restored.program.Start({});
  QCOMPARE(restored.w.Source().last(), QString("first second"));
  QCOMPARE(restored.f.windowTitle(), QString("recovered.asm* -  Q41 Assembler"));
  QVERIFY(!copies().contains("1-1.asm"));
  QVERIFY(!QFile::exists(folder + "/2-2.lock"));
  QCOMPARE(copies().size(), 1);  // its own, written at once
  restored.dialogs.choices = {Choice::Discard};
  restored.f.close();
  QCOMPARE(copies().size(), 0);
  qunsetenv("Q41_RECOVERY_DELAY_MS");
}

// A copy that cannot be written is said in the title in either language, the window's size
// kept, until a write succeeds; the work goes on.
void UnsavedWorkTest::aFailedRecoveryWriteIsSaidInTheTitle() {
  qputenv("Q41_RECOVERY_DELAY_MS", "50");
  const QString folder = dir_.filePath("blocked");
  QVERIFY(QDir().mkpath(folder));
  const QString blocked = QDir(folder).filePath("1-1.info");
  for (const Language language : {Language::English, Language::Russian}) {
    QFile blocker(blocked);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_STATE_HOME", QFile::encodeName(blocked));
    Started full(language);
    const QSize size = full.f.size();
    Type(full.w, "a");
    const QString said = language == Language::English
                             ? "The copy of unsaved work was not written: "
                             : QString::fromUtf8("Копия несохранённой работы не записана: ");
    QTRY_VERIFY(full.f.windowTitle().contains(said));
    QVERIFY(full.f.windowTitle().startsWith(
        QString::fromUtf8(language == Language::English ? "Untitled* -  Q41 Assembler \u2014 "
                                                        : "Без имени* -  Ассемблер Q41 \u2014 ")));
    QVERIFY(full.f.windowTitle().endsWith(
        language == Language::English ? "Not a directory" : QString::fromUtf8("Это не каталог")));
    QCOMPARE(full.f.size(), size);
    QCOMPARE(full.f.centralWidget()->geometry().bottom(), full.f.rect().bottom());
    // The way is free again: the next write succeeds and the title says no more.
    QVERIFY(QFile::remove(blocked));
    Type(full.w, "b");
    QTRY_VERIFY(!full.f.windowTitle().contains(said));
    QCOMPARE(full.f.windowTitle(), language == Language::English
                                       ? QString("Untitled* -  Q41 Assembler")
                                       : QString::fromUtf8("Без имени* -  Ассемблер Q41"));
    QCOMPARE(full.w.Source().last(), QString("ab"));
    full.dialogs.choices = {Choice::Discard};
    full.f.close();
    QVERIFY(QDir(blocked).removeRecursively());
  }
  qputenv("XDG_STATE_HOME", dir_.filePath("state").toUtf8());
  qunsetenv("Q41_RECOVERY_DELAY_MS");
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::UnsavedWorkTest)
#include "unsaved_test.moc"

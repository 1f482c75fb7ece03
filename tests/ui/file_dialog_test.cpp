// The program's file dialogs under a real window manager: typing a folder whose files block
// when read (the kernel's log in /proc, pipes) must never stop the program answering.

#include <sys/stat.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ui/dialogs.hpp"

namespace q41::ui {

class FileDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void typingAnyFolderNeverHangs();
};

void FileDialogTest::typingAnyFolderNeverHangs() {
  QTemporaryDir pipes;
  QVERIFY(pipes.isValid());
  QVERIFY(::mkfifo(QFile::encodeName(pipes.filePath("pipe")).constData(), 0600) == 0);
  QWidget owner;
  owner.show();
  QtDialogs dialogs(&owner, Language::English);
  for (const QString& folder : {QString("/proc/"), QString("/sys/"), pipes.path() + "/"}) {
    for (const bool save : {true, false}) {
      qint64 longest = 0;
      bool typed = false;
      // While the dialog runs: type the folder, then watch the event loop for a second.
      QTimer::singleShot(300, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* name = dialog != nullptr ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
        if (name == nullptr) {
          if (dialog != nullptr) dialog->reject();
          return;
        }
        typed = true;
        QTest::keyClicks(name, folder);
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        while (clock.elapsed() < 1000) {
          QTest::qWait(20);
          longest = std::max(longest, clock.elapsed() - last);
          last = clock.elapsed();
        }
        dialog->reject();
      });
      QElapsedTimer whole;
      whole.start();
      if (save) {
        dialogs.SaveFile("all files (*)", "asm");
      } else {
        dialogs.OpenFile("all files (*)");
      }
      QVERIFY2(typed, "the dialog never showed its file name field");
      QVERIFY2(
          longest < 1000 && whole.elapsed() < 5000,
          qPrintable(QString("typing %1 stopped the program for %2 ms").arg(folder).arg(longest)));
    }
  }
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::FileDialogTest)
#include "file_dialog_test.moc"

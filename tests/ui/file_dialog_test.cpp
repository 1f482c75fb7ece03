// The program's file dialogs under a real window manager: typing a folder whose files block
// when read (the kernel's log in /proc, pipes) must never stop the program answering, and the
// list speaks the program's language whatever the system's locale (ctest runs this under an
// English and a Russian one).

#include <sys/stat.h>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include "ui/app/application.hpp"
#include "ui/app/dialogs.hpp"
#include "ui/main/mainform.hpp"
#include "ui_support.hpp"

namespace q41::ui {

class FileDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void typingAnyFolderNeverHangs();
  void listSpeaksTheProgramsLanguage();
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

namespace {

// What the open dialog's detail view shows of a file: size, type, date.
QStringList ListedColumns(const QFileDialog& dialog, const QString& name) {
  auto* view = dialog.findChild<QTreeView*>("treeView");
  if (view == nullptr) return {};
  const QAbstractItemModel& model = *view->model();
  for (int row = 0; row < model.rowCount(view->rootIndex()); ++row) {
    if (model.index(row, 0, view->rootIndex()).data().toString() != name) continue;
    QStringList columns;
    for (int column = 1; column < 4; ++column) {
      columns << model.index(row, column, view->rootIndex()).data().toString();
    }
    return columns;
  }
  return {};
}

// The columns of the files named, the names of the columns and the texts of the last file cut
// short by their column, once the folder is typed
// into the open dialog and its detail view chosen by its button; the last file's columns are
// awaited as `awaited`, since the list fills in as the toolkit reads the folder.
QList<QStringList> ReadList(QFileDialog& dialog, const QString& folder, const QStringList& files,
                            const QStringList& awaited) {
  auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
  auto* detail = dialog.findChild<QToolButton*>("detailModeButton");
  auto* view = dialog.findChild<QTreeView*>("treeView");
  if (name == nullptr || detail == nullptr || view == nullptr) return {};
  // The dialog opens where the last one was left: the folder pasted (typed, each "/" would
  // take the dialog to the folder so far while the keys go on), and Return.
  name->setText(folder);
  QTest::keyClick(name, Qt::Key_Return);
  QTest::mouseClick(detail, Qt::LeftButton);
  (void)QTest::qWaitFor([&] { return ListedColumns(dialog, files.back()) == awaited; }, 10000);
  QList<QStringList> read;
  for (const QString& file : files) read << ListedColumns(dialog, file);
  QStringList header;
  QStringList cut;  // the texts of the last file cut short by their column or the view
  const QHeaderView& columns = *view->header();
  // The margins the item's text keeps on either side, as the toolkit's delegate lays it out.
  const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
  for (int column = 0; column < 4; ++column) {
    header << view->model()->headerData(column, Qt::Horizontal).toString();
    const QString text = column > 0 ? read.back().value(column - 1) : QString();
    const int width = view->fontMetrics().horizontalAdvance(text) + 2 * margin;
    if (width > columns.sectionSize(column) ||
        columns.sectionViewportPosition(column) + width > view->viewport()->width()) {
      cut << text;
    }
  }
  return read << header << cut;
}

}  // namespace

// Open .ASM of each program, its dialog switched to the detail view by its button: the files'
// sizes, types and dates and the columns' names in the program's language, shown whole.
void FileDialogTest::listSpeaksTheProgramsLanguage() {
  QTemporaryDir folder;
  QVERIFY(folder.isValid());
  const QDateTime written(QDate(2023, 12, 8), QTime(14, 30));
  for (const auto& [name, size] : {std::pair{"empty.asm", 0}, {"two.asm", 2}, {"big.asm", 3000}}) {
    QFile file(folder.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
    QVERIFY(file.flush());
    QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
  }
  struct Row {
    Language language;
    QStringList empty, two, big, header;
    const char* screenshot;
  };
  const Row rows[] = {
      {Language::Russian,
       {"0 байт", "Файл ASM", "08.12.2023 14:30"},
       {"2 байта", "Файл ASM", "08.12.2023 14:30"},
       {"2,93 КиБ", "Файл ASM", "08.12.2023 14:30"},
       {"Имя", "Размер", "Тип", "Дата изменения"},
       "file_dialog_ru"},
      {Language::English,
       {"0 bytes", "ASM File", "12/8/23 2:30 PM"},
       {"2 bytes", "ASM File", "12/8/23 2:30 PM"},
       {"2.93 KiB", "ASM File", "12/8/23 2:30 PM"},
       {"Name", "Size", "Type", "Date Modified"},
       "file_dialog_en"},
  };
  for (const Row& row : rows) {
    Application program(row.language);
    program.Show();
    QVERIFY(QTest::qWaitForWindowActive(&program.Form1()));
    QList<QStringList> read;
    QTimer::singleShot(300, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      read = ReadList(*dialog, folder.path(), {"empty.asm", "two.asm", "big.asm"}, row.big);
      dialog->grab().save(test::ScreenshotPath(row.screenshot));
      dialog->reject();
    });
    test::MainWindow(program.Form1()).Choose(&MainControls::OpenAsm1);
    QCOMPARE(read, QList<QStringList>({row.empty, row.two, row.big, row.header, {}}));
  }
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::FileDialogTest)
#include "file_dialog_test.moc"

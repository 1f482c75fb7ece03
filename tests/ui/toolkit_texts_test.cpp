// The toolkit's own words through the real windows: its buttons, dialogs and the system's
// error texts are Russian in the Russian program and stay English in the English one.

#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include "ui/app/application.hpp"
#include "ui/files/program_files.hpp"
#include "ui/main/mainform.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::CancelCaption;
using test::ModalAnswers;

class ToolkitTextsTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  void toolkitSpeaksTheInterfaceLanguage();
};

// The Russian program's boxes, file dialogs and system error texts are Russian; the English
// program's stay English.
void ToolkitTextsTest::toolkitSpeaksTheInterfaceLanguage() {
  struct Row {
    Language language;
    QString cancel;
    QString missing;
    QString folder;  // a cause the toolkit's translations do not know
  };
  for (const Row& row :
       {Row{Language::Russian, "Отмена", "Файл или каталог не существует", "Это каталог"},
        Row{Language::English, "Cancel", "No such file or directory", "Is a directory"}}) {
    Application p(row.language);
    p.Show();
    QVERIFY(QTest::qWaitForWindowActive(&p.Form1()));
    ModalAnswers modal;
    QStringList seen;
    modal.answers.push_back([&seen](QWidget& box) {
      seen << CancelCaption(box);
      QTest::keyClick(&box, Qt::Key_Escape);
    });
    for (int error = 0; error < 2; ++error) {
      modal.answers.push_back([&seen](QWidget& box) {
        seen << static_cast<QMessageBox&>(box).text();
        QTest::keyClick(&box, Qt::Key_Return);
      });
    }
    modal.answers.push_back([&seen](QWidget& dialog) {
      seen << CancelCaption(dialog);
      QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    test::MainWindow(p.Form1()).Choose(&MainControls::ClearAsm1);
    p.Files().OpenFile(dir_.filePath("missing.asm"));
    p.Files().OpenFile(dir_.path());
    test::MainWindow(p.Form1()).Choose(&MainControls::OpenAsm1);
    QCOMPARE(seen.size(), 4);
    QCOMPARE(seen[0], row.cancel);
    QVERIFY2(seen[1].endsWith("\n" + row.missing), qPrintable(seen[1]));
    QVERIFY2(seen[2].endsWith("\n" + row.folder), qPrintable(seen[2]));
    QCOMPARE(seen[3], row.cancel);
  }
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::ToolkitTextsTest)
#include "toolkit_texts_test.moc"

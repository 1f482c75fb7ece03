// Printing through the real main window: a block exported to PDF or printed, read back with
// pdftotext.

#include <QDate>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "ui/app/application.hpp"
#include "ui/files/program_files.hpp"
#include "ui/main/mainform.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::CancelCaption;
using test::MainWindow;
using test::ModalAnswers;
using test::SetText;
using test::Started;

namespace {

// The text of a PDF, every run of blanks taken out (pdftotext spaces the columns its own
// way), one string a page.
QStringList PdfPages(const QString& path) {
  QProcess extract;
  extract.start("pdftotext", {"-layout", path, "-"});
  if (!extract.waitForFinished(30000) || extract.exitCode() != 0) {
    qWarning("pdftotext failed (package poppler-utils; scripts/setup.sh installs it)");
    return {};
  }
  QString text = QString::fromUtf8(extract.readAllStandardOutput());
  text.remove(QRegularExpression("[ \\n\\r\\t]"));
  QStringList pages = text.split('\f');
  if (!pages.isEmpty() && pages.back().isEmpty()) pages.pop_back();
  return pages;
}

QString Squeezed(QString text) {
  return text.remove(QRegularExpression("\\s"));
}

// Every line in order, each page with its header and its number of all.
void CheckPrintout(const QString& pdf, const QStringList& lines, const QStringList& header,
                   const QString& pageOf) {
  const QStringList pages = PdfPages(pdf);
  QVERIFY(!pages.isEmpty());
  const QString all = pages.join("");
  qsizetype at = 0;
  for (const QString& line : lines) {
    const qsizetype found = all.indexOf(Squeezed(line), at);
    QVERIFY2(found >= 0, qPrintable("missing or out of order: " + line));
    at = found + Squeezed(line).size();
  }
  for (qsizetype k = 0; k < pages.size(); ++k) {
    for (const QString& h : header) QVERIFY2(pages[k].contains(Squeezed(h)), qPrintable(h));
    QVERIFY(pages[k].contains(Squeezed(pageOf.arg(k + 1).arg(pages.size()))));
  }
}

}  // namespace

class PrintTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  void exportPdfThroughTheRealDialogs();
  void printTheListing();
};

// Russian: the choice and the file dialog are the real ones, in Russian; three pages of
// source, a Cyrillic comment and a line longer than the page among them.
void PrintTest::exportPdfThroughTheRealDialogs() {
  const QString program = dir_.filePath("прог.asm");
  const QString pdf = dir_.filePath("block0.pdf");
  QStringList lines;
  for (int k = 1; k <= 150; ++k) lines << QString("lab%1: mov #%1,r0 ; шаг %1").arg(k);
  QString longLine = ";";
  for (int w = 0; w < 60; ++w) longLine += QString(" word%1").arg(w);
  lines[3] = longLine;
  lines << "hlt";
  QFile file(program);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("hlt\r\n");
  file.close();

  Application p(Language::Russian);
  p.Show();
  QVERIFY(QTest::qWaitForWindowActive(&p.Form1()));
  p.Files().OpenFile(program);
  test::MainWindow(p.Form1()).SetSource(lines);

  ModalAnswers modal;
  QStringList seen;
  modal.answers.push_back([&seen](QWidget& choice) {
    seen << choice.windowTitle() << CancelCaption(choice);
    QTest::keyClick(&choice, Qt::Key_Return);
  });
  modal.answers.push_back([&seen, pdf](QWidget& dialog) {
    seen << CancelCaption(dialog);
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    QVERIFY(name != nullptr);
    name->setCompleter(nullptr);
    name->selectAll();
    QTest::keyClicks(name, pdf);
    QTest::keyClick(name, Qt::Key_Return);
  });
  test::MainWindow(p.Form1()).Choose(&MainControls::ExportPdf1);
  QCOMPARE(seen, QStringList({"Экспорт в PDF", "Отмена", "Отмена"}));

  QStringList numbered;
  for (int k = 0; k < lines.size(); ++k) numbered << QString::number(k + 1) + lines[k];
  const QString date = QLocale(QLocale::Russian).toString(QDate::currentDate(), "d MMMM yyyy");
  CheckPrintout(pdf, numbered, {"прог.asm", "BLOCK 0", date}, "Страница %1 из %2");
  QCOMPARE(PdfPages(pdf).size(), 3);
}

// English, by the printer (a PDF file, as the print dialog would have it): the listing of the
// last compile, and a stale or failed one says so; cancelling either question prints nothing.
void PrintTest::printTheListing() {
  Started s(Language::English);
  MainWindow& w = s.w;
  w.SetSource({"start: mov #5,r0 ; five", "", "hlt"});
  w.Choose(&MainControls::CompAndPreproc1);
  const QString pdf = dir_.filePath("listing.pdf");
  s.dialogs.printContents = {PrintContent::Listing};
  s.dialogs.files = {pdf};
  w.Choose(&MainControls::Print1);
  CheckPrintout(pdf, {"1 0000 2150 start: mov #5,r0 ; five", "2", "3 0002 AF18 hlt"},
                {"(never saved)", "Listing - BLOCK 0"}, "Page %1 of %2");
  QCOMPARE(s.dialogs.shown, QStringList({"Print"}));

  w.SetSource({"hlt"});
  s.dialogs.printContents = {PrintContent::Listing};
  s.dialogs.files = {pdf};
  w.Choose(&MainControls::Print1);
  CheckPrintout(pdf, {"start: mov #5,r0"}, {"(out of date"}, "Page %1 of %2");

  // A failed compile's listing says so first.
  w.SetSource({"nop", "jmp nowhere", "hlt"});
  w.Choose(&MainControls::CompAndPreproc1);
  s.dialogs.printContents = {PrintContent::Listing};
  s.dialogs.files = {pdf};
  w.Choose(&MainControls::Print1);
  CheckPrintout(
      pdf,
      {"Block 0 did not compile: the fault is on line 2.", w.FaultStatus(), "1 0000 0000 nop", "2"},
      {"Listing - BLOCK 0"}, "Page %1 of %2");

  QFile::remove(pdf);
  s.dialogs.printContents = {std::nullopt, PrintContent::Source};
  s.dialogs.files = {QString()};
  w.Choose(&MainControls::Print1);
  w.Choose(&MainControls::ExportPdf1);
  QVERIFY(!QFile::exists(pdf));
  QVERIFY(s.dialogs.printContents.empty() && s.dialogs.files.isEmpty());
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::PrintTest)
#include "print_test.moc"

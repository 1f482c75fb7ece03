// The windows beside the main one, as a user reaches them by the menu and the keys: the
// listing of a compile that failed, and the search of the instruction reference.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>

#include "blocks/listing.hpp"
#include "ui/app/application.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/style.hpp"
#include "ui/main/mainform.hpp"
#include "ui/tools/listing_window.hpp"
#include "ui/tools/reference_window.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::SetText;
using test::Started;

class ToolWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void listingOfAFailedCompile();
  void referenceSearchByKeys();
};

namespace {

// The colour drawn at the right end of a row of the listing, past its text.
QColor RowEndColour(QPlainTextEdit& text, int row) {
  const QRect r = text.cursorRect(QTextCursor(text.document()->findBlockByNumber(row)));
  const QImage picture = text.viewport()->grab().toImage();
  return picture.pixelColor(text.viewport()->width() - 4, r.center().y());
}

// F1 with the caret at `position` of the editor.
void PressF1On(QPlainTextEdit& editor, int position) {
  editor.setFocus();
  QTextCursor caret(editor.document());
  caret.setPosition(position);
  editor.setTextCursor(caret);
  QTest::keyClick(&editor, Qt::Key_F1);
}

// Types the text as key presses, letters of any alphabet among them.
void Type(QWidget& widget, const QString& text) {
  for (const QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, &widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

}  // namespace

// A fault of either stage, by Ctrl+F9 or by compile all in a later block: the listing keeps
// its lines (and saves them as they are), says above them that the block did not compile,
// where and why, and marks the fault's row, which it brings into view; the next compile that
// succeeds takes all of it away.
void ToolWindowsTest::listingOfAFailedCompile() {
  struct Row {
    Language language;
    bool all;  // compile all, the fault in block 1
    QStringList source;
    int faultLine;
  };
  const Row rows[] = {
      {Language::English, false, {"start: mov #5,r0", "  nop", "  jmp nowhere", "  hlt"}, 3},
      {Language::Russian, false, {"nop", "  1st: nop", "hlt"}, 2},
      {Language::Russian, true, {"nop", "nop", "mov r0, #5", "hlt"}, 3},
  };
  QTemporaryDir dir;
  for (const Row& row : rows) {
    Started s(row.language);
    TForm1& f = s.f;
    test::MainWindow& main = s.w;
    if (row.all) main.AddBlockButton().click();
    main.SetSource(row.source);
    main.Choose(&MainControls::Listing1);
    ListingWindow& w = *f.Tools().Listing();
    QVERIFY(!w.faultNote->isVisible());
    main.Choose(row.all ? &MainControls::CompAll1 : &MainControls::CompAndPreproc1);
    QVERIFY(!main.FaultStatus().isEmpty());

    const CompileHistory& h = s.program.model().History(s.program.model().CurrentBlock());
    QVERIFY(h.compiled && !h.succeeded);
    const Lines listing = Listing(h.source, h.code, h.wordSourceLine);
    QCOMPARE(w.text->toPlainText() + "\n", ToQt(JoinLines(listing, "\n")));
    QVERIFY(w.faultNote->isVisible());
    const QString head = row.language == Language::English
                             ? "Block %1 did not compile: the fault is on line %2."
                             : "Блок %1 не откомпилирован: ошибка в строке %2.";
    QCOMPARE(w.faultNote->text(),
             head.arg(row.all ? 1 : 0).arg(row.faultLine) + "\n" + main.FaultStatus());
    QCOMPARE(w.FaultRows(), std::vector<int>{row.faultLine - 1});
    QCOMPARE(w.text->textCursor().blockNumber(), row.faultLine - 1);
    QCOMPARE(RowEndColour(*w.text, row.faultLine - 1), CurrentColours().mark);
    QVERIFY(RowEndColour(*w.text, 0) != CurrentColours().mark);
    // Saved, it is the listing's lines alone, in their format.
    const QString path = dir.filePath("fault.lst");
    s.dialogs.files << path;
    w.saveButton->click();
    QCOMPARE(test::ReadBytes(path), QByteArray::fromStdString(JoinLines(listing, "\r\n")));
    QVERIFY(w.grab().save(test::ScreenshotPath(
        QString("listing_fault_%1").arg(row.language == Language::English ? "en" : "ru"))));

    main.SetSource({"nop", "hlt"});
    main.Choose(&MainControls::CompAndPreproc1);
    QVERIFY(!w.faultNote->isVisible());
    QVERIFY(w.FaultRows().empty());
  }
}

// F1 opens the window with the field taking the keys; typed words keep the entries that hold
// them, the mnemonic itself first; arrows choose, Return reads the entry, Escape closes; F1 on
// a mnemonic left out by the search still opens its entry.
void ToolWindowsTest::referenceSearchByKeys() {
  for (const Language language : {Language::English, Language::Russian}) {
    Started s(language);
    const bool english = language == Language::English;
    s.w.SetSource({"  hlt"});
    PressF1On(s.w.SourceEditor(), 3);
    ReferenceWindow& w = *s.f.Tools().Reference();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(w.ShownKey(), "HLT");
    QTRY_COMPARE(QApplication::focusWidget(), w.search);
    QCOMPARE(w.search->accessibleName(), english ? "Reference search" : "Поиск по справочнику");
    const int all = w.entries->count();

    // A mnemonic: its own entry first, then those whose text names it.
    QTest::keyClicks(w.search, "jg");
    QCOMPARE(w.ListedKeys().value(0), "JG");
    QVERIFY(w.ListedKeys().contains("JGE"));
    QCOMPARE(w.ShownKey(), "JG");
    QTest::keyClick(w.search, Qt::Key_Down);
    QCOMPARE(w.ShownKey(), w.ListedKeys().value(1));
    QTest::keyClick(w.search, Qt::Key_Up);
    QCOMPARE(w.ShownKey(), "JG");
    // Words of the entries' text, in the interface language; what is found is lit up.
    w.search->clear();
    Type(*w.search, english ? "destination" : "приёмник");
    QVERIFY(w.entries->count() > 1 && w.entries->count() < all);
    QVERIFY(w.ListedKeys().contains("MOV") && !w.ListedKeys().contains("HLT"));
    QVERIFY(!w.text->extraSelections().isEmpty());
    QCOMPARE(w.text->extraSelections().front().cursor.selectedText().toLower(),
             english ? "destination" : "приёмник");
    QVERIFY(w.grab().save(
        test::ScreenshotPath(english ? "reference_search_en" : "reference_search_ru")));
    // Nothing found says so.
    w.search->clear();
    QTest::keyClicks(w.search, "qqqq");
    QCOMPARE(w.entries->count(), 0);
    QCOMPARE(w.text->toPlainText(), english ? "Nothing found." : "Ничего не найдено.");
    // Return reads the entry; Tab walks the field, the list and the entry.
    w.search->clear();
    QTest::keyClicks(w.search, "mov");
    QTest::keyClick(w.search, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w.text);
    QCOMPARE(w.ShownKey(), "MOV");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.search);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.entries);
    // F1 on a mnemonic the search left out.
    s.f.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &s.f);
    PressF1On(s.w.SourceEditor(), 3);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(w.ShownKey(), "HLT");
    QCOMPARE(w.search->text(), QString());
    QCOMPARE(w.entries->count(), all);
    QTRY_COMPARE(QApplication::focusWidget(), w.search);
    QTest::keyClick(w.search, Qt::Key_Escape);
    QVERIFY(!w.isVisible());
  }
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::ToolWindowsTest)
#include "tool_windows_test.moc"

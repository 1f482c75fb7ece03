// The main window's code, listing and instruction reference on Qt's offscreen platform: the
// links between the code, the listing and the source lines they came from, and the reference
// the source's instructions open.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QToolTip>

#include "assembler/label_table.hpp"
#include "assembler/mnemonic.hpp"
#include "blocks/reference.hpp"
#include "ui/app/application.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/widgets.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/main/hidForm.hpp"
#include "ui/main/mainform.hpp"
#include "ui/main/midtext.hpp"
#include "ui/tools/find_dialog.hpp"
#include "ui/tools/listing_window.hpp"
#include "ui/tools/reference_window.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::ClickRow;
using test::HighlightedRows;
using test::PutCaret;
using test::Started;

class MainWindowCodeTest : public QObject {
  Q_OBJECT

  // A fresh program for each test, shown as the message loop shows it.

 private slots:
  void codeAndSourceLinks();
  void listingWindow();
  void listingPastLine99999();
  void instructionReference();
};

void MainWindowCodeTest::codeAndSourceLinks() {
  Started s(Language::English);
  s.w.SetSource({"; demo", "start: mov #5, r0", "  rw 3", "", "  jmp start", "hlt"});
  s.w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(s.w.Code(), QStringList({"2150", "AE97", "AE97", "AE97", "1C0E", "0000", "AF18"}));
  // The caret on a source line lights up the words it made; a line that made none, none.
  PutCaret(s.w.SourceEditor(), 2);
  QCOMPARE(HighlightedRows(s.w.CodeView()), QList<int>({1, 2, 3}));
  PutCaret(s.w.SourceEditor(), 3);
  QCOMPARE(HighlightedRows(s.w.CodeView()), QList<int>());
  // A click on a code word: the caret goes to the line that made it, which lights up with
  // all of its words.
  ClickRow(s.w.CodeView(), 5);
  QCOMPARE(s.w.SourceEditor().textCursor().blockNumber(), 4);
  QCOMPARE(HighlightedRows(s.w.SourceEditor()), QList<int>({4}));
  QCOMPARE(HighlightedRows(s.w.CodeView()), QList<int>({4, 5}));
  ClickRow(s.w.CodeView(), 0);
  QCOMPARE(s.w.SourceEditor().textCursor().blockNumber(), 1);
  QCOMPARE(HighlightedRows(s.w.CodeView()), QList<int>({0}));
  // An edit of the source ends the links until the next compile.
  s.w.SourceEditor().setFocus();
  s.w.PressInSource(Qt::Key_Space);
  QCOMPARE(HighlightedRows(s.w.CodeView()), QList<int>());
  QCOMPARE(HighlightedRows(s.w.SourceEditor()), QList<int>());
  PutCaret(s.w.SourceEditor(), 2);
  ClickRow(s.w.CodeView(), 2);
  QCOMPARE(s.w.SourceEditor().textCursor().blockNumber(), 2);
  QCOMPARE(HighlightedRows(s.w.CodeView()), QList<int>());
  // Another block shown: no links either; back on the compiled block, they hold again.
  s.w.Choose(&MainControls::CompAndPreproc1);
  s.w.AddBlockButton().click();
  QCOMPARE(HighlightedRows(s.w.CodeView()), QList<int>());
  s.w.ChooseTab(0);
  PutCaret(s.w.SourceEditor(), 2);
  QCOMPARE(HighlightedRows(s.w.CodeView()), QList<int>({1, 2, 3}));

  // Each block keeps its own fault mark until its next compile.
  s.w.SetSource({"nop", "hlt"});
  s.w.ChooseTab(1);
  s.w.SetSource({"nop", "jmp nowhere", "hlt"});
  s.w.Choose(&MainControls::CompAll1);
  QCOMPARE(s.program.model().CurrentBlock(), 1);
  QCOMPARE(s.w.SourceEditor().MarkedLine(), 2);
  s.w.ChooseTab(0);
  QCOMPARE(s.w.SourceEditor().MarkedLine(), 0);
  s.w.ChooseTab(1);
  QCOMPARE(s.w.SourceEditor().MarkedLine(), 2);
  QVERIFY(s.dialogs.answers.empty());
}

void MainWindowCodeTest::listingWindow() {
  const QString dir =
      QDir::tempPath() + "/q41_listing_" + QString::number(QCoreApplication::applicationPid());
  QDir().mkpath(dir);
  for (Language language : {Language::English, Language::Russian}) {
    Started s(language);
    s.w.SetSource({"start: mov #5,r0 ; five", "", "  hlt"});
    s.w.Choose(&MainControls::Listing1);
    ListingWindow* w = s.f.Tools().Listing();
    QVERIFY(w != nullptr && w->isVisible());
    QCOMPARE(s.w.ItemOf(&MainControls::Listing1).text(),
             language == Language::English ? "Listing" : "Листинг");
    QCOMPARE(w->text->toPlainText(), language == Language::English
                                         ? "This block has not been compiled yet."
                                         : "Этот блок ещё не компилировался.");
    // Its shortcut works from the listing window too, and compiling updates the listing.
    s.w.Choose(&MainControls::CompAndPreproc1);
    const QString listing =
        "    1 0000 2150                 start: mov #5,r0 ; five\n"
        "    2\n"
        "    3 0002 AF18                   hlt";
    QCOMPARE(w->text->toPlainText(), listing);
    // A click on a listing line selects its source line.
    ClickRow(*w->text, 2);
    QCOMPARE(s.w.SourceEditor().textCursor().selectedText(), "  hlt");
    ClickRow(*w->text, 0);
    QCOMPARE(s.w.SourceEditor().textCursor().selectedText(), "start: mov #5,r0 ; five");
    // Saved as the file's bytes with CR LF.
    const QString path = dir + "/out.lst";
    s.dialogs.files << path;
    w->saveButton->click();
    QCOMPARE(test::ReadBytes(path), QString(listing).replace("\n", "\r\n").toLatin1() + "\r\n");
    if (language == Language::English) {
      QVERIFY(w->grab().save(test::ScreenshotPath("listing_en")));
    } else {
      QVERIFY(w->grab().save(test::ScreenshotPath("listing_ru")));
    }
  }
  QDir(dir).removeRecursively();
}

void MainWindowCodeTest::listingPastLine99999() {
  Started s;
  QStringList many(100010, "nop");
  many << "hlt";
  s.w.SetSource(many);
  s.w.Choose(&MainControls::CompAndPreproc1);
  s.w.Choose(&MainControls::Listing1);
  QPlainTextEdit& listing = *s.f.Tools().Listing()->text;
  // The row of line 100,005 brought on screen and clicked selects that line.
  listing.verticalScrollBar()->setValue(100000);
  QCoreApplication::processEvents();
  ClickRow(listing, 100004);
  QCOMPARE(s.w.SourceEditor().textCursor().blockNumber(), 100004);
  QCOMPARE(s.w.SourceEditor().textCursor().selectedText(), "nop");
}

void MainWindowCodeTest::instructionReference() {
  for (Language language : {Language::English, Language::Russian}) {
    // Every mnemonic of the table has its entry, and every example assembles.
    const std::vector<ReferenceEntry> reference = InstructionReference(language);
    for (const MnemonicEntry& m : Mnemonics) {
      const auto entry = std::find_if(reference.begin(), reference.end(),
                                      [&m](const ReferenceEntry& e) { return e.key == m.name; });
      QVERIFY2(entry != reference.end(), std::string(m.name).c_str());
      QVERIFY(entry->html.find(std::string(m.templ)) != std::string::npos);
    }
    for (const ReferenceEntry& e : reference) {
      QVERIFY2(e.html.find("→ ?") == std::string::npos, e.key.c_str());
    }

    Started s(language);
    const bool english = language == Language::English;
    QCOMPARE(s.w.Menu(&MainControls::Help1).title(), english ? "Help" : "Справка");
    QCOMPARE(s.w.ItemOf(&MainControls::Reference1).text(),
             english ? "Instruction reference" : "Справочник команд");
    // F1 with the caret on a mnemonic opens that mnemonic's entry.
    s.w.SetSource({"start: mov #5, r0", "  hlt"});
    s.w.SourceEditor().setFocus();
    QTextCursor caret(s.w.SourceEditor().document()->firstBlock());
    caret.setPosition(8);
    s.w.SourceEditor().setTextCursor(caret);
    s.w.PressInSource(Qt::Key_F1);
    ReferenceWindow* w = s.f.Tools().Reference();
    QVERIFY(w != nullptr && w->isVisible());
    QCOMPARE(w->ShownKey(), "MOV");
    QVERIFY(w->text->toPlainText().contains("MOV #5, R0    → 2150"));
    QVERIFY(
        w->grab().save(test::ScreenshotPath(english ? "reference_mov_en" : "reference_mov_ru")));
    // On a word that is no mnemonic the entry shown stays.
    caret.setPosition(1);
    s.w.SourceEditor().setTextCursor(caret);
    s.w.SourceEditor().setFocus();
    s.w.PressInSource(Qt::Key_F1);
    QCOMPARE(w->ShownKey(), "MOV");
    QVERIFY(w->ShowEntry("hlt"));
    QVERIFY(w->text->toPlainText().contains("AF18"));
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w->windowHandle(), Qt::Key_Escape);
    QVERIFY(!w->isVisible());
  }
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::MainWindowCodeTest)
#include "main_window_code_test.moc"

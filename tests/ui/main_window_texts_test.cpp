// The main window on Qt's offscreen platform: what its controls show at start-up, their
// texts in both languages, the tab order and the menu tree, what the editors keep and how the
// source editor shows its faults, and screenshots.

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
using test::MainWindow;
using test::PutCaret;
using test::SetText;
using test::Started;
using test::Text;

class MainWindowTextsTest : public QObject {
  Q_OBJECT

  // A fresh program for each test, shown as the message loop shows it.

 private slots:
  void startUpState();
  void tabOrder();
  void interfaceTextsInBothLanguages();
  void typingAfterAMenuClosedWithEscape();
  void menuTreeInOrder();
  void editorsKeepWhatTheyShow();
  void screenshots();
  void faultMarkFollowsItsText();
  void gutterAndColours();
  void textsCrossTheBoundaryUnchanged();
  void longFaultLineKeepsItsStartInView();
};

void MainWindowTextsTest::startUpState() {
  Started s(Language::English);
  TForm1& f = s.f;
  MainWindow& w = s.w;
  QCOMPARE(w.Source(), QStringList({";asm text", "", "hlt"}));
  QCOMPARE(w.Header(), QStringList({"Q41 assembler, v.1, 2018"}));
  QCOMPARE(w.Globals(), QStringList({";Global"}));
  QCOMPARE(w.Code(), QStringList());
  QCOMPARE(s.compileText.Lines(), QStringList({"compText"}));
  QVERIFY(!s.program.Form2().isVisible());
  QVERIFY(s.compileText.ShortConstBox().isChecked());
  QVERIFY(s.program.settings.useShortConst);
  QCOMPARE(w.LineStatus(), QString());
  QCOMPARE(w.FaultStatus(), QString());
  QCOMPARE(w.PpuList(), QString("0000"));
  QCOMPARE(w.CpuAddress(), QString("0000"));
  QCOMPARE(w.WordCount(), QString("0000"));
  QCOMPARE(w.BlockCount(), 1);
  QCOMPARE(w.TabCaption(0), QString("BLOCK 0"));
  QCOMPARE(w.LampColour(0), QColor(Qt::white));
  for (int k = 1; k < 6; ++k)
    QCOMPARE(w.LampColour(k), LampColorOf(LampColor::Hidden, w.LampGroup()));
  QCOMPARE(w.LabelModel().rowCount(), 19);
  QCOMPARE(w.LabelGrid().columnWidth(0), 114);
  QCOMPARE(w.LabelGrid().columnWidth(1), 23);
  QCOMPARE(w.LabelGrid().columnWidth(2), 54);
  QCOMPARE(f.centralWidget()->size(), QSize(752, 646));
  QCOMPARE(w.SourceEditor().geometry(), QRect(8, 88, 342, 385));
  for (int k = 0; k < 4; ++k) QCOMPARE(w.PpuBox(k).geometry(), QRect(8 + 56 * k, 20, 57, 17));
  QCOMPARE(w.SourceEditor().font().pixelSize(), 16);
  QVERIFY(w.SourceEditor().hasFocus() || QApplication::focusWidget() != nullptr);
  // Centred on the screen.
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  QCOMPARE(f.frameGeometry().left(), (screen.width() - f.frameGeometry().width()) / 2);
}

// The order Tab walks, the memory items included: they are made only when the texts go in.
void MainWindowTextsTest::tabOrder() {
  Started s(Language::English);
  TForm1& f = s.f;
  MainWindow& w = s.w;
  QStringList walked;
  QWidget* widget = &w.LabelGrid();
  do {
    if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(&f) &&
        widget->window() == &f) {
      walked << (widget->objectName().isEmpty() ? widget->metaObject()->className()
                                                : widget->objectName());
    }
    widget = widget->nextInFocusChain();
  } while (widget != &w.LabelGrid());
  QCOMPARE(walked,
           QStringList({"labels", "BlckTabs", "asmText", "codeText", "Edit2", "Edit3", "p1", "p2",
                        "p3", "p4", "fileHeader", "QRadioButton", "QRadioButton", "Glob"}));
  // The keys walk it from the editors too, and type no tab character there.
  const QList<std::tuple<QWidget*, Qt::Key, QWidget*>> steps = {
      {&w.SourceEditor(), Qt::Key_Tab, &w.CodeView()},
      {&w.SourceEditor(), Qt::Key_Backtab, &w.Tabs()},
      {&w.HeaderEditor(), Qt::Key_Tab, w.MemoryChoice().ItemWidgets()[0]},
      {&w.GlobalsEditor(), Qt::Key_Backtab, w.MemoryChoice().ItemWidgets()[0]},  // the chosen item
  };
  for (const auto& [from, key, to] : steps) {
    const QString text = static_cast<QPlainTextEdit*>(from)->toPlainText();
    from->setFocus();
    QTest::keyClick(from, key);
    QCOMPARE(QApplication::focusWidget(), to);
    QCOMPARE(static_cast<QPlainTextEdit*>(from)->toPlainText(), text);
  }
}

// Every interface text as the user reads it, written out here rather than taken from the
// program's own table: a wrong or swapped text in that table must fail.
void MainWindowTextsTest::interfaceTextsInBothLanguages() {
  using Read = std::function<QString(Application&)>;
  auto action = [](QAction* MainControls::*a) {
    return [a](Application& p) { return MainWindow(p.Form1()).ItemOf(a).text(); };
  };
  auto menu = [](QMenu* MainControls::*m) {
    return [m](Application& p) { return MainWindow(p.Form1()).Menu(m).title(); };
  };
  auto header = [](int column) {
    return [column](Application& p) {
      return MainWindow(p.Form1())
          .LabelModel()
          .headerData(column, Qt::Horizontal, Qt::DisplayRole)
          .toString();
    };
  };
  const QList<std::tuple<Read, const char*, const char*>> shown = {
      {[](Application& p) { return p.Form1().windowTitle(); }, " Ассемблер Q41", " Q41 Assembler"},
      {[](Application& p) { return p.Form2().windowTitle(); }, " Текст для компиляции",
       " Text for compilation"},
      {[](Application& p) { return p.HF()->windowTitle(); }, " Блоки программы", " Program blocks"},
      {menu(&MainControls::File1), "Файл", "File"},
      {action(&MainControls::new1), "Новая программа", "New program"},
      {action(&MainControls::OpenAsm1), "Открыть .ASM...", "Open .ASM..."},
      {action(&MainControls::SaveAsm1), "Сохранить .ASM...", "Save .ASM..."},
      {action(&MainControls::SaveCod1), "Сохранить .Q41...", "Save .Q41..."},
      {action(&MainControls::Exit1), "Выход", "Exit"},
      {menu(&MainControls::Edit1), "Правка", "Edit"},
      {action(&MainControls::Cut1), "Вырезать", "Cut"},
      {action(&MainControls::Copy1), "Копировать", "Copy"},
      {action(&MainControls::Paste1), "Вставить", "Paste"},
      {action(&MainControls::SelectAll1), "Выделить все", "Select all"},
      {action(&MainControls::UnDo1), "Отменить", "Undo"},
      {action(&MainControls::ClearAsm1), "Очистить текст", "Clear text"},
      {action(&MainControls::ClearCode1), "Очистить код", "Clear code"},
      {menu(&MainControls::View1), "Вид", "View"},
      {action(&MainControls::CompText1), "Текст для компиляции", "Text for compilation"},
      {action(&MainControls::AllBlocks1), "Все блоки", "All blocks"},
      {menu(&MainControls::Run1), "Компилировать", "Compile"},
      {action(&MainControls::CompAll1), "Компилировать все блоки", "Compile all blocks"},
      {action(&MainControls::CompAndPreproc1), "Компил.+препроцес.(1 блок)",
       "Compile+preproc.(1 block)"},
      {action(&MainControls::Compile1), "Только компиляция", "Compile only"},
      {action(&MainControls::Preprocess1), "Только препроцессинг", "Preprocess only"},
      {header(0), "Метка", "Label"},
      {header(1), "", ""},
      {header(2), "Адр.", "Addr."},
      {[](Application& p) { return MainWindow(p.Form1()).MemoryChoice().title(); },
       " Память: ", " Memory: "},
      {[](Application& p) { return MainWindow(p.Form1()).MemoryChoice().Item(0); }, " общая",
       " common"},
      {[](Application& p) { return MainWindow(p.Form1()).MemoryChoice().Item(1); },
       " распределенная", " distributed"},
      {[](Application& p) { return MainWindow(p.Form1()).PpuGroup().title(); }, " Список PPU ",
       " PPU list "},
      {[](Application& p) { return MainWindow(p.Form1()).WordCountCaption().text(); },
       "Nслов =", "Nwords ="},
      {[](Application& p) { return MainWindow(p.Form1()).LampGroup().title(); },
       " Компиляция блоков: ", " Blocks' compilation: "},
      {[](Application& p) { return MainWindow(p.Form1()).CompileBlockButton().toolTip(); },
       "Компилировать этот блок", "Compile this block"},
      {[](Application& p) { return MainWindow(p.Form1()).CompileAllButton().toolTip(); },
       "Компилировать все блоки", "Compile all blocks"},
      {[](Application& p) { return MainWindow(p.Form1()).AddBlockButton().toolTip(); },
       "Добавить новый блок", "Add new block"},
      {[](Application& p) { return MainWindow(p.Form1()).DeleteBlockButton().toolTip(); },
       "Удалить последний блок", "Delete last block"},
      {[](Application& p) { return p.messages.MsgExit; }, "Действительно хотите выйти?",
       "Really want to exit?"},
      {[](Application& p) { return p.messages.MsgClearAsm; },
       "Действительно хотите очистить\nASM-текст?", "Really want to clear\nASM-text?"},
      {[](Application& p) { return p.messages.MsgNewBlockRestricted; },
       "Новый блок запрещен\nпока предыдущий ПУСТ!",
       "New block is restricted\nwhile previous is EMPTY!"},
      {[](Application& p) { return p.messages.MsgDeleteBlock; },
       "Удаляемый блок содержит текст.\nПодтвердите операцию!",
       "Deleting block contains text.\nConfirm operation!"},
      {[](Application& p) { return p.messages.MsgClearProgram; },
       "Вы действительно хотите\nочистить старую программу?",
       "Do you really want to\nclear old program?"},
      {[](Application& p) { return p.messages.MsgEmptyBlockCode; },
       "Код блока * пуст.\nДействительно хотите\nсохранить .COD файл?",
       "Code for block * is empty.\nDo you really want to save\n.COD file?"},
      // The same in both languages.
      {[](Application& p) { return test::CompileTextWindow(p.Form2()).ShortConstBox().text(); },
       "Use short const", "Use short const"},
      {[](Application& p) { return test::CompileTextWindow(p.Form2()).SettingsGroup().title(); },
       "  Compiler settings  ", "  Compiler settings  "},
  };
  for (Language language : {Language::Russian, Language::English}) {
    Started s(language);
    QCOMPARE(s.w.MemoryChoice().ItemCount(), 2);
    QCOMPARE(s.w.MemoryChoice().ItemIndex(), 0);
    for (const auto& [read, russian, english] : shown) {
      QCOMPARE(read(s.program),
               QString::fromUtf8(language == Language::English ? english : russian));
    }
  }
}

// The text typed after a menu was closed with Escape reaches the editor that had the focus.
void MainWindowTextsTest::typingAfterAMenuClosedWithEscape() {
  Started s(Language::English);
  AsmEditor& editor = s.w.SourceEditor();
  SetText(editor, {});
  editor.setFocus();
  QMenuBar& bar = *s.f.menuBar();
  QTest::mouseClick(&bar, Qt::LeftButton, {},
                    bar.actionGeometry(s.w.Menu(&MainControls::File1).menuAction()).center());
  QTRY_VERIFY(s.w.Menu(&MainControls::File1).isVisible());
  QTest::keyClick(&s.w.Menu(&MainControls::File1), Qt::Key_Escape);
  QTRY_VERIFY(!s.w.Menu(&MainControls::File1).isVisible());
  QTest::keyClicks(QApplication::focusWidget(), "nop");
  QCOMPARE(editor.toPlainText(), QString("nop"));
  QCOMPARE(QApplication::focusWidget(), &editor);
}

void MainWindowTextsTest::menuTreeInOrder() {
  Started s(Language::English);
  QStringList seen;
  for (QAction* menu : s.f.menuBar()->actions()) {
    seen << menu->menu()->objectName();
    for (QAction* a : menu->menu()->actions()) {
      seen << (a->isSeparator() ? "-" : a->objectName() + " " + a->shortcut().toString());
    }
  }
  QCOMPARE(seen, QStringList({"File1",
                              "new1 ",
                              "-",
                              "OpenAsm1 Ctrl+O",
                              "-",
                              "SaveAsm1 Ctrl+S",
                              "SaveCod1 Ctrl+Alt+S",
                              "-",
                              "Exit1 ",
                              "-",
                              "Print1 Ctrl+P",
                              "ExportPdf1 ",
                              "Edit1",
                              "Cut1 Ctrl+X",
                              "Copy1 Ctrl+C",
                              "Paste1 Ctrl+V",
                              "-",
                              "SelectAll1 Ctrl+A",
                              "-",
                              "UnDo1 Ctrl+Z",
                              "-",
                              "ClearAsm1 ",
                              "ClearCode1 ",
                              "Find1 Ctrl+F",
                              "-",
                              "Redo1 Ctrl+Y",
                              "View1",
                              "CompText1 ",
                              "AllBlocks1 F3",
                              "Listing1 Ctrl+L",
                              "-",
                              "NextBlock1 Ctrl+PgDown",
                              "PrevBlock1 Ctrl+PgUp",
                              "Run1",
                              "CompAll1 F9",
                              "-",
                              "CompAndPreproc1 Ctrl+F9",
                              "Compile1 ",
                              "Preprocess1 ",
                              "Help1",
                              "Reference1 F1"}));
}

// A character the code page cannot hold shows as "?" the moment it enters, however it
// enters: what the user sees is what the program keeps.
// A character the code page cannot hold shows as "?" the moment it enters, however it
// enters: what the user sees is what the program keeps. Each text taken in that held such
// characters is told of once, with the characters it lost.
void MainWindowTextsTest::editorsKeepWhatTheyShow() {
  Started s(Language::English);
  TForm1& f = s.f;
  MainWindow& w = s.w;
  QPlainTextEdit& editor = w.SourceEditor();
  SetText(editor, {});
  editor.setFocus();
  QStringList told;
  connect(&KeepNotices::Get(), &KeepNotices::NotKept, &f,
          [&told](QWidget*, const QStringList& characters) { told << characters.join(' '); });
  auto type = [](QWidget* w, const QString& text) {
    QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, text, Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, text, Qt::NoModifier);
  };
  type(&editor, QString::fromUtf8("\u2192"));
  QTest::keyClicks(&editor, "a");
  // Shift+Return: a new line, not a break inside the line that no file can hold.
  QTest::keyClick(&editor, Qt::Key_Return, Qt::ShiftModifier);
  type(&editor, QString::fromUtf8("\u043c"));
  QCOMPARE(editor.toPlainText(), QString::fromUtf8("?a\n\u043c"));
  QCOMPARE(told, QStringList{QString::fromUtf8("\u2192")});

  QApplication::clipboard()->setText(QString::fromUtf8("\nx\u4e2d\U0001F600y\u4e2d\u00e9"));
  w.Choose(&MainControls::Paste1);
  QCOMPARE(editor.toPlainText(), QString::fromUtf8("?a\n\u043c\nx??y??"));
  QCOMPARE(told.last(), QString::fromUtf8("\u4e2d \U0001F600 \u00e9"));
  QVERIFY(QToolTip::isVisible());
  QVERIFY(QToolTip::text().startsWith("Windows-1251 has no place for these characters"));
  QVERIFY(QToolTip::text().contains(QString::fromUtf8("\U0001F600 U+1F600")));

  QMimeData* dropped = new QMimeData;
  dropped->setText(QString::fromUtf8("\u2192"));
  QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, dropped, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor.viewport(), &enter);
  QDropEvent drop(QPointF(2, 2), Qt::CopyAction, dropped, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor.viewport(), &drop);
  QInputMethodEvent composed;
  composed.setCommitString(QString::fromUtf8("\u00e9"));  // not in the code page
  QApplication::sendEvent(&editor, &composed);
  // Dropped at the start, composed at the caret after it.
  QCOMPARE(editor.toPlainText(), QString::fromUtf8("???a\n\u043c\nx??y??"));
  QCOMPARE(Text(editor), editor.toPlainText().split('\n'));
  delete dropped;
  QCOMPARE(told.mid(2), (QStringList{QString::fromUtf8("\u2192"), QString::fromUtf8("\u00e9")}));

  // The one-line fields and the other windows' editors alike.
  w.CpuAddressField().clear();
  type(&w.CpuAddressField(), QString::fromUtf8("1\u2192"));
  QCOMPARE(w.CpuAddress(), QString("1?"));
  QPlainTextEdit& column = s.blocks.SourceEditor(0);
  type(&column, QString::fromUtf8("\U0001F600"));
  QVERIFY(column.toPlainText().startsWith('?'));
  QCOMPARE(told.mid(4),
           (QStringList{QString::fromUtf8("\u2192"), QString::fromUtf8("\U0001F600")}));
  // What the code page holds is told of never.
  QApplication::clipboard()->setText(QString::fromUtf8("\u043c\u2116 \u00a0\u20ac"));
  editor.setFocus();
  w.Choose(&MainControls::Paste1);
  QCOMPARE(told.size(), 6);
}

// What the screen shows, read off the pictures saved: the lamp's colour, the fault in maroon.
void MainWindowTextsTest::screenshots() {
  for (Language language : {Language::Russian, Language::English}) {
    Started s(language);
    const QString suffix = language == Language::Russian ? "ru" : "en";
    const QImage startup = s.f.grab().toImage();
    QVERIFY(startup.save(test::ScreenshotPath("main_startup_" + suffix)));
    QCOMPARE(test::ColourAt(startup, s.f, s.w.LampOf(0)), QColor(Qt::white));
    s.w.SetSource({"; demo", "start: mov #5, r0", "loop:  sub #1, r0", "  bne loop",
                   "  jmp #nowhere", "hlt"});
    s.w.Choose(&MainControls::CompAndPreproc1);
    const QImage failed = s.f.grab().toImage();
    QVERIFY(failed.save(test::ScreenshotPath("main_failed_" + suffix)));
    QCOMPARE(test::ColourAt(failed, s.f, s.w.LampOf(0)), QColor(255, 0, 0));
    QVERIFY(test::Shows(failed, s.f, s.w.FaultStatusLabel(), QColor(0x80, 0, 0)));
    QVERIFY(!test::Shows(startup, s.f, s.w.FaultStatusLabel(), QColor(0x80, 0, 0)));
  }
}

void MainWindowTextsTest::faultMarkFollowsItsText() {
  Started s;
  s.w.SetSource({"nop", "nop", "jmp nowhere", "hlt"});
  s.w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(s.w.SourceEditor().MarkedLine(), 3);
  auto markedText = [&s] {
    return s.w.SourceEditor()
        .document()
        ->findBlockByNumber(s.w.SourceEditor().MarkedLine() - 1)
        .text();
  };
  // A line deleted above the fault, then two added: the mark stays on the faulty text.
  s.w.SourceEditor().setFocus();
  PutCaret(s.w.SourceEditor(), 0);
  s.w.PressInSource(Qt::Key_Down, Qt::ShiftModifier);
  s.w.PressInSource(Qt::Key_Delete);
  QCOMPARE(s.w.SourceEditor().MarkedLine(), 2);
  QCOMPARE(markedText(), "jmp nowhere");
  s.w.PressInSource(Qt::Key_Return);
  s.w.PressInSource(Qt::Key_Return);
  QCOMPARE(s.w.SourceEditor().MarkedLine(), 4);
  QCOMPARE(markedText(), "jmp nowhere");
  // It is the block's: another block shown and this one back, it is where the text went.
  s.w.AddBlockButton().click();
  QCOMPARE(s.w.SourceEditor().MarkedLine(), 0);
  s.w.ChooseTab(0);
  QCOMPARE(s.w.SourceEditor().MarkedLine(), 4);
}

void MainWindowTextsTest::gutterAndColours() {
  for (Language language : {Language::Russian, Language::English}) {
    Started s(language);
    const QString suffix = language == Language::Russian ? "ru" : "en";
    // The editor keeps its place and size; its text moves over for the numbers.
    QCOMPARE(s.w.SourceEditor().geometry(), QRect(8, 88, 342, 385));
    QVERIFY(s.w.SourceEditor().GutterWidth() > 10);
    QVERIFY(s.w.SourceEditor().viewport()->geometry().left() >= s.w.SourceEditor().GutterWidth());
    s.w.SetSource({"; demo", "start: mov #5, r0 ; five", "loop:  sub #1, r0", "  bne loop",
                   "C = 41H", "  out #'A', p.3", "  jmp nowhere", "hlt"});
    // The fault's line is marked until the next compile.
    s.w.Choose(&MainControls::CompAndPreproc1);
    QCOMPARE(s.w.SourceEditor().MarkedLine(), 7);
    QCoreApplication::processEvents();
    QVERIFY(s.f.grab().save(test::ScreenshotPath("coloured_fault_" + suffix)));
    // Colours: the mnemonic of line 2 is bold blue, the comment grey and italic.
    QCoreApplication::processEvents();
    bool mnemonic = false;
    bool comment = false;
    for (const QTextEdit::ExtraSelection& sel : s.w.SourceEditor().extraSelections()) {
      const QString text = sel.cursor.selectedText();
      if (sel.cursor.blockNumber() == 1 && text == "mov") {
        mnemonic = sel.format.fontWeight() == QFont::Bold;
      }
      if (sel.cursor.blockNumber() == 1 && text == "; five") comment = sel.format.fontItalic();
    }
    QVERIFY(mnemonic);
    QVERIFY(comment);
    // A comment after a string is a comment too.
    s.w.SetSource({"m2: ds Hello, Q41! ; привет"});
    QCoreApplication::processEvents();
    QVERIFY(s.w.SourceEditor().grab().save(test::ScreenshotPath("string_comment_" + suffix)));
    bool stringComment = false;
    for (const QTextEdit::ExtraSelection& sel : s.w.SourceEditor().extraSelections()) {
      if (sel.cursor.selectedText() == "; привет") stringComment = sel.format.fontItalic();
    }
    QVERIFY(stringComment);
    s.w.SetSource({"start: mov #5, r0 ; five", "  rw 2", "  jmp start", "hlt"});
    s.w.Choose(&MainControls::CompAndPreproc1);
    QCOMPARE(s.w.SourceEditor().MarkedLine(), 0);
    ClickRow(s.w.CodeView(), 2);
    QCoreApplication::processEvents();
    QVERIFY(s.f.grab().save(test::ScreenshotPath("linked_" + suffix)));
  }
  // Only the lines on screen are coloured: a long program costs what a short one does.
  Started s;
  QStringList many;
  for (int k = 0; k < 20000; ++k) many << "  mov r1, r2 ; copy";
  s.w.SetSource(many);
  QCoreApplication::processEvents();
  QVERIFY(s.w.SourceEditor().extraSelections().size() < 400);
  s.w.SourceEditor().verticalScrollBar()->setValue(15000);
  QApplication::processEvents();
  int lowest = 1 << 30;
  for (const QTextEdit::ExtraSelection& sel : s.w.SourceEditor().extraSelections()) {
    if (!sel.format.property(QTextFormat::FullWidthSelection).toBool()) {
      lowest = std::min(lowest, sel.cursor.blockNumber());
    }
  }
  QVERIFY(lowest >= 14000);
}

void MainWindowTextsTest::textsCrossTheBoundaryUnchanged() {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  QCOMPARE(FromQt(ToQt(all)), all);
  // Through an editor: every byte but the line breaks, which end lines.
  std::string line;
  for (int b = 0; b < 256; ++b) {
    if (b != '\n' && b != '\r') line += static_cast<char>(b);
  }
  QPlainTextEdit editor;
  EditorLines lines(editor);
  lines.Set({line, "", "end"});
  QCOMPARE(LinesOf(editor), (Lines{line, "", "end"}));
  lines.Set({""});
  QCOMPARE(LinesOf(editor), Lines{""});
  lines.Set({});
  QCOMPARE(LinesOf(editor), Lines{});
  // What the code page cannot hold becomes "?", and nothing breaks.
  editor.setPlainText(QString::fromUtf8("mov r0,r1 ; 中文 😀 ok"));
  QCOMPARE(LinesOf(editor), Lines{"mov r0,r1 ; ?? ? ok"});
}

// After a fault on a long line the line's start is in view; a status line cut off by its
// label shows whole in the label's tooltip, a short one has none.
void MainWindowTextsTest::longFaultLineKeepsItsStartInView() {
  Started s(Language::English);
  MainWindow& w = s.w;
  const QString faulty = "bad: mvo r0,r1 ; " + QString("far to the right ").repeated(20);
  w.SetSource({"nop", faulty.trimmed(), "hlt"});
  w.SourceEditor().horizontalScrollBar()->setValue(200);
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(w.SourceEditor().textCursor().selectedText(), faulty.trimmed());
  QCOMPARE(w.SourceEditor().horizontalScrollBar()->value(), 0);
  QTest::qWait(50);
  QCOMPARE(w.SourceEditor().horizontalScrollBar()->value(), 0);

  auto tip = [](QLabel& label) {
    QHelpEvent ask(QEvent::ToolTip, QPoint(4, 4), label.mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(&label, &ask);
    return QTextDocumentFragment::fromHtml(label.toolTip()).toPlainText();
  };
  QCOMPARE(tip(w.LineStatusLabel()), w.LineStatus());
  QVERIFY(w.LineStatus().endsWith(faulty.trimmed()));
  QCOMPARE(tip(w.FaultStatusLabel()), QString());
  w.SetSource({"hlt"});
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(tip(w.LineStatusLabel()), QString());
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::MainWindowTextsTest)
#include "main_window_texts_test.moc"

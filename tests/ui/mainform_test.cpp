// The main window and the compile-text window on Qt's offscreen platform: start-up, the
// interface texts, the commands through their menu items and shortcuts, and screenshots.

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

using test::MainWindow;
using test::ScriptedDialogs;
using test::SetText;
using test::Started;
using test::Text;

class MainWindowTest : public QObject {
  Q_OBJECT

  // A fresh program for each test, shown as the message loop shows it.

 private slots:
  void startUpState();
  void tabOrder();
  void interfaceTextsInBothLanguages();
  void menuTreeInOrder();
  void typingAfterAMenuClosedWithEscape();
  void compileBlockByMenuShortcutAndButton();
  void compileBlockFaults();
  void compileOnlyAndPreprocessOnly();
  void shortConstSetting();
  void preprocessOnlyBringsItsWindowForward();
  void editorsKeepWhatTheyShow();
  void editCommandsFollowTheFocus();
  void menuKeysNeverReachTheEditors();
  void questionsAndTheirCancelPaths();
  void compileTextWindowPlacement();
  void screenshots();
  void codeAndSourceLinks();
  void listingWindow();
  void listingPastLine99999();
  void faultMarkFollowsItsText();
  void gutterAndColours();
  void instructionReference();
  void findAndReplace();
  void textsCrossTheBoundaryUnchanged();
  void redoAndAnUndoableClearText();
  void pageKeysSwitchBlocks();
  void longFaultLineKeepsItsStartInView();
};

void MainWindowTest::startUpState() {
  Started s(Language::English);
  TForm1& f = s.f;
  MainWindow& w = s.w;
  QCOMPARE(w.Source(), QStringList({";asm text", "", "hlt"}));
  QCOMPARE(w.Header(), QStringList({"Q41 assembler, v.1, 2018"}));
  QCOMPARE(w.Globals(), QStringList({";Global"}));
  QCOMPARE(w.Code(), QStringList());
  QCOMPARE(Text(*s.program.Form2().compText), QStringList({"compText"}));
  QVERIFY(!s.program.Form2().isVisible());
  QVERIFY(s.program.Form2().ShConst->isChecked());
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
void MainWindowTest::tabOrder() {
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
void MainWindowTest::interfaceTextsInBothLanguages() {
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
      {[](Application& p) { return p.Form2().ShConst->text(); }, "Use short const",
       "Use short const"},
      {[](Application& p) { return p.Form2().GroupBox1->title(); }, "  Compiler settings  ",
       "  Compiler settings  "},
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
void MainWindowTest::typingAfterAMenuClosedWithEscape() {
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

void MainWindowTest::menuTreeInOrder() {
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

void MainWindowTest::compileBlockByMenuShortcutAndButton() {
  Started s(Language::English);
  TForm1& f = s.f;
  MainWindow& w = s.w;
  w.SetSource({"n = 5", "start: mov #n,r0", "loop: sub #1,r0", " bne loop", "hlt"});
  s.program.Form2().show();
  f.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&f));

  w.SourceEditor().setFocus();
  w.PressInSource(Qt::Key_F9, Qt::ControlModifier);
  QCOMPARE(w.Code(), QStringList({"01D0", "0005", "2310", "4DFC", "AF18"}));
  QCOMPARE(w.LineStatus(), QString("Successful compilation"));
  QCOMPARE(w.FaultStatus(), QString());
  QCOMPARE(w.LampColour(0), QColor(0, 255, 0));
  QVERIFY(!s.program.Form2().isVisible());
  QCOMPARE(w.WordCount(),
           QString("0000"));  // one block's compile leaves the count
  QCOMPARE(w.Cell(1, 0), QString("N"));
  QCOMPARE(w.Cell(1, 1), QString("="));
  QCOMPARE(w.Cell(3, 2), QString("0004"));
  QVERIFY(s.dialogs.shown.isEmpty());

  w.Choose(&MainControls::ClearCode1);
  QCOMPARE(w.Code(), QStringList());
  QCOMPARE(w.Cell(1, 0), QString());
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(w.Code().size(), 5);
  w.Choose(&MainControls::ClearCode1);
  QTest::mouseClick(&w.CompileBlockButton(), Qt::LeftButton);
  QCOMPARE(w.Code().size(), 5);

  // A block without HLT: the warning, and still a success.
  w.SetSource({"nop"});
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(s.dialogs.shown, QStringList({"No HLT command!"}));
  QCOMPARE(w.LampColour(0), QColor(0, 255, 0));
}

void MainWindowTest::compileBlockFaults() {
  Started s(Language::English);
  MainWindow& w = s.w;
  // The preprocessor: its numbered line, the line selected, a red lamp, nothing assembled.
  w.SetSource({"nop", "buf: rw 0", "hlt"});
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(w.LineStatus(), QString("2: RW 0"));
  QCOMPARE(w.FaultStatus(), QString("Invalid value: 0"));
  QCOMPARE(w.SourceEditor().textCursor().selectedText(), QString("buf: rw 0"));
  QCOMPARE(w.LampColour(0), QColor(255, 0, 0));
  QCOMPARE(w.Code(), QStringList());
  QCOMPARE(Text(*s.program.Form2().compText), QStringList({"NOP", "BUF:", "0"}));

  // The assembler: ":  " before the line as the editor holds it, and the words so far.
  w.SetSource({"x: nop", "  mov r0,#5 ; oops", "hlt"});
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(w.LineStatus(), QString("2:    mov r0,#5 ; oops"));
  QCOMPARE(w.FaultStatus(), QString("Const is forbidden here: #5"));
  QCOMPARE(w.SourceEditor().textCursor().selectedText(), QString("  mov r0,#5 ; oops"));
  QCOMPARE(w.Code(), QStringList({"0000", "0100"}));
  QCOMPARE(w.LampColour(0), QColor(255, 0, 0));

  // Russian diagnostics and Cyrillic in the source line.
  Started r(Language::Russian);
  r.w.SetSource({"метка: мов r0,r1"});
  r.w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(r.w.LineStatus(), QString("1:  метка: мов r0,r1"));
  QCOMPARE(r.w.FaultStatus(), QString("Неизвестное имя операции: мов"));
}

void MainWindowTest::compileOnlyAndPreprocessOnly() {
  Started s(Language::English);
  MainWindow& w = s.w;
  TForm2& f2 = s.program.Form2();
  // Compile only right after start-up assembles the initial line "compText".
  w.Choose(&MainControls::Compile1);
  QCOMPARE(w.FaultStatus(), QString("Unknown operation name: compText"));
  QCOMPARE(w.LineStatus(), QString("0:  "));

  w.SetSource({"a: nop", "b:", "c: n = 7", "hlt"});
  w.Choose(&MainControls::Preprocess1);
  QVERIFY(f2.isVisible());
  QCOMPARE(Text(*f2.compText), QStringList({"A:", "NOP", "B:", "C:", "N=", "7", "HLT"}));
  QCOMPARE(w.Code(), QStringList());
  QCOMPARE(w.LineStatus(), QString());

  // Edited by hand, then assembled as it stands; constants leave the window's text.
  SetText(*f2.compText, {"Z:", "N=", "7", "MOV #N,R1", "HLT"});
  w.Choose(&MainControls::Compile1);
  QCOMPARE(w.Code(), QStringList({"01D1", "0007", "AF18"}));
  QCOMPARE(Text(*f2.compText), QStringList({"Z:", "MOV #N,R1", "HLT"}));
  QCOMPARE(w.LineStatus(), QString("Successful compilation"));
  QVERIFY(f2.isVisible());  // Compile only neither shows nor hides the window
  QCOMPARE(w.LampColour(0), QColor(Qt::white));

  // The grid was not emptied: rows past the new labels keep the earlier ones.
  w.Choose(&MainControls::CompAndPreproc1);  // A, B, C, N
  SetText(*f2.compText, {"Q:", "HLT"});
  w.Choose(&MainControls::Compile1);
  QCOMPARE(w.Cell(1, 0), QString("Q"));
  QCOMPARE(w.Cell(2, 0), QString("B"));
  QCOMPARE(w.Cell(4, 0), QString("N"));

  // Preprocess only after a compile: the new text replaces the hand-edited one.
  w.Choose(&MainControls::Preprocess1);
  QCOMPARE(Text(*f2.compText), QStringList({"A:", "NOP", "B:", "C:", "N=", "7", "HLT"}));
  QCOMPARE(w.Cell(1, 0), QString());
}

void MainWindowTest::shortConstSetting() {
  Started s(Language::English);
  MainWindow& w = s.w;
  w.SetSource({"mov #5,r0", "hlt"});
  s.program.Form2().ShConst->click();
  QVERIFY(!s.program.settings.useShortConst);
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(w.Code(), QStringList({"01D0", "0005", "AF18"}));
  s.program.Form2().ShConst->click();
  w.Choose(&MainControls::CompAndPreproc1);
  QCOMPARE(w.Code(), QStringList({"2150", "AF18"}));
}

// Open but behind the main window, the compile-text window comes to the front and takes the
// activation when Preprocess only fills it.
void MainWindowTest::preprocessOnlyBringsItsWindowForward() {
  Started s(Language::English);
  TForm2& f2 = s.program.Form2();
  s.w.Choose(&MainControls::CompText1);
  QVERIFY(QTest::qWaitForWindowActive(&f2));
  s.f.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&s.f));
  QVERIFY(f2.isVisible());
  s.w.Choose(&MainControls::Preprocess1);
  QVERIFY(QTest::qWaitForWindowActive(&f2, 2000));
}

// A character the code page cannot hold shows as "?" the moment it enters, however it
// enters: what the user sees is what the program keeps.
// A character the code page cannot hold shows as "?" the moment it enters, however it
// enters: what the user sees is what the program keeps. Each text taken in that held such
// characters is told of once, with the characters it lost.
void MainWindowTest::editorsKeepWhatTheyShow() {
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
  QPlainTextEdit& column = *s.program.HF()->panels[0].source;
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

void MainWindowTest::editCommandsFollowTheFocus() {
  Started s(Language::English);
  MainWindow& w = s.w;
  QClipboard* clipboard = QGuiApplication::clipboard();
  w.SetSource({"abc", "def"});
  SetText(w.CodeView(), {"AF18"});

  clipboard->setText("unchanged");
  w.SourceEditor().setFocus();
  w.Choose(&MainControls::Cut1);  // no selection: nothing happens
  QCOMPARE(clipboard->text(), QString("unchanged"));
  QCOMPARE(w.Source(), QStringList({"abc", "def"}));

  w.Choose(&MainControls::SelectAll1);
  w.Choose(&MainControls::Copy1);
  QCOMPARE(clipboard->text(), QString("abc\ndef\n"));
  clipboard->setText("xyz");
  w.Choose(&MainControls::Paste1);
  QCOMPARE(w.Source(), QStringList({"xyz"}));
  w.Choose(&MainControls::UnDo1);
  QCOMPARE(w.Source(), QStringList({"abc", "def"}));

  // The read-only code: copy and select all work, cut and paste change nothing.
  w.CodeView().setFocus();
  w.Choose(&MainControls::SelectAll1);
  w.Choose(&MainControls::Copy1);
  QCOMPARE(clipboard->text(), QString("AF18\n"));
  clipboard->setText("1234");
  w.Choose(&MainControls::Paste1);
  w.Choose(&MainControls::Cut1);
  QCOMPARE(w.Code(), QStringList({"AF18"}));

  // Focus elsewhere: the commands do nothing.
  clipboard->setText("kept");
  w.GlobalsEditor().setFocus();
  w.GlobalsEditor().selectAll();
  w.Choose(&MainControls::Copy1);
  w.Choose(&MainControls::Paste1);
  QCOMPARE(clipboard->text(), QString("kept"));
  QCOMPARE(w.Globals(), QStringList({";Global"}));
}

void MainWindowTest::menuKeysNeverReachTheEditors() {
  Started s(Language::English);
  MainWindow& w = s.w;
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText("from the clipboard");
  w.GlobalsEditor().setFocus();
  w.GlobalsEditor().selectAll();
  QTest::keyClick(&w.GlobalsEditor(), Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(clipboard->text(), QString("from the clipboard"));
  QTest::keyClick(&w.GlobalsEditor(), Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(w.Globals(), QStringList({";Global"}));
  w.CpuAddressField().setFocus();
  w.CpuAddressField().selectAll();
  QTest::keyClick(&w.CpuAddressField(), Qt::Key_X, Qt::ControlModifier);
  QCOMPARE(w.CpuAddress(), QString("0000"));

  // In the source editor the same keys are the menu commands, and they work there.
  w.SetSource({"hlt"});
  w.SourceEditor().setFocus();
  w.PressInSource(Qt::Key_A, Qt::ControlModifier);
  w.PressInSource(Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(clipboard->text(), QString("hlt\n"));
  w.PressInSource(Qt::Key_X, Qt::ControlModifier);
  QCOMPARE(w.Source(), QStringList());
  w.PressInSource(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(w.Source(), QStringList({"hlt"}));

  // Ctrl+F9 from the compile-text window compiles too.
  s.program.Form2().show();
  s.program.Form2().activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&s.program.Form2()));
  QTest::keyClick(s.program.Form2().compText, Qt::Key_F9, Qt::ControlModifier);
  QCOMPARE(w.Code(), QStringList({"AF18"}));
}

void MainWindowTest::questionsAndTheirCancelPaths() {
  Started s(Language::English);
  TForm1& f = s.f;
  MainWindow& w = s.w;
  s.dialogs.answers = {false};
  w.Choose(&MainControls::ClearAsm1);
  QCOMPARE(w.Source(), QStringList({";asm text", "", "hlt"}));
  s.dialogs.answers = {true};
  w.Choose(&MainControls::ClearAsm1);
  QCOMPARE(w.Source(), QStringList());
  QCOMPARE(s.dialogs.shown,
           QStringList({"Really want to clear\nASM-text?", "Really want to clear\nASM-text?"}));

  // Saved, so that nothing unsaved is asked about: Exit asks its own question.
  const QTemporaryDir dir;
  s.dialogs.files = {dir.filePath("cleared.asm")};
  w.Choose(&MainControls::SaveAsm1);
  s.dialogs.answers = {false};
  w.Choose(&MainControls::Exit1);
  QVERIFY(f.isVisible());
  s.dialogs.answers = {true};
  w.Choose(&MainControls::Exit1);
  QVERIFY(!f.isVisible());
  QCOMPARE(s.dialogs.shown.last(), QString("Really want to exit?"));
}

void MainWindowTest::compileTextWindowPlacement() {
  // The rule itself.
  QCOMPARE(TForm2::Placement(QRect(300, 100, 760, 700), QSize(211, 478), 1366),
           QPoint((1366 - 760) / 2 - 211, 100 + (700 - 478) / 2));
  QCOMPARE(TForm2::Placement(QRect(0, 0, 760, 700), QSize(211, 478), 1024), QPoint(0, 111));
  // And the window, each time it is shown: it follows the main window's height only.
  Started s(Language::English);
  TForm2& f2 = s.program.Form2();
  s.w.Choose(&MainControls::CompText1);
  QVERIFY(f2.isVisible());
  const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
  QCOMPARE(f2.frameGeometry().topLeft(),
           TForm2::Placement(s.f.frameGeometry(), f2.frameGeometry().size(), screenWidth));
  f2.close();
  QVERIFY(!f2.isVisible());
  s.f.move(s.f.pos() + QPoint(40, 30));
  s.w.Choose(&MainControls::CompText1);
  QCOMPARE(f2.frameGeometry().topLeft(),
           TForm2::Placement(s.f.frameGeometry(), f2.frameGeometry().size(), screenWidth));
}

// What the screen shows, read off the pictures saved: the lamp's colour, the fault in maroon.
void MainWindowTest::screenshots() {
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

namespace {

// The rows of an editor that carry a highlight of a whole line.
QList<int> HighlightedRows(const QPlainTextEdit& editor) {
  QCoreApplication::processEvents();  // the source editor refreshes from the event loop
  QList<int> rows;
  for (const QTextEdit::ExtraSelection& s : editor.extraSelections()) {
    if (s.format.property(QTextFormat::FullWidthSelection).toBool() &&
        s.format.background().color() == QColor(0xFF, 0xF0, 0xA0)) {
      rows << s.cursor.blockNumber();
    }
  }
  return rows;
}

void ClickRow(QPlainTextEdit& editor, int row) {
  const QRect r = editor.cursorRect(QTextCursor(editor.document()->findBlockByNumber(row)));
  QTest::mouseClick(editor.viewport(), Qt::LeftButton, {}, r.center());
}

void PutCaret(QPlainTextEdit& editor, int row) {
  editor.setTextCursor(QTextCursor(editor.document()->findBlockByNumber(row)));
}

}  // namespace

void MainWindowTest::codeAndSourceLinks() {
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

void MainWindowTest::listingWindow() {
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

void MainWindowTest::listingPastLine99999() {
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

void MainWindowTest::faultMarkFollowsItsText() {
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

void MainWindowTest::gutterAndColours() {
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

void MainWindowTest::instructionReference() {
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

void MainWindowTest::findAndReplace() {
  Started s(Language::English);
  s.w.SetSource({"mov r1, r2", "MOV R3, R1", "hlt"});
  s.w.SourceEditor().setFocus();
  s.w.PressInSource(Qt::Key_F, Qt::ControlModifier);
  FindDialog* d = s.f.Tools().Find();
  QVERIFY(d != nullptr && d->isVisible());
  QCOMPARE(d->Target(), &s.w.SourceEditor());
  auto selection = [&s] {
    const QTextCursor c = s.w.SourceEditor().textCursor();
    return QString::number(c.blockNumber()) + ":" + c.selectedText();
  };
  // Upper and lower case alike, unless asked; the search wraps round at the end.
  d->findText->setText("mov");
  QVERIFY(d->FindNext());
  QCOMPARE(selection(), "0:mov");
  QVERIFY(d->FindNext());
  QCOMPARE(selection(), "1:MOV");
  d->matchCase->setChecked(true);
  QVERIFY(d->FindNext());
  QCOMPARE(selection(), "0:mov");
  // Replace: the match selected, then on to the next.
  d->replaceText->setText("add");
  d->ReplaceOne();
  QCOMPARE(s.w.Source(), QStringList({"add r1, r2", "MOV R3, R1", "hlt"}));
  d->matchCase->setChecked(false);
  d->findText->setText("r1");
  d->replaceText->setText("r0");
  QCOMPARE(d->ReplaceAll(), 2);
  QCOMPARE(d->status->text(), "Replaced: 2");
  QCOMPARE(s.w.Source(), QStringList({"add r0, r2", "MOV R3, r0", "hlt"}));
  // One undo takes Replace all back whole.
  s.w.SourceEditor().undo();
  QCOMPARE(s.w.Source(), QStringList({"add r1, r2", "MOV R3, R1", "hlt"}));
  s.w.SourceEditor().redo();
  // The edit keys, which the menu takes everywhere, edit the dialog's fields. The keys go to
  // the dialog's window, as the window system sends them, not straight to a field.
  d->findText->setText("abc");
  d->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(d));
  d->findText->setFocus();
  QTest::keyClick(d->windowHandle(), Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(d->findText->selectedText(), "abc");
  QTest::keyClick(d->windowHandle(), Qt::Key_C, Qt::ControlModifier);
  d->replaceText->setFocus();
  QTest::keyClick(d->windowHandle(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(d->windowHandle(), Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(d->replaceText->text(), "abc");
  QCOMPARE(s.w.Source(), QStringList({"add r0, r2", "MOV R3, r0", "hlt"}));
  d->findText->setText("xyz");
  QVERIFY(!d->FindNext());
  QCOMPARE(d->status->text(), "Not found.");
  // What was replaced is the block's text from then on.
  s.w.Choose(&MainControls::CompAll1);
  QCOMPARE(s.program.model().Stored(0).source[0], "add r0, r2");

  // In an all-blocks column it finds, and leaves replacing to the main window.
  THF& hf = *s.program.HF();
  hf.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&hf));
  hf.panels[0].source->setFocus();
  QApplication::processEvents();
  s.w.Choose(&MainControls::Find1);
  QCOMPARE(d->Target(), hf.panels[0].source);
  QVERIFY(!d->replaceAllButton->isEnabled());
  d->findText->setText("hlt");
  QVERIFY(d->FindNext());
  QCOMPARE(hf.panels[0].source->textCursor().selectedText(), "hlt");
  QCOMPARE(d->ReplaceAll(), 0);
  QVERIFY(s.dialogs.answers.empty());
}

void MainWindowTest::textsCrossTheBoundaryUnchanged() {
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

// Redo by both its keys, in the source editor only, as Undo; Clear text is undone as any edit.
void MainWindowTest::redoAndAnUndoableClearText() {
  Started s(Language::English);
  TForm1& f = s.f;
  MainWindow& w = s.w;
  AsmEditor& editor = w.SourceEditor();
  SetText(editor, {"nop", "hlt"});
  editor.setFocus();
  QTest::keyClicks(&editor, "x");
  const std::function<void()> redoes[] = {
      [&] { QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier); },
      [&] { QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); },
      [&] { w.Choose(&MainControls::Redo1); }};
  for (const auto& redo : redoes) {
    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text(editor), QStringList({"nop", "hlt"}));
    redo();
    QCOMPARE(Text(editor), QStringList({"xnop", "hlt"}));
  }
  w.GlobalsEditor().setFocus();
  w.Choose(&MainControls::Redo1);
  QCOMPARE(w.Globals(), QStringList({";Global"}));

  s.dialogs.answers = {true};
  w.Choose(&MainControls::ClearAsm1);
  QCOMPARE(Text(editor), QStringList());
  editor.setFocus();
  QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Text(editor), QStringList({"xnop", "hlt"}));
  QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(Text(editor), QStringList());
  // The block keeps what the editor shows when it is next stored.
  w.AddBlockButton().click();
  QVERIFY(s.dialogs.shown.contains("New block is restricted\nwhile previous is EMPTY!"));

  // A text still being laid out goes whole, not only the part on screen.
  static_cast<WorkingCopy&>(f).SetSource(Lines(60000, "nop"), 0);
  QVERIFY(EditorLines::Loading());
  s.dialogs.answers = {true};
  w.Choose(&MainControls::ClearAsm1);
  QTRY_VERIFY(!EditorLines::Loading());
  QCOMPARE(Text(editor), QStringList());
}

// Ctrl+PgDn and Ctrl+PgUp choose the next and previous tab as a click does, from either
// window, round from the last block to the first.
void MainWindowTest::pageKeysSwitchBlocks() {
  Started s(Language::English);
  MainWindow& w = s.w;
  w.SetSource({"; zero"});
  for (const char* text : {"; one", "; two"}) {
    w.AddBlockButton().click();
    w.SetSource({text});
  }
  struct Step {
    QWidget* from;
    Qt::Key key;
    int block;
    QString text;
  };
  THF& hf = *s.program.HF();
  for (const Step& step : {Step{&w.SourceEditor(), Qt::Key_PageDown, 0, "; zero"},
                           Step{&w.SourceEditor(), Qt::Key_PageDown, 1, "; one"},
                           Step{&w.CodeView(), Qt::Key_PageUp, 0, "; zero"},
                           Step{hf.panels[1].source, Qt::Key_PageUp, 2, "; two"}}) {
    step.from->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(step.from->window()));
    step.from->setFocus();
    QTest::keyClick(step.from, step.key, Qt::ControlModifier);
    QCOMPARE(w.CurrentBlock(), step.block);
    QCOMPARE(s.program.model().CurrentBlock(), step.block);
    QCOMPARE(w.Source(), QStringList({step.text}));
  }
  QVERIFY(s.dialogs.shown.isEmpty());
}

// After a fault on a long line the line's start is in view; a status line cut off by its
// label shows whole in the label's tooltip, a short one has none.
void MainWindowTest::longFaultLineKeepsItsStartInView() {
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

QTEST_MAIN(q41::ui::MainWindowTest)
#include "mainform_test.moc"

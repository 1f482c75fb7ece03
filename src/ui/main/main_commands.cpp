#include "ui/main/main_commands.hpp"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextCursor>
#include <array>

#include "blocks/block_model.hpp"
#include "blocks/compile_commands.hpp"
#include "ui/app/application.hpp"
#include "ui/app/style.hpp"
#include "ui/app/widgets.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/files/print.hpp"
#include "ui/files/program_files.hpp"
#include "ui/main/hidForm.hpp"
#include "ui/main/main_controls.hpp"
#include "ui/main/mainform.hpp"
#include "ui/main/midtext.hpp"
#include "ui/tools/tool_windows.hpp"

namespace q41::ui {
namespace {

struct Menu {
  QMenu* MainControls::*menu;
  const char* name;
  Bilingual title;
};

struct Command {
  QMenu* MainControls::*menu;
  QAction* MainControls::*action;
  const char* name;
  const char* separatorBefore;  // the name of a separator before the item, or null
  Bilingual caption;
  const char* shortcut;  // empty for none; "; " between two keys of one command
  void (*run)(Application&);
};

constexpr std::array<Menu, 5> Menus = {{
    {&MainControls::File1, "File1", {"Файл", "File"}},
    {&MainControls::Edit1, "Edit1", {"Правка", "Edit"}},
    {&MainControls::View1, "View1", {"Вид", "View"}},
    {&MainControls::Run1, "Run1", {"Компилировать", "Compile"}},
    {&MainControls::Help1, "Help1", {"Справка", "Help"}},
}};

MainControls& Controls(Application& p) {
  return p.Form1().Controls();
}

// The edit commands act on the main window's source or code, whichever has the keyboard.
void OnFocusedEditor(Application& p, void (QPlainTextEdit::*act)(), bool needsSelection = false) {
  for (QPlainTextEdit* memo :
       std::initializer_list<QPlainTextEdit*>{Controls(p).asmText, Controls(p).codeText}) {
    if (memo->hasFocus() && (!needsSelection || memo->textCursor().hasSelection())) {
      (memo->*act)();
    }
  }
}

void ClearText(Application& p) {
  if (!p.dialogs().Confirm(p.messages.MsgClearAsm)) return;
  AsmEditor& editor = *Controls(p).asmText;
  if (editor.isReadOnly()) {
    // Still being laid out: the text the editor shows is not yet all of it, so the whole
    // text goes, with nothing to undo.
    static_cast<WorkingCopy&>(p.Form1()).SetSource({}, p.model().CurrentBlock());
  } else {
    // One edit of the text, which Undo takes back as it takes back any other.
    QTextCursor all(editor.document());
    all.select(QTextCursor::Document);
    all.removeSelectedText();
  }
  p.Edited();
}

// The next or the previous block's tab, as a click on it would choose it; past the last
// tab comes the first again.
void StepBlock(Application& p, int step) {
  QTabBar& tabs = *Controls(p).BlckTabs;
  if (tabs.count() < 2) return;
  tabs.setCurrentIndex((tabs.currentIndex() + step + tabs.count()) % tabs.count());
}

constexpr std::array<Command, 26> Commands = {{
    {&MainControls::File1,
     &MainControls::new1,
     "new1",
     nullptr,
     {"Новая программа", "New program"},
     "",
     [](Application& p) { p.Files().New1Click(); }},
    {&MainControls::File1,
     &MainControls::OpenAsm1,
     "OpenAsm1",
     "N7",
     {"Открыть .ASM...", "Open .ASM..."},
     "Ctrl+O",
     [](Application& p) { p.Files().OpenAsm1Click(); }},
    {&MainControls::File1,
     &MainControls::SaveAsm1,
     "SaveAsm1",
     "N2",
     {"Сохранить .ASM...", "Save .ASM..."},
     "Ctrl+S",
     [](Application& p) { p.Files().SaveAsm1Click(); }},
    {&MainControls::File1,
     &MainControls::SaveCod1,
     "SaveCod1",
     nullptr,
     {"Сохранить .Q41...", "Save .Q41..."},
     "Ctrl+Alt+S",
     [](Application& p) { p.Files().SaveCod1Click(); }},
    {&MainControls::File1,
     &MainControls::Exit1,
     "Exit1",
     "N1",
     {"Выход", "Exit"},
     "",
     [](Application& p) { p.Files().Exit1Click(); }},
    {&MainControls::File1,
     &MainControls::Print1,
     "Print1",
     "N8",
     {"Печать...", "Print..."},
     "Ctrl+P",
     [](Application& p) { PrintCurrentBlock(p, PrintTarget::Printer); }},
    {&MainControls::File1,
     &MainControls::ExportPdf1,
     "ExportPdf1",
     nullptr,
     {"Экспорт в PDF...", "Export PDF..."},
     "",
     [](Application& p) { PrintCurrentBlock(p, PrintTarget::Pdf); }},

    {&MainControls::Edit1,
     &MainControls::Cut1,
     "Cut1",
     nullptr,
     {"Вырезать", "Cut"},
     "Ctrl+X",
     [](Application& p) { OnFocusedEditor(p, &QPlainTextEdit::cut, true); }},
    {&MainControls::Edit1,
     &MainControls::Copy1,
     "Copy1",
     nullptr,
     {"Копировать", "Copy"},
     "Ctrl+C",
     [](Application& p) { OnFocusedEditor(p, &QPlainTextEdit::copy, true); }},
    {&MainControls::Edit1,
     &MainControls::Paste1,
     "Paste1",
     nullptr,
     {"Вставить", "Paste"},
     "Ctrl+V",
     [](Application& p) { OnFocusedEditor(p, &QPlainTextEdit::paste); }},
    {&MainControls::Edit1,
     &MainControls::SelectAll1,
     "SelectAll1",
     "N3",
     {"Выделить все", "Select all"},
     "Ctrl+A",
     [](Application& p) { OnFocusedEditor(p, &QPlainTextEdit::selectAll); }},
    {&MainControls::Edit1,
     &MainControls::UnDo1,
     "UnDo1",
     "N4",
     {"Отменить", "Undo"},
     "Ctrl+Z",
     [](Application& p) { OnFocusedEditor(p, &QPlainTextEdit::undo); }},
    {&MainControls::Edit1,
     &MainControls::ClearAsm1,
     "ClearAsm1",
     "N5",
     {"Очистить текст", "Clear text"},
     "",
     ClearText},
    {&MainControls::Edit1,
     &MainControls::ClearCode1,
     "ClearCode1",
     nullptr,
     {"Очистить код", "Clear code"},
     "",
     [](Application& p) { ClearCodeAndLabels(p.Form1().Views(), p.workspace); }},
    {&MainControls::Edit1,
     &MainControls::Find1,
     "Find1",
     nullptr,
     {"Найти и заменить...", "Find and replace..."},
     "Ctrl+F",
     [](Application& p) { p.Form1().Tools().ShowFind(); }},
    {&MainControls::Edit1,
     &MainControls::Redo1,
     "Redo1",
     "N9",
     {"Повторить", "Redo"},
     "Ctrl+Y; Ctrl+Shift+Z",
     [](Application& p) { OnFocusedEditor(p, &QPlainTextEdit::redo); }},

    {&MainControls::View1,
     &MainControls::CompText1,
     "CompText1",
     nullptr,
     {"Текст для компиляции", "Text for compilation"},
     "",
     [](Application& p) { ShowInFront(p.Form2()); }},
    {&MainControls::View1,
     &MainControls::AllBlocks1,
     "AllBlocks1",
     nullptr,
     {"Все блоки", "All blocks"},
     "F3",
     [](Application& p) {
       TForm1& main = p.Form1();
       ShowInFront(main.isActiveWindow() ? static_cast<QWidget&>(*p.HF()) : main);
     }},
    {&MainControls::View1,
     &MainControls::Listing1,
     "Listing1",
     nullptr,
     {"Листинг", "Listing"},
     "Ctrl+L",
     [](Application& p) { p.Form1().Tools().ShowListing(); }},
    {&MainControls::View1,
     &MainControls::NextBlock1,
     "NextBlock1",
     "N10",
     {"Следующий блок", "Next block"},
     "Ctrl+PgDown",
     [](Application& p) { StepBlock(p, 1); }},
    {&MainControls::View1,
     &MainControls::PrevBlock1,
     "PrevBlock1",
     nullptr,
     {"Предыдущий блок", "Previous block"},
     "Ctrl+PgUp",
     [](Application& p) { StepBlock(p, -1); }},

    {&MainControls::Run1,
     &MainControls::CompAll1,
     "CompAll1",
     nullptr,
     {"Компилировать все блоки", "Compile all blocks"},
     "F9",
     [](Application& p) { p.Form1().SpeedButton2Click(); }},
    {&MainControls::Run1,
     &MainControls::CompAndPreproc1,
     "CompAndPreproc1",
     "N6",
     {"Компил.+препроцес.(1 блок)", "Compile+preproc.(1 block)"},
     "Ctrl+F9",
     [](Application& p) { p.Form1().CompAndPreproc1Click(); }},
    {&MainControls::Run1,
     &MainControls::Compile1,
     "Compile1",
     nullptr,
     {"Только компиляция", "Compile only"},
     "",
     [](Application& p) { p.model().CompileOnly(); }},
    {&MainControls::Run1,
     &MainControls::Preprocess1,
     "Preprocess1",
     nullptr,
     {"Только препроцессинг", "Preprocess only"},
     "",
     [](Application& p) { p.model().PreprocessOnly(); }},

    {&MainControls::Help1,
     &MainControls::Reference1,
     "Reference1",
     nullptr,
     {"Справочник команд", "Instruction reference"},
     "F1",
     [](Application& p) { p.Form1().Tools().ShowReference(); }},
}};

// A menu closed with Escape leaves the menu bar holding the keyboard, its title lit, waiting
// for a menu's letter; the menus have none, and the text typed then was lost. A key that
// types text leaves the menu bar, which gives the focus back, and goes where the focus is.
bool LeaveMenuBarTyping(QObject& bar, QKeyEvent& key) {
  if (key.text().isEmpty() || !key.text().front().isPrint()) return false;
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&bar, &escape);
  QWidget* focus = QApplication::focusWidget();
  if (focus != nullptr && focus != &bar) QCoreApplication::sendEvent(focus, &key);
  return true;
}

}  // namespace

void BuildMainMenu(QMenuBar& bar, MainControls& controls, Application& program) {
  FilterKeyPresses(bar, LeaveMenuBarTyping);
  for (const Menu& m : Menus) {
    QMenu* menu = bar.addMenu(m.title.english);
    menu->setObjectName(m.name);
    controls.*m.menu = menu;
  }
  for (const Command& c : Commands) {
    QMenu* menu = controls.*c.menu;
    if (c.separatorBefore != nullptr) menu->addSeparator()->setObjectName(c.separatorBefore);
    QAction* action = menu->addAction(c.caption.english);
    action->setObjectName(c.name);
    if (*c.shortcut != '\0') {
      action->setShortcuts(QKeySequence::listFromString(c.shortcut));
      // The main window's shortcuts work while any window of the program is active.
      action->setShortcutContext(Qt::ApplicationShortcut);
    }
    QObject::connect(action, &QAction::triggered, menu, [&program, run = c.run] {
      program.RunCommand([&program, run] { run(program); });
    });
    controls.*c.action = action;
  }
}

void ApplyCommandCaptions(Language language, MainControls& controls) {
  for (const Menu& m : Menus) (controls.*m.menu)->setTitle(QString::fromUtf8(m.title.In(language)));
  for (const Command& c : Commands) {
    (controls.*c.action)->setText(QString::fromUtf8(c.caption.In(language)));
  }
}

QList<QKeySequence> CommandShortcuts() {
  QList<QKeySequence> keys;
  for (const Command& c : Commands) {
    if (*c.shortcut != '\0') keys.append(QKeySequence::listFromString(c.shortcut));
  }
  return keys;
}

}  // namespace q41::ui

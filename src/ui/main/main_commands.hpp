#pragma once
// The main window's commands: one row each (the menu item's name, its caption in both
// languages, its shortcut and what it does), from which the menu, its captions and the keys
// kept from the editors are all made.

#include <QKeySequence>
#include <QList>

#include "common/err_diag.hpp"

class QMenuBar;

namespace q41::ui {

struct MainControls;
class Application;

// Fills `bar` with the menus and their items, each item running its command through the
// program, and sets the controls' menu and action members.
void BuildMainMenu(QMenuBar& bar, MainControls& controls, Application& program);

// The menus' and items' captions in `language`.
void ApplyCommandCaptions(Language language, MainControls& controls);

// Every command's shortcut.
QList<QKeySequence> CommandShortcuts();

}  // namespace q41::ui

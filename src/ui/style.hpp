#pragma once
// Fonts and editor settings shared by the windows.

#include <QFont>
#include <QTextEdit>

class QPlainTextEdit;
class QWidget;

namespace q41::ui {

// The windows' default face, 11-pixel characters.
QFont DesignFont();
// The editors' fixed-pitch face, 16-pixel characters.
QFont FixedFont();
// A sans-serif face of the given pixel height.
QFont SansFont(int pixels);

// Both scroll bars, no word wrap, the given font.
void SetupEditor(QPlainTextEdit& editor, const QFont& font);

// A whole line lit up: a source line with its code words, a listing row.
QTextEdit::ExtraSelection LineHighlight(const QTextCursor& at);

// Shows a window as the program means it: in front and active, also when it was already
// open behind another one.
void ShowInFront(QWidget& window);
// Puts a window that has not been shown yet beside `beside` (to its right where the screen
// has room, else over its right part), wholly on the screen, frame included; `beside`
// outlives it.
void PlaceBeside(QWidget& window, const QWidget& beside);

}  // namespace q41::ui

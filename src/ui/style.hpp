#pragma once
// Fonts and editor settings shared by the windows.

#include <QFont>

class QPlainTextEdit;

namespace q41::ui {

// The windows' default face, 11-pixel characters.
QFont DesignFont();
// The editors' fixed-pitch face, 16-pixel characters.
QFont FixedFont();
// A sans-serif face of the given pixel height.
QFont SansFont(int pixels);

// Both scroll bars, no word wrap, the given font.
void SetupEditor(QPlainTextEdit& editor, const QFont& font);

}  // namespace q41::ui

#pragma once
// Fonts, colours and editor settings shared by the windows.

#include <QColor>
#include <QFont>
#include <QObject>
#include <QTextEdit>

#include "language/tokens.hpp"

class QPalette;
class QPlainTextEdit;
class QWidget;

namespace q41::ui {

// The windows' default face, 11-pixel characters.
QFont DesignFont();
// The editors' fixed-pitch face, 16-pixel characters.
QFont FixedFont();
// A sans-serif face of the given pixel height.
QFont SansFont(int pixels);

// What the windows read of one line for anything but editing it: colouring, a hover, a
// tooltip. A line of a million characters would take the toolkit seconds to lay out and no
// screen shows it, while no line of a real program comes near this length.
inline constexpr int LongestShownLine = 4000;

// Both scroll bars, no word wrap, the given font.
void SetupEditor(QPlainTextEdit& editor, const QFont& font);

// How a kind of source token is drawn.
struct TokenLook {
  QColor colour;
  bool bold = false;
  bool italic = false;
};

// The colours the editors draw themselves, one set for a light desktop and one for a dark
// one: what reads well on white is lost on black. The rest (the editors' own background and
// plain text) is the desktop palette's; `paper` and `ink` are what a set is measured against
// in its place: for the dark set the lightest background and the dimmest text a dark desktop
// is taken to have, since a light colour reads worse the lighter the paper under it.
struct EditorColours {
  QColor paper;
  QColor ink;
  QColor caretLine;  // the line with the caret
  QColor link;       // a line lit up: a source line with its code words, a listing row
  QColor gutter;
  QColor gutterNumber;
  QColor gutterCaretNumber;
  QColor mark;  // the last fault's line in the gutter
  QColor markNumber;
  QColor fault;      // the check's wavy line under a fault and its dot in the gutter
  QColor warning;    // the same for a warning
  QColor use;        // behind each use of the name at the caret: only names are drawn on it
  QColor errorText;  // the status line that says what the fault is, on the window
  TokenLook mnemonic;
  TokenLook reg;
  TokenLook number;
  TokenLook text;
  TokenLook labelDefinition;
  TokenLook labelUse;
  TokenLook constantDefinition;
  TokenLook reservedWords;
  TokenLook comment;

  const TokenLook& Token(SyntaxKind kind) const;
};

const EditorColours& LightColours();
const EditorColours& DarkColours();
// Dark when the palette's windows are darker than their text.
bool IsDark(const QPalette& palette);
// The set for the application's palette as it is now: the desktop may change it while the
// program runs.
const EditorColours& CurrentColours();
// Tells when the application's palette changed (the desktop turned dark or light), to what
// draws with CurrentColours(). The toolkit tells the application and its windows, and a window
// tells its widgets, but not those below a widget with a style sheet of its own: the source
// editor of the main window would never hear of it.
class PaletteWatch : public QObject {
  Q_OBJECT
 public:
  // The application's one watch, made when first asked for and owned by the application.
  static PaletteWatch& Get();

 signals:
  void Changed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  explicit PaletteWatch(QObject* application);
};

// The WCAG contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

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

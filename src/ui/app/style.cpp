#include "ui/app/style.hpp"

#include <QGuiApplication>
#include <QPalette>
#include <QPlainTextEdit>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "ui/app/frame_placement.hpp"

namespace q41::ui {

QFont SansFont(int pixels) {
  QFont font;
  font.setFamilies({"MS Sans Serif", "Liberation Sans", "Arial", "DejaVu Sans"});
  font.setPixelSize(pixels);
  return font;
}

QFont DesignFont() {
  return SansFont(11);
}

QFont FixedFont() {
  QFont font;
  font.setFamilies({"Courier New", "Liberation Mono", "DejaVu Sans Mono"});
  font.setStyleHint(QFont::TypeWriter);
  // Text of one width a letter and of the code page's scripts needs no shaping, and draws
  // the same without it; a long line lays out a third faster.
  font.setStyleStrategy(QFont::PreferNoShaping);
  font.setPixelSize(16);
  return font;
}

void SetupEditor(QPlainTextEdit& editor, const QFont& font) {
  editor.setFont(font);
  editor.setLineWrapMode(QPlainTextEdit::NoWrap);
  editor.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  editor.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Tab walks the window's controls: a tab character is no blank to the translator, and a
  // line holding one would not compile.
  editor.setTabChangesFocus(true);
}

namespace {

double RelativeLuminance(const QColor& colour) {
  auto channel = [](int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const QColor rgb = colour.toRgb();
  return 0.2126 * channel(rgb.red()) + 0.7152 * channel(rgb.green()) + 0.0722 * channel(rgb.blue());
}

QColor Rgb(QRgb rgb) {
  return QColor::fromRgb(rgb);
}

}  // namespace

const TokenLook& EditorColours::Token(SyntaxKind kind) const {
  switch (kind) {
    case SyntaxKind::Mnemonic:
      return mnemonic;
    case SyntaxKind::Register:
      return reg;
    case SyntaxKind::Number:
      return number;
    case SyntaxKind::Text:
      return text;
    case SyntaxKind::LabelDefinition:
      return labelDefinition;
    case SyntaxKind::LabelUse:
      return labelUse;
    case SyntaxKind::ConstantDefinition:
      return constantDefinition;
    case SyntaxKind::ReservedWords:
      return reservedWords;
    case SyntaxKind::Comment:
      break;
  }
  return comment;
}

// Definitions and directives in bold, comments in italics, in both sets: the shapes tell the
// kinds apart also for a reader who cannot tell the colours apart.
const EditorColours& LightColours() {
  static const EditorColours set{
      .paper = Rgb(0xFFFFFF),
      .ink = Rgb(0x000000),
      .caretLine = Rgb(0xF2F5FF),
      .link = Rgb(0xFFF0A0),
      .gutter = Rgb(0xF0F0F0),
      .gutterNumber = Rgb(0x666666),
      .gutterCaretNumber = Rgb(0x000000),
      .mark = Rgb(0xC00000),
      .markNumber = Rgb(0xFFFFFF),
      .fault = Rgb(0xE00000),
      .warning = Rgb(0xB86E00),
      .use = Rgb(0xE0E0E0),
      .errorText = Rgb(0x800000),  // maroon
      .mnemonic = {Rgb(0x0000A0), true},
      .reg = {Rgb(0x800080)},
      .number = {Rgb(0xA03000)},
      .text = {Rgb(0x007000)},
      .labelDefinition = {Rgb(0x006090), true},
      .labelUse = {Rgb(0x006090)},
      .constantDefinition = {Rgb(0x805000), true},
      .reservedWords = {Rgb(0xB05000), true},
      .comment = {Rgb(0x696969), false, true},
  };
  return set;
}

// The same hues made light, on backgrounds dark enough for them and for the desktop's text.
const EditorColours& DarkColours() {
  static const EditorColours set{
      .paper = Rgb(0x404040),
      .ink = Rgb(0xD8D8D8),
      .caretLine = Rgb(0x2A3344),
      .link = Rgb(0x463A0C),
      .gutter = Rgb(0x2B2B2B),
      .gutterNumber = Rgb(0xA0A0A0),
      .gutterCaretNumber = Rgb(0xFFFFFF),
      .mark = Rgb(0xB00000),
      .markNumber = Rgb(0xFFFFFF),
      .fault = Rgb(0xFF6B6B),
      .warning = Rgb(0xFFB347),
      .use = Rgb(0x4C4C4C),
      .errorText = Rgb(0xFF9E99),
      .mnemonic = {Rgb(0x8AB4F8), true},
      .reg = {Rgb(0xD7A2F0)},
      .number = {Rgb(0xF4A56A)},
      .text = {Rgb(0x8FD88F)},
      .labelDefinition = {Rgb(0x6CCFF0), true},
      .labelUse = {Rgb(0x6CCFF0)},
      .constantDefinition = {Rgb(0xE0C27A), true},
      .reservedWords = {Rgb(0xFFAA5C), true},
      .comment = {Rgb(0xB4B4B4), false, true},
  };
  return set;
}

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsDark(const QPalette& palette) {
  return RelativeLuminance(palette.color(QPalette::Window)) <
         RelativeLuminance(palette.color(QPalette::WindowText));
}

const EditorColours& CurrentColours() {
  return IsDark(QGuiApplication::palette()) ? DarkColours() : LightColours();
}

PaletteWatch::PaletteWatch(QObject* application) : QObject(application) {
  application->installEventFilter(this);
}

PaletteWatch& PaletteWatch::Get() {
  auto* watch = qApp->findChild<PaletteWatch*>(QString(), Qt::FindDirectChildrenOnly);
  return watch != nullptr ? *watch : *new PaletteWatch(qApp);
}

bool PaletteWatch::eventFilter(QObject* watched, QEvent* event) {
  if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) emit Changed();
  return false;
}

QTextEdit::ExtraSelection LineHighlight(const QTextCursor& at) {
  QTextEdit::ExtraSelection s;
  s.cursor = at;
  s.cursor.clearSelection();
  s.format.setBackground(CurrentColours().link);
  s.format.setProperty(QTextFormat::FullWidthSelection, true);
  // Seen without the colour too: the line's text is underlined.
  s.format.setFontUnderline(true);
  return s;
}

void PlaceBeside(QWidget& window, const QWidget& beside) {
  const QScreen* screen = beside.screen();
  if (screen == nullptr) return;
  const QRect room = screen->availableGeometry();
  window.resize(window.size().boundedTo(room.size() - QSize(16, 48)));
  // By the frame, which the window manager gives only once the window is shown.
  auto* placement = new FramePlacement(window, [&beside, room](const QSize& frame) {
    const QRect main = beside.frameGeometry();
    int x = main.right() + 8;
    if (x + frame.width() > room.right()) x = room.right() - frame.width() - 8;
    const int y = std::min(main.top(), room.bottom() - frame.height());
    return std::optional(QPoint(std::max(room.left(), x), std::max(room.top(), y)));
  });
  placement->Apply();
}

void ShowInFront(QWidget& window) {
  // A minimised window would stay an icon however it is raised.
  if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace q41::ui

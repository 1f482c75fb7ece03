#include "ui/style.hpp"

#include <QPlainTextEdit>
#include <QScreen>
#include <algorithm>

#include "ui/frame_placement.hpp"

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

QTextEdit::ExtraSelection LineHighlight(const QTextCursor& at) {
  QTextEdit::ExtraSelection s;
  s.cursor = at;
  s.cursor.clearSelection();
  s.format.setBackground(QColor(0xFF, 0xF0, 0xA0));
  s.format.setProperty(QTextFormat::FullWidthSelection, true);
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

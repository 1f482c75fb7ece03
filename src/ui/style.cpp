#include "ui/style.hpp"

#include <QPlainTextEdit>
#include <QScreen>
#include <algorithm>

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
  font.setPixelSize(16);
  return font;
}

void SetupEditor(QPlainTextEdit& editor, const QFont& font) {
  editor.setFont(font);
  editor.setLineWrapMode(QPlainTextEdit::NoWrap);
  editor.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  editor.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void PlaceBeside(QWidget& window, const QWidget& beside) {
  const QScreen* screen = beside.screen();
  if (screen == nullptr) return;
  const QRect room = screen->availableGeometry();
  const QRect frame = beside.frameGeometry();
  const QSize size = window.size().boundedTo(room.size() - QSize(16, 48));
  window.resize(size);
  int x = frame.right() + 8;
  if (x + size.width() > room.right()) x = room.right() - size.width() - 8;
  int y = std::min(frame.top(), room.bottom() - size.height() - 40);
  window.move(std::max(room.left(), x), std::max(room.top(), y));
}

void ShowInFront(QWidget& window) {
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace q41::ui

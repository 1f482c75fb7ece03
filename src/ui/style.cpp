#include "ui/style.hpp"

#include <QPlainTextEdit>

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

void ShowInFront(QWidget& window) {
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace q41::ui

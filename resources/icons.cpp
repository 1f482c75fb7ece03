#include "icons.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace q41::icons {
namespace {

const QColor Blue(30, 80, 200);
const QColor Red(210, 20, 20);

// A picture with its greyed form for the disabled button.
QIcon WithDisabled(const QPixmap& normal) {
  QIcon icon(normal);
  QImage grey = normal.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < grey.height(); ++y) {
    for (int x = 0; x < grey.width(); ++x) {
      const QColor c = grey.pixelColor(x, y);
      const int v = 128 + qGray(c.rgb()) / 2;
      grey.setPixelColor(x, y, QColor(v, v, v, c.alpha()));
    }
  }
  icon.addPixmap(QPixmap::fromImage(grey), QIcon::Disabled);
  return icon;
}

QPixmap Canvas(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

void Arrow(QPainter& p, QPointF from, QPointF to) {
  p.setPen(QPen(Blue, 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(from, to);
  const double dir = to.x() > from.x() ? 1 : -1;
  QPainterPath head;
  head.moveTo(to + QPointF(dir * 2, 0));
  head.lineTo(to + QPointF(-dir * 3, -3.5));
  head.lineTo(to + QPointF(-dir * 3, 3.5));
  head.closeSubpath();
  p.fillPath(head, Blue);
}

void DashedLine(QPainter& p, double x) {
  p.setPen(QPen(Qt::black, 1, Qt::DashLine));
  p.drawLine(QPointF(x, 1), QPointF(x, 15));
}

}  // namespace

QIcon CompileAll() {
  QPixmap pixmap = Canvas(32);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  for (int k = 0; k < 4; ++k) {
    const QRectF card(4 + 3 * k, 3 + 3 * k, 16, 12);
    p.setPen(Qt::darkGray);
    p.setBrush(k % 2 == 0 ? QColor(255, 250, 220) : QColor(225, 240, 255));
    p.drawRect(card);
    p.setPen(QColor(120, 120, 170));
    p.drawLine(card.topLeft() + QPointF(2, 4), card.topRight() + QPointF(-2, 4));
  }
  p.setPen(QPen(QColor(120, 80, 40), 1.5));
  p.setBrush(QColor(200, 150, 90));
  p.drawRect(QRectF(2, 20, 28, 10));
  return WithDisabled(pixmap);
}

QIcon CompileBlock() {
  QPixmap pixmap = Canvas(32);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QFont font;
  font.setPixelSize(8);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Red);
  p.drawText(QRectF(0, 0, 32, 9), Qt::AlignCenter, "ADD");
  QPainterPath funnel;
  funnel.moveTo(4, 10);
  funnel.lineTo(28, 10);
  funnel.lineTo(18, 19);
  funnel.lineTo(18, 23);
  funnel.lineTo(14, 23);
  funnel.lineTo(14, 19);
  funnel.closeSubpath();
  p.setPen(QPen(Qt::darkGray, 1));
  p.setBrush(QColor(170, 190, 210));
  p.drawPath(funnel);
  font.setPixelSize(7);
  font.setBold(false);
  p.setFont(font);
  p.setPen(Blue);
  p.drawText(QRectF(0, 23, 32, 9), Qt::AlignCenter, "0110");
  return WithDisabled(pixmap);
}

namespace {

// An arrow to (adding) or away from (deleting) the dashed end of the block row, with a red
// plus or minus above it.
QIcon BlockButton(bool adding) {
  QPixmap pixmap = Canvas(16);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  DashedLine(p, 12.5);
  Arrow(p, QPointF(adding ? 1 : 11, 10), QPointF(adding ? 9 : 3, 10));
  p.setPen(QPen(Red, 2));
  p.drawLine(QPointF(2, 4), QPointF(8, 4));
  if (adding) p.drawLine(QPointF(5, 1), QPointF(5, 7));
  return WithDisabled(pixmap);
}

}  // namespace

QIcon AddBlock() {
  return BlockButton(true);
}

QIcon DeleteBlock() {
  return BlockButton(false);
}

QIcon ReturnToMain() {
  QPixmap pixmap = Canvas(16);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::darkGray);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(7.5, 1.5, 7, 9));
  p.fillRect(QRectF(8, 2, 6, 2), Blue);
  Arrow(p, QPointF(10, 13), QPointF(2, 13));
  return WithDisabled(pixmap);
}

}  // namespace q41::icons

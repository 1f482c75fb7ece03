#include "ui/app/zoom.hpp"

#include <QAbstractScrollArea>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace q41::ui {
namespace {

// What a view had before its first zoom, kept on the view so that it goes with it.
constexpr const char* OwnFont = "q41ZoomOwnFont";
constexpr const char* SetOwnFont = "q41ZoomSetOwnFont";
constexpr const char* Step = "q41ZoomStep";

struct Scale {
  double size;  // in pixels or points, as the font was given
  double unit;  // one step
  int fewest;
  int most;
};

// Steps of about an eighth of the view's own size, at least one pixel or point: the small
// faces (8 pixels) must still change at each step, the large ones not crawl.
Scale ScaleOf(const QFont& own) {
  const double size = own.pixelSize() > 0 ? own.pixelSize() : own.pointSizeF();
  const double unit = std::max(1.0, std::round(size / 8));
  return {size, unit, -static_cast<int>(std::floor(size / 2 / unit)),
          static_cast<int>(std::floor(3 * size / unit))};
}

QFont Scaled(QFont font, const Scale& scale, int step) {
  const double size = scale.size + step * scale.unit;
  if (font.pixelSize() > 0) {
    font.setPixelSize(static_cast<int>(std::lround(size)));
  } else {
    font.setPointSizeF(size);
  }
  return font;
}

}  // namespace

QList<QKeySequence> TextZoom::Keys() {
  return {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal),
          QKeySequence(Qt::CTRL | Qt::Key_Minus), QKeySequence(Qt::CTRL | Qt::Key_0)};
}

QAbstractScrollArea* TextZoom::ViewOf(QWidget* widget) {
  for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
    if (qobject_cast<QPlainTextEdit*>(w) != nullptr || qobject_cast<QTextEdit*>(w) != nullptr) {
      return static_cast<QAbstractScrollArea*>(w);
    }
    if (w->isWindow()) break;
  }
  return nullptr;
}

bool TextZoom::Zoom(QAbstractScrollArea& view, int steps) {
  if (!view.property(OwnFont).isValid()) {
    view.setProperty(OwnFont, view.font());
    view.setProperty(SetOwnFont, view.testAttribute(Qt::WA_SetFont));
  }
  const QFont own = view.property(OwnFont).value<QFont>();
  const Scale scale = ScaleOf(own);
  const int step = view.property(Step).toInt();
  const int next = std::clamp(step + steps, scale.fewest, scale.most);
  if (next == step) return false;
  view.setProperty(Step, next);
  view.setFont(Scaled(own, scale, next));
  return true;
}

void TextZoom::Reset(QAbstractScrollArea& view) {
  if (!view.property(OwnFont).isValid()) return;
  // A font the view only inherited goes on following its window's.
  view.setFont(view.property(SetOwnFont).toBool() ? view.property(OwnFont).value<QFont>()
                                                  : QFont());
  for (const char* name : {OwnFont, SetOwnFont, Step}) view.setProperty(name, QVariant());
}

bool TextZoom::eventFilter(QObject* watched, QEvent* event) {
  // Keys and the wheel reach the window system's window before its widgets: the widget
  // under the mouse, or with the focus, is the one asked.
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr) return false;
  if (event->type() == QEvent::Wheel) {
    const auto* wheel = static_cast<QWheelEvent*>(event);
    if (!(wheel->modifiers() & Qt::ControlModifier)) return false;
    QAbstractScrollArea* view = ViewOf(widget);
    if (view == nullptr) return false;
    if (view != wheelView_) {
      wheelView_ = view;
      wheelTurned_ = 0;
    }
    wheelTurned_ += wheel->angleDelta().y();
    const int steps = wheelTurned_ / QWheelEvent::DefaultDeltasPerStep;
    wheelTurned_ -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0) Zoom(*view, steps);
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // "+" is Shift with "=" on many keyboards; the keypad's keys count too.
    if ((key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) != Qt::ControlModifier) {
      return false;
    }
    const int k = key->key();
    if (k != Qt::Key_Plus && k != Qt::Key_Equal && k != Qt::Key_Minus && k != Qt::Key_0) {
      return false;
    }
    QAbstractScrollArea* view = ViewOf(widget);
    if (view == nullptr) return false;
    if (k == Qt::Key_0) {
      Reset(*view);
    } else {
      Zoom(*view, k == Qt::Key_Minus ? -1 : 1);
    }
    return true;
  }
  return false;
}

}  // namespace q41::ui

#pragma once
// Placing a top-level window by its outer (frame) size. A window manager frames a window only
// after the window is mapped, and the program learns the frame's size later still; a window
// placed by its frame when it is shown is therefore placed by a frame of nothing, and stands
// off by the title bar. FramePlacement places the window at once by the best frame it knows,
// and once more, in the event that reports the frame, if that frame differs. From then on the
// window is the user's: nothing here moves it until it is placed afresh.

#include <QEvent>
#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <optional>

namespace q41::ui {

class FramePlacement : public QObject {
 public:
  // Where the frame's top-left goes for a frame of the given outer size; nothing leaves the
  // window where it is.
  using Rule = std::function<std::optional<QPoint>(const QSize& frameSize)>;

  // Watches `window` for as long as it lives (it owns this object).
  FramePlacement(QWidget& window, Rule rule)
      : QObject(&window), window_(window), rule_(std::move(rule)) {
    window_.installEventFilter(this);
  }

  // Places the window now, and again while it stays shown and its frame is not yet known.
  void Apply() {
    settling_ = true;
    const QMargins frame = Margins();
    Place(frame.isNull() ? known_ : frame);
    if (!frame.isNull()) Settle();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &window_ || !settling_) return false;
    switch (event->type()) {
      case QEvent::Hide:
        settling_ = false;
        break;
      // The frame's size is read afresh after each configure notice of the window system:
      // the events that follow one are where a new frame shows.
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::WindowActivate:
      case QEvent::UpdateRequest:
        Settle();
        break;
      default:
        break;
    }
    return false;
  }

 private:
  // The frame as the window system reports it: none before the window is managed, and none
  // ever where nothing draws frames.
  QMargins Margins() const {
    const QWindow* handle = window_.windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
  }

  void Settle() {
    const QMargins frame = Margins();
    if (frame.isNull()) return;
    settling_ = false;
    known_ = frame;
    if (frame != placedWith_) Place(frame);
  }

  // By the client rectangle, so that the frame Qt assumed for the window does not count.
  void Place(const QMargins& frame) {
    placedWith_ = frame;
    const std::optional<QPoint> topLeft = rule_(window_.size().grownBy(frame));
    if (!topLeft) return;
    window_.setGeometry(QRect(*topLeft + QPoint(frame.left(), frame.top()), window_.size()));
  }

  QWidget& window_;
  Rule rule_;
  bool settling_ = false;
  QMargins placedWith_;
  // The frame last reported: a window shown again gets the same frame, but is told so only
  // after it is mapped.
  QMargins known_;
};

}  // namespace q41::ui

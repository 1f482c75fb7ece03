#pragma once
// Zoom of the text views, in every window of the program: Ctrl with the wheel over a view, or
// Ctrl++ (also Ctrl+=, where "+" needs Shift), Ctrl+- and Ctrl+0 in the view with the
// keyboard focus, make its text larger, smaller, or as it was. Only the font changes: the view
// keeps its place and size, and whatever is measured by the font (a gutter of line numbers)
// follows it. Each view keeps its own zoom, for as long as the program runs and no longer.
//
// One filter on the application sees the keys and the wheel before any view does: a view of
// the toolkit zooms by itself on Ctrl with the wheel when it is read-only (and in points,
// which the fonts in pixels are not), scrolls when it is not, and types nothing on the keys.

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>

class QAbstractScrollArea;
class QWidget;

namespace q41::ui {

class TextZoom : public QObject {
 public:
  // The keys the zoom takes; no command of the menu may have one of them.
  static QList<QKeySequence> Keys();

  // The text view that `widget` is or belongs to (its viewport, its scroll bars, a gutter);
  // null when there is none.
  static QAbstractScrollArea* ViewOf(QWidget* widget);
  // Makes the view's text `steps` sizes larger (smaller when negative), within half and four
  // times its own size; false when it is at that end already.
  static bool Zoom(QAbstractScrollArea& view, int steps);
  // Gives the view back the font it had before its first zoom.
  static void Reset(QAbstractScrollArea& view);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A wheel that turns in small steps (a touchpad) zooms once per notch's worth of turning.
  QPointer<QAbstractScrollArea> wheelView_;
  int wheelTurned_ = 0;
};

}  // namespace q41::ui

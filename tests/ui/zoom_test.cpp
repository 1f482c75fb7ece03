// Zoom of the text views through the real windows: the keys in the view with the focus, Ctrl
// with the wheel over the view under the mouse; only that view's text changes size, and no
// control moves or changes its size.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QWheelEvent>
#include <map>
#include <random>

#include "ui/hidForm.hpp"
#include "ui/listing_window.hpp"
#include "ui/main_commands.hpp"
#include "ui/main_controls.hpp"
#include "ui/midtext.hpp"
#include "ui/reference_window.hpp"
#include "ui/style.hpp"
#include "ui/zoom.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::SetText;
using test::Started;

namespace {

double SizeOf(const QFont& font) {
  return font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF();
}

// Ctrl with the wheel turned by `delta` over `at` (in `window`'s coordinates), delivered to
// the widget there as the toolkit delivers a mouse's wheel.
void CtrlWheel(QWidget& window, QPoint at, int delta,
               Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
  QWidget* target = window.childAt(at);
  if (target == nullptr) target = &window;
  const QPoint local = target->mapFrom(&window, at);
  QWheelEvent wheel(local, target->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                    modifiers, Qt::NoScrollPhase, false);
  QApplication::sendEvent(target, &wheel);
}

// A key as the keyboard gives it: to the widget with the focus in the active window.
void KeyInFocus(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
  // The windows beside the main one are its children: a wait for the main window's activation
  // would already end while one of them is active.
  ShowInFront(*widget.window());
  QTRY_COMPARE(QApplication::activeWindow(), widget.window());
  widget.setFocus();
  QCOMPARE(QApplication::focusWidget(), &widget);
  QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
}

}  // namespace

class ZoomTest : public QObject {
  Q_OBJECT

 private slots:
  void zoomKeysAreNoCommandKeys();
  void onlyTheViewAskedZooms();
  void wheelInSmallStepsAndTheGutter();
};

void ZoomTest::zoomKeysAreNoCommandKeys() {
  for (const QKeySequence& command : CommandShortcuts()) {
    QVERIFY2(!TextZoom::Keys().contains(command), qPrintable(command.toString()));
  }
}

// Random keys and wheel turns over every text view of the windows: a zoom in makes the view's
// text larger (until four times its own size), a zoom out smaller (until half of it), Ctrl+0
// gives its own font back, the font is a function of the steps taken (in then out is where it
// was), and no other view's font and no control's place or size changes.
void ZoomTest::onlyTheViewAskedZooms() {
  Started s;
  MainControls& c = s.f.Controls();
  SetText(*c.asmText, {"start: mov #5, r0", "  jmp start", "hlt"});
  c.CompAndPreproc1->trigger();
  s.f.Tools().ShowListing();
  s.f.Tools().ShowReference();
  ShowInFront(s.program.Form2());
  THF& hf = *s.program.HF();

  QList<QAbstractScrollArea*> views = {c.asmText,
                                       c.codeText,
                                       c.fileHeader,
                                       c.Glob,
                                       s.program.Form2().compText,
                                       s.f.Tools().Listing()->text,
                                       s.f.Tools().Reference()->text,
                                       hf.panels[0].source};
  for (const THF::Panel& p : hf.panels) views << p.code;
  QList<QWidget*> placed = {c.labels, c.LineLab, c.ErrLab, c.Edit2, c.BlckCtrl};
  for (QAbstractScrollArea* v : views) placed << v;
  std::map<QWidget*, QRect> places;
  for (QWidget* w : placed) places[w] = w->geometry();
  std::map<QAbstractScrollArea*, QFont> own;
  for (QAbstractScrollArea* v : views) own[v] = v->font();

  std::map<QAbstractScrollArea*, int> level;
  std::map<std::pair<QAbstractScrollArea*, int>, QFont> fontAtLevel;
  for (QAbstractScrollArea* v : views) fontAtLevel[{v, 0}] = own[v];
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  enum Action { KeyPlus, KeyEqual, KeyMinus, KeyZero, WheelUp, WheelDown, Elsewhere };
  for (int round = 0; round < 60; ++round) {
    QAbstractScrollArea* view = views[pick(static_cast<int>(views.size()))];
    const auto action = static_cast<Action>(pick(7));
    // Now and then far enough to reach an end.
    const int times = pick(8) == 0 ? 30 + pick(10) : 1 + pick(4);
    for (int t = 0; t < times; ++t) {
      std::map<QAbstractScrollArea*, QFont> fonts;
      for (QAbstractScrollArea* v : views) fonts[v] = v->font();
      const QFont before = view->font();
      const QPoint inView = view->viewport()->mapTo(
          view->window(),
          QPoint(pick(view->viewport()->width()), pick(view->viewport()->height())));
      switch (action) {
        case KeyPlus:
          KeyInFocus(*view, Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
          break;
        case KeyEqual:
          KeyInFocus(*view, Qt::Key_Equal, Qt::ControlModifier);
          break;
        case KeyMinus:
          KeyInFocus(*view, Qt::Key_Minus, Qt::ControlModifier);
          break;
        case KeyZero:
          KeyInFocus(*view, Qt::Key_0, Qt::ControlModifier);
          break;
        case WheelUp:
        case WheelDown: {
          // One notch, at once or in the small steps of a touchpad.
          const int pieces = 1 + pick(4);
          for (int k = 0; k < pieces; ++k) {
            CtrlWheel(*view->window(), inView, (action == WheelUp ? 120 : -120) / pieces);
          }
          break;
        }
        case Elsewhere:
          // Neither a wheel without Ctrl, nor Ctrl with the wheel over the label grid, nor
          // the keys in a one-line field zoom anything.
          CtrlWheel(*view->window(), inView, 120, Qt::NoModifier);
          CtrlWheel(s.f, c.labels->geometry().center(), 120);
          KeyInFocus(*c.Edit2, Qt::Key_Equal, Qt::ControlModifier);
          KeyInFocus(*c.Edit2, Qt::Key_Minus, Qt::ControlModifier);
          break;
      }
      const QByteArray context =
          QString("seed %1, round %2, view %3, action %4")
              .arg(seed)
              .arg(round)
              .arg(view->objectName().isEmpty() ? view->metaObject()->className()
                                                : view->objectName())
              .arg(static_cast<int>(action))
              .toUtf8();
      for (QAbstractScrollArea* other : views) {
        if (other != view || action == Elsewhere) QVERIFY2(other->font() == fonts[other], context);
      }
      const double size = SizeOf(view->font());
      const double ownSize = SizeOf(own[view]);
      QVERIFY2(size >= ownSize / 2 - 0.5 && size <= ownSize * 4 + 0.5, context);
      switch (action) {
        case KeyPlus:
        case KeyEqual:
        case WheelUp:
          QVERIFY2(size > SizeOf(before) || size >= ownSize * 4 - 2, context);
          if (size > SizeOf(before)) ++level[view];
          break;
        case KeyMinus:
        case WheelDown:
          QVERIFY2(size < SizeOf(before) || size <= ownSize / 2 + 2, context);
          if (size < SizeOf(before)) --level[view];
          break;
        case KeyZero:
          QVERIFY2(view->font() == own[view], context);
          level[view] = 0;
          break;
        case Elsewhere:
          break;
      }
      const auto seen = fontAtLevel.try_emplace({view, level[view]}, view->font());
      QVERIFY2(seen.first->second == view->font(), context);
      for (QWidget* w : placed) QVERIFY2(w->geometry() == places[w], context);
    }
  }
}

// A wheel that turns in small steps zooms once for each notch's worth, as a key does once;
// over the line numbers too, whose gutter grows with the font and shrinks back.
void ZoomTest::wheelInSmallStepsAndTheGutter() {
  Started s;
  AsmEditor& editor = *s.f.Controls().asmText;
  const QFont own = editor.font();
  const int width = editor.GutterWidth();
  KeyInFocus(editor, Qt::Key_Equal, Qt::ControlModifier);
  const QFont oneStep = editor.font();
  KeyInFocus(editor, Qt::Key_0, Qt::ControlModifier);
  QCOMPARE(editor.font(), own);
  const QPoint gutter = editor.mapTo(&s.f, QPoint(editor.frameWidth() + 2, 20));
  CtrlWheel(s.f, gutter, 40);
  CtrlWheel(s.f, gutter, 40);
  QCOMPARE(editor.font(), own);
  CtrlWheel(s.f, gutter, 40);
  QCOMPARE(editor.font(), oneStep);
  for (int k = 0; k < 3; ++k) CtrlWheel(s.f, gutter, 120);
  QApplication::processEvents();
  QVERIFY(editor.GutterWidth() > width);
  QCOMPARE(editor.viewport()->x() - editor.frameWidth(), editor.GutterWidth());
  KeyInFocus(editor, Qt::Key_0, Qt::ControlModifier);
  QCOMPARE(editor.GutterWidth(), width);
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::ZoomTest)
#include "zoom_test.moc"

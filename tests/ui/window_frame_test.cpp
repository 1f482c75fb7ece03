// The windows' places under a real window manager. The manager frames a window only after the
// window is mapped and reports the frame later still, which Qt's offscreen platform never does;
// so this runs on the xcb platform, under tests/ui/under_window_manager.sh (Xvfb and openbox).

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <xcb/xcb.h>

#include "ui/app/application.hpp"
#include "ui/main/hidForm.hpp"
#include "ui/main/mainform.hpp"
#include "ui/main/midtext.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::Started;

namespace {

// The manager answers within milliseconds; only a failing check waits this long.
constexpr int Patience = 5000;

bool FrameKnown(const QWidget& w) {
  return w.frameGeometry().size() != w.size();
}

// Twice the distance of the frame's centre from the screen's: 0, or 1 where a size is odd.
QPoint OffCentre(const QWidget& w) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const QRect frame = w.frameGeometry();
  return {2 * (frame.left() - screen.left()) + frame.width() - screen.width(),
          2 * (frame.top() - screen.top()) + frame.height() - screen.height()};
}

bool Centred(const QWidget& w) {
  const QPoint off = OffCentre(w);
  return w.isVisible() && FrameKnown(w) && std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1;
}

QPoint Rule(const TForm2& f2, const TForm1& f1) {
  const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
  return TForm2::Placement(f1.frameGeometry(), f2.frameGeometry().size(), screenWidth);
}

bool PlacedByRule(const TForm2& f2, const TForm1& f1) {
  return f2.isVisible() && FrameKnown(f2) && f2.frameGeometry().topLeft() == Rule(f2, f1);
}

// Waits until the window has its frame and the manager has stopped moving it.
bool Settled(const QWidget& w) {
  const QDeadlineTimer deadline(Patience);
  QRect before;
  while (!deadline.hasExpired()) {
    const QRect now = w.frameGeometry();
    if (FrameKnown(w) && now == before) return true;
    before = now;
    QTest::qWait(150);
  }
  return false;
}

QString Where(const QWidget& w) {
  const QRect frame = w.frameGeometry();
  return QString("frame %1,%2 %3x%4, client %5,%6")
      .arg(frame.x())
      .arg(frame.y())
      .arg(frame.width())
      .arg(frame.height())
      .arg(w.geometry().x())
      .arg(w.geometry().y());
}

// What the window manager says of a window, read from the X server the windows are on.
class Xserver {
 public:
  Xserver() : x_(qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection()) {}

  // The actions the manager offers for `w` (_NET_WM_ALLOWED_ACTIONS), by name; none before it
  // manages the window.
  QStringList AllowedActions(const QWidget& w) const {
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            x_,
            xcb_get_property(x_, 0, Id(w), Atom("_NET_WM_ALLOWED_ACTIONS"), XCB_ATOM_ATOM, 0, 64),
            nullptr),
        &std::free);
    QStringList names;
    if (!reply || reply->format != 32) return names;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i) names << Name(atoms[i]);
    return names;
  }

  // Asks the manager to maximise `w` as a taskbar or a pager asks it.
  void AskToMaximise(const QWidget& w) const {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = Id(w);
    message.type = Atom("_NET_WM_STATE");
    message.data.data32[0] = 1;  // add
    message.data.data32[1] = Atom("_NET_WM_STATE_MAXIMIZED_HORZ");
    message.data.data32[2] = Atom("_NET_WM_STATE_MAXIMIZED_VERT");
    message.data.data32[3] = 2;  // a pager's request, which stands for the user's own
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x_)).data->root;
    xcb_send_event(x_, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(x_);
  }

 private:
  template <typename T>
  using Reply = std::unique_ptr<T, decltype(&std::free)>;

  static xcb_window_t Id(const QWidget& w) { return static_cast<xcb_window_t>(w.winId()); }

  xcb_atom_t Atom(const char* name) const {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(x_, xcb_intern_atom(x_, 0, std::strlen(name), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  }

  QString Name(xcb_atom_t atom) const {
    const Reply<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(x_, xcb_get_atom_name(x_, atom), nullptr), &std::free);
    if (!reply) return {};
    return QString::fromLatin1(xcb_get_atom_name_name(reply.get()),
                               xcb_get_atom_name_name_length(reply.get()));
  }

  xcb_connection_t* x_;
};

}  // namespace

class WindowFrameTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void mainWindowCentredByItsFrame();
  void compileTextWindowByTheRuleFromItsFirstShowing();
  void movedWindowsStayWhereTheyAreMoved();
  void minimisedWindowsComeBackInFront();
  void noWindowCanBeMaximised();
  void noticeAtTheCaretOutlivesThePointerBeneathIt();
};

void WindowFrameTest::initTestCase() {
  // Elsewhere the frames would be nobody's, and the checks below would prove nothing.
  QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
}

void WindowFrameTest::mainWindowCentredByItsFrame() {
  Started s(Language::English);
  QVERIFY2(QTest::qWaitFor([&] { return FrameKnown(s.f); }, Patience),
           "no frame: is a window manager running?");
  const bool centred = QTest::qWaitFor([&] { return Centred(s.f); }, Patience);
  const QPoint off = OffCentre(s.f);
  QVERIFY2(centred, qPrintable(QString("off centre by %1,%2 half-pixels; %3")
                                   .arg(off.x())
                                   .arg(off.y())
                                   .arg(Where(s.f))));
  // And it stays there: nothing late moves it again.
  const QRect settled = s.f.frameGeometry();
  QTest::qWait(300);
  QCOMPARE(s.f.frameGeometry(), settled);
}

void WindowFrameTest::compileTextWindowByTheRuleFromItsFirstShowing() {
  Started s(Language::English);
  TForm2& f2 = s.program.Form2();
  QVERIFY(Settled(s.f));
  const QRect mainFrame = s.f.frameGeometry();

  s.w.Choose(&MainControls::CompText1);
  const bool placed = QTest::qWaitFor([&] { return PlacedByRule(f2, s.f); }, Patience);
  QVERIFY2(placed, qPrintable(QString("first showing: %1; the rule says %2,%3")
                                  .arg(Where(f2))
                                  .arg(Rule(f2, s.f).x())
                                  .arg(Rule(f2, s.f).y())));
  const QRect first = f2.frameGeometry();
  QTest::qWait(300);
  QCOMPARE(f2.frameGeometry(), first);

  // Shown again, it stands where it stood: the window does not jump between showings.
  f2.close();
  QVERIFY(QTest::qWaitFor([&] { return !f2.isVisible(); }, Patience));
  QTest::qWait(100);
  s.w.Choose(&MainControls::CompText1);
  QVERIFY(QTest::qWaitFor([&] { return PlacedByRule(f2, s.f); }, Patience));
  QTest::qWait(300);
  QCOMPARE(f2.frameGeometry(), first);
  QCOMPARE(s.f.frameGeometry(), mainFrame);
}

void WindowFrameTest::movedWindowsStayWhereTheyAreMoved() {
  Started s(Language::English);
  TForm2& f2 = s.program.Form2();
  QVERIFY(Settled(s.f));

  // Once the frame is known the windows are the user's: a move is not undone.
  const QPoint mainTarget = s.f.frameGeometry().topLeft() + QPoint(40, 30);
  s.f.move(mainTarget);
  QVERIFY(QTest::qWaitFor([&] { return s.f.frameGeometry().topLeft() == mainTarget; }, Patience));
  QTest::qWait(300);
  QCOMPARE(s.f.frameGeometry().topLeft(), mainTarget);

  // The compile-text window follows the moved main window's height.
  s.w.Choose(&MainControls::CompText1);
  QVERIFY(QTest::qWaitFor([&] { return PlacedByRule(f2, s.f); }, Patience));
  QTest::qWait(300);
  const QPoint ownTarget = f2.frameGeometry().topLeft() + QPoint(25, -15);
  f2.move(ownTarget);
  QVERIFY(QTest::qWaitFor([&] { return f2.frameGeometry().topLeft() == ownTarget; }, Patience));
  QTest::qWait(300);
  QCOMPARE(f2.frameGeometry().topLeft(), ownTarget);
  QCOMPARE(s.f.frameGeometry().topLeft(), mainTarget);
}

// F3 and the return button bring a window to the front: from an icon too.
void WindowFrameTest::minimisedWindowsComeBackInFront() {
  Started s;
  THF& hf = *s.program.HF();
  auto minimised = [](QWidget& w) {
    w.showMinimized();
    return QTest::qWaitFor([&] { return w.isMinimized() && !w.isActiveWindow(); }, Patience);
  };
  QVERIFY(minimised(hf));
  s.f.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&s.f, Patience));
  s.w.Choose(&MainControls::AllBlocks1);
  QVERIFY(QTest::qWaitForWindowActive(&hf, Patience));
  QTRY_VERIFY_WITH_TIMEOUT(!hf.isMinimized(), Patience);
  QVERIFY(minimised(s.f));
  QTest::mouseClick(hf.returnButton, Qt::LeftButton);
  QVERIFY(QTest::qWaitForWindowActive(&s.f, Patience));
  QTRY_VERIFY_WITH_TIMEOUT(!s.f.isMinimized(), Patience);
}

// Each window has the one size its controls are laid out for: the manager offers neither
// maximise nor resize for any of them, and a maximise asked for all the same changes no frame.
void WindowFrameTest::noWindowCanBeMaximised() {
  Started s(Language::English);
  s.w.Choose(&MainControls::CompText1);
  const Xserver x;
  for (QWidget* w : {static_cast<QWidget*>(&s.f), static_cast<QWidget*>(&s.program.Form2()),
                     static_cast<QWidget*>(s.program.HF())}) {
    const QString name = w->objectName();
    QVERIFY2(Settled(*w), qPrintable(name));
    // Moving is offered to every managed window: until then the list proves nothing.
    QVERIFY2(QTest::qWaitFor([&] { return x.AllowedActions(*w).contains("_NET_WM_ACTION_MOVE"); },
                             Patience),
             qPrintable(name + ": the manager offers no actions"));
    for (const QString& action : x.AllowedActions(*w)) {
      QVERIFY2(!action.contains("MAXIMIZE") && action != "_NET_WM_ACTION_RESIZE",
               qPrintable(name + " offers " + action));
    }
    const QRect frame = w->frameGeometry();
    x.AskToMaximise(*w);
    const bool changed =
        QTest::qWaitFor([&] { return w->isMaximized() || w->frameGeometry() != frame; }, 500);
    QVERIFY2(!changed, qPrintable(name + " maximised: " + Where(*w)));
  }
}

// The notice of characters that became "?" comes up below the caret. Where the mouse pointer
// rests there, the notice must not come up under it: the toolkit takes the pointer leaving the
// editor for the user moving on and hides the notice before anyone sees it.
void WindowFrameTest::noticeAtTheCaretOutlivesThePointerBeneathIt() {
  Started s(Language::English);
  QVERIFY(Settled(s.f));
  s.f.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&s.f, Patience));
  QPlainTextEdit& editor = s.w.SourceEditor();
  editor.setFocus();
  editor.moveCursor(QTextCursor::End);
  const QRect caret = editor.inputMethodQuery(Qt::ImCursorRectangle).toRect();
  QCursor::setPos(editor.mapToGlobal(caret.bottomLeft() + QPoint(30, 26)));
  QTRY_COMPARE_WITH_TIMEOUT(QCursor::pos(), editor.mapToGlobal(caret.bottomLeft() + QPoint(30, 26)),
                            Patience);
  QTest::qWait(200);

  QKeyEvent lambda(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(0x3BB)));
  QApplication::sendEvent(&editor, &lambda);
  QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), Patience);
  QTest::qWait(500);
  QVERIFY2(QToolTip::isVisible(), "the notice went as soon as it came");
  QVERIFY(QToolTip::text().contains("U+03BB"));
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::WindowFrameTest)
#include "window_frame_test.moc"

// Zoom of the text views and the colours of the editors, through the real windows.

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QWheelEvent>
#include <map>
#include <random>

#include "ui/app/style.hpp"
#include "ui/app/zoom.hpp"
#include "ui/main/hidForm.hpp"
#include "ui/main/main_commands.hpp"
#include "ui/main/main_controls.hpp"
#include "ui/main/midtext.hpp"
#include "ui/tools/listing_window.hpp"
#include "ui/tools/reference_window.hpp"
#include "ui_support.hpp"

namespace q41::ui {

using test::SetText;
using test::Started;

namespace {

// The colour drawn on the row of `editor` at `x` (its left edge when negative: the gutter).
QColor Drawn(AsmEditor& editor, int row, int x) {
  QApplication::processEvents();  // the editor recolours from the event loop
  const QTextCursor at(editor.document()->findBlockByNumber(row));
  const int y = editor.viewport()->y() + editor.cursorRect(at).center().y();
  return editor.grab().toImage().pixelColor(x < 0 ? editor.frameWidth() + 2 : x, y);
}

}  // namespace

class ZoomTest : public QObject {
  Q_OBJECT

 private slots:
  void onlyTheViewAskedZooms();
  void everyColourReadsOnItsBackgrounds();
  void darkDesktopGetsTheDarkSet();
  void lampsAndPanelsFollowThePalette();
};

// Each zoom key in the view with the focus and Ctrl with the wheel over the view under the
// mouse (a notch at once or in a touchpad's small steps), on views of the three windows at
// random: only that view's font changes, its size is a function of the steps taken within half
// and four times its own, Ctrl+0 gives its own font back, and no control moves.
void ZoomTest::onlyTheViewAskedZooms() {
  for (const QKeySequence& key : TextZoom::Keys()) QVERIFY(!CommandShortcuts().contains(key));
  Started s;
  test::MainWindow& w = s.w;
  s.f.Tools().ShowListing();
  s.f.Tools().ShowReference();
  QList<QAbstractScrollArea*> views = {&w.SourceEditor(), &w.CodeView(), &w.HeaderEditor(),
                                       &w.GlobalsEditor()};
  views << &s.compileText.TextView() << s.f.Tools().Listing()->text << s.f.Tools().Reference()->text
        << &s.blocks.SourceEditor(0);
  for (const THF::Panel& p : s.program.HF()->panels) views << p.code;
  auto looks = [&] {
    QList<std::pair<QFont, QRect>> all;
    for (QAbstractScrollArea* v : views) all.append({v->font(), v->geometry()});
    return all;
  };
  const auto size = [](const QFont& f) { return QFontInfo(f).pixelSize(); };
  std::map<std::pair<int, int>, QFont> fontAt;  // by view and steps taken
  for (int i = 0; i < views.size(); ++i) fontAt[{i, 0}] = views[i]->font();
  std::map<int, int> steps;
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  const Qt::Key keys[] = {Qt::Key_Plus, Qt::Key_Equal, Qt::Key_0, Qt::Key_Minus};
  for (int round = 0; round < 300; ++round) {
    const int i = pick(static_cast<int>(views.size())), action = pick(6);
    QAbstractScrollArea* view = views[i];
    QWidget* window = view->window();
    const auto before = looks();
    ShowInFront(*window);
    QTRY_COMPARE(QApplication::activeWindow(), window);
    if (action < 4) {
      view->setFocus();
      QTest::keyClick(static_cast<QWidget*>(nullptr), keys[action],
                      Qt::ControlModifier | (action == 0 ? Qt::ShiftModifier : Qt::NoModifier));
    } else {
      const QPoint at(pick(view->viewport()->width()), pick(view->viewport()->height()));
      for (int k = 0, pieces = 1 + pick(3); k < pieces; ++k) {
        QWheelEvent e(at, view->viewport()->mapToGlobal(at), {},
                      QPoint(0, (action == 4 ? 120 : -120) / pieces), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window->childAt(view->viewport()->mapTo(window, at)), &e);
      }
    }
    const QByteArray context = QString("seed %1, round %2").arg(seed).arg(round).toUtf8();
    const int up = action == 3 || action == 5 ? -1 : 1;
    const int own = size(fontAt[{i, 0}]);
    const int was = size(before[i].first);
    if (action == 2) {
      steps[i] = 0;
    } else if (size(view->font()) != was) {
      QVERIFY2((size(view->font()) - was) * up > 0, context);
      steps[i] += up;
    } else {
      QVERIFY2(size(view->font()) >= own * 4 - 2 || size(view->font()) <= own / 2 + 1, context);
    }
    QVERIFY2(fontAt.try_emplace({i, steps[i]}, view->font()).first->second == view->font(),
             context);
    // No other view's font changes, and no view moves or changes its size.
    auto after = looks();
    after[i].first = before[i].first;
    QVERIFY2(after == before, context);
    QCOMPARE(w.SourceEditor().viewport()->x() - w.SourceEditor().frameWidth(),
             w.SourceEditor().GutterWidth());
  }
}

// Every text colour against every background it is drawn on, in both sets, at the contrast
// ratio of 4.5 to 1 or better; the check's marks, which are no text, at 3 to 1.
void ZoomTest::everyColourReadsOnItsBackgrounds() {
  QStringList shortOnes;
  for (const EditorColours* set : {&LightColours(), &DarkColours()}) {
    QList<std::tuple<QColor, QColor, double>> pairs = {{set->gutterNumber, set->gutter, 4.5},
                                                       {set->gutterCaretNumber, set->gutter, 4.5},
                                                       {set->markNumber, set->mark, 4.5}};
    for (const QColor& mark : {set->fault, set->warning}) pairs.append({mark, set->gutter, 3});
    // The window's background is somewhere between the paper and the gutter.
    for (const QColor& back : {set->paper, set->gutter}) pairs.append({set->errorText, back, 4.5});
    for (const QColor& back : {set->paper, set->caretLine, set->link}) {
      pairs.append({set->ink, back, 4.5});
      for (const QColor& mark : {set->fault, set->warning}) pairs.append({mark, back, 3});
      for (int k = 0; k <= static_cast<int>(SyntaxKind::Comment); ++k) {
        pairs.append({set->Token(static_cast<SyntaxKind>(k)).colour, back, 4.5});
      }
    }
    for (SyntaxKind name :
         {SyntaxKind::LabelDefinition, SyntaxKind::LabelUse, SyntaxKind::ConstantDefinition}) {
      pairs.append({set->Token(name).colour, set->use, 4.5});
    }
    for (const auto& [fore, back, least] : pairs) {
      const double ratio = ContrastRatio(fore, back);
      if (ratio < least)
        shortOnes << QString("%1 on %2: %3").arg(fore.name(), back.name()).arg(ratio, 0, 'f', 2);
    }
  }
  QCOMPARE(shortOnes, QStringList());
}

// On a dark desktop the source editor draws the dark set: the link to the code, the caret's
// line, the gutter, the fault's mark and the words; the desktop turned light, the light one.
void ZoomTest::darkDesktopGetsTheDarkSet() {
  const QPalette light = QApplication::palette();
  QApplication::setPalette(QPalette(QColor(0x35, 0x35, 0x35)));
  {
    Started s;
    AsmEditor& editor = s.w.SourceEditor();
    const int right = editor.viewport()->x() + editor.viewport()->width() - 4;
    SetText(editor, {"start: mov #5, r0", "  jmp start", "hlt"});
    s.w.Choose(&MainControls::CompAndPreproc1);
    QPlainTextEdit& code = s.w.CodeView();
    QTest::mouseClick(code.viewport(), Qt::LeftButton, {},
                      code.cursorRect(QTextCursor(code.document()->findBlockByNumber(1))).center());
    QCOMPARE(Drawn(editor, 1, right), DarkColours().link);
    QVERIFY(s.f.grab().save(test::ScreenshotPath("dark_desktop")));
    SetText(editor, {"nop", "jmp nowhere", "hlt"});
    s.w.Choose(&MainControls::CompAndPreproc1);
    for (const EditorColours* set : {&DarkColours(), &LightColours()}) {
      if (set == &LightColours()) QApplication::setPalette(light);
      QCOMPARE(Drawn(editor, 1, right), set->caretLine);
      QCOMPARE(Drawn(editor, 1, -1), set->mark);
      QCOMPARE(Drawn(editor, 2, -1), set->gutter);
      const auto words = editor.extraSelections();
      const auto nop = std::find_if(words.begin(), words.end(),
                                    [](const auto& w) { return w.cursor.selectedText() == "nop"; });
      QVERIFY(nop != words.end());
      QCOMPARE(nop->format.foreground().color(), set->mnemonic.colour);
      QVERIFY(test::Shows(s.f.grab().toImage(), s.f, s.w.FaultStatusLabel(), set->errorText));
    }
  }
  QApplication::setPalette(light);
}

// The desktop turned dark and light again: the lamps of blocks that do not exist let the
// frame show through in either palette (they once kept the light frame's colour and showed
// as light boxes on the dark window), the shown ones keep their colours and state, and the
// all-blocks window's editors draw the set of the moment.
void ZoomTest::lampsAndPanelsFollowThePalette() {
  const QPalette light = QApplication::palette();
  {
    Started s;
    test::MainWindow& w = s.w;
    w.AddBlockButton().click();
    w.Choose(&MainControls::CompAll1);
    AsmEditor& panel = s.blocks.SourceEditor(0);
    for (const EditorColours* set : {&DarkColours(), &LightColours()}) {
      QApplication::setPalette(set == &DarkColours() ? QPalette(QColor(0x35, 0x35, 0x35)) : light);
      QApplication::processEvents();
      const QImage shown = s.f.grab().toImage();
      // Between the lamps of blocks 0 and 1 the frame shows as it is.
      const QColor frame = shown.pixelColor(w.LampGroup().mapTo(&s.f, QPoint(32, 58)));
      QCOMPARE(IsDark(QApplication::palette()), set == &DarkColours());
      QCOMPARE(frame.lightness() < 128, set == &DarkColours());
      QCOMPARE(test::ColourAt(shown, s.f, w.LampOf(0)), QColor(0, 255, 0));
      QCOMPARE(w.LampOf(0).accessibleName(), QString("Block 0: compiled"));
      QVERIFY(test::ColourAt(shown, s.f, w.LampOf(1)) != frame);
      for (int k = 2; k < 6; ++k) {
        QCOMPARE(test::ColourAt(shown, s.f, w.LampOf(k)), frame);
        QCOMPARE(w.LampColour(k), LampColorOf(LampColor::Hidden, w.LampGroup()));
        QCOMPARE(w.LampOf(k).accessibleName(), QString());
      }
      QCOMPARE(Drawn(panel, 0, -1), set->gutter);
    }
  }
  QApplication::setPalette(light);
}

}  // namespace q41::ui

QTEST_MAIN(q41::ui::ZoomTest)
#include "zoom_test.moc"

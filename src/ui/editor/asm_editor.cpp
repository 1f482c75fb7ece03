#include "ui/editor/asm_editor.hpp"

#include <QHelpEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>

#include "language/tokens.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/style.hpp"

namespace q41::ui {
namespace {

QTextCharFormat FormatOf(const TokenLook& look) {
  QTextCharFormat f;
  f.setForeground(look.colour);
  if (look.bold) f.setFontWeight(QFont::Bold);
  if (look.italic) f.setFontItalic(true);
  return f;
}

// A small arrow pointing at the line, in the pen's colour, filling `area`.
void DrawMarkArrow(QPainter& painter, const QRect& area) {
  const QPointF tip(area.right() + 1, area.center().y() + 0.5);
  const QPointF points[3] = {{static_cast<qreal>(area.left()), tip.y() - 3.5},
                             tip,
                             {static_cast<qreal>(area.left()), tip.y() + 3.5}};
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(painter.pen().color());
  painter.setPen(Qt::NoPen);
  painter.drawPolygon(points, 3);
  painter.restore();
}

}  // namespace

class AsmEditor::Gutter : public QWidget {
 public:
  explicit Gutter(AsmEditor* editor) : QWidget(editor), editor_(editor) {}
  QSize sizeHint() const override { return {editor_->GutterWidth(), 0}; }

 protected:
  void paintEvent(QPaintEvent* event) override { editor_->PaintGutter(event); }
  // A line's mark tells its message.
  bool event(QEvent* event) override {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString message = editor_->DiagnosticAt(editor_->GutterLineAt(help->pos().y()));
    if (message.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), message, this);
    }
    return true;
  }

 private:
  AsmEditor* editor_;
};

AsmEditor::AsmEditor(QWidget* parent, bool numbered) : Memo(parent), numbered_(numbered) {
  if (numbered_) {
    gutter_ = new Gutter(this);
    gutter_->setObjectName("gutter");
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] {
      UpdateGutterWidth();
      FollowMark();
    });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
      if (dy != 0) {
        gutter_->scroll(0, dy);
      } else {
        gutter_->update(0, rect.y(), gutter_->width(), rect.height());
      }
    });
    UpdateGutterWidth();
  }
  // The refresh waits for the event loop: these signals also come while the document is
  // being changed, when its blocks cannot be read.
  refreshTimer_.setSingleShot(true);
  refreshTimer_.setInterval(0);
  connect(&refreshTimer_, &QTimer::timeout, this, [this] { Refresh(); });
  for (auto signal : {&QPlainTextEdit::cursorPositionChanged, &QPlainTextEdit::textChanged}) {
    connect(this, signal, &refreshTimer_, qOverload<>(&QTimer::start));
  }
  connect(this, &QPlainTextEdit::updateRequest, &refreshTimer_, qOverload<>(&QTimer::start));
  // A desktop turned dark or light: the colours follow.
  connect(&PaletteWatch::Get(), &PaletteWatch::Changed, this, [this] {
    shown_ = {};
    refreshTimer_.start();
    if (gutter_ != nullptr) gutter_->update();
  });
}

int AsmEditor::GutterWidth() const {
  if (!numbered_) return 0;
  int digits = 1;
  for (int n = std::max(1, blockCount()); n >= 10; n /= 10) ++digits;
  return 10 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 2);
}

void AsmEditor::UpdateGutterWidth() {
  setViewportMargins(GutterWidth(), 0, 0, 0);
  if (gutter_ != nullptr) {
    const QRect r = contentsRect();
    gutter_->setGeometry(r.left(), r.top(), GutterWidth(), r.height());
  }
}

void AsmEditor::changeEvent(QEvent* event) {
  Memo::changeEvent(event);
  // The numbers' width follows the font.
  if (event->type() == QEvent::FontChange && numbered_) UpdateGutterWidth();
}

void AsmEditor::resizeEvent(QResizeEvent* event) {
  Memo::resizeEvent(event);
  if (numbered_) UpdateGutterWidth();
}

void AsmEditor::SetMarkedLine(int line) {
  markedLine_ = std::max(line, 0);
  mark_ = QTextCursor();
  AnchorMark();
  if (gutter_ != nullptr) gutter_->update();
}

void AsmEditor::AnchorMark() {
  if (markedLine_ == 0 || (!mark_.isNull() && mark_.document() == document())) return;
  const QTextBlock block = document()->findBlockByNumber(markedLine_ - 1);
  mark_ = block.isValid() ? QTextCursor(block) : QTextCursor();
}

// A line's number changes only when lines come or go, and the document is whole again when
// its count of lines is told.
void AsmEditor::FollowMark() {
  AnchorMark();
  if (mark_.isNull()) return;
  const int line = mark_.blockNumber() + 1;
  if (line == markedLine_) return;
  markedLine_ = line;
  if (gutter_ != nullptr) gutter_->update();
  emit MarkedLineMoved(line);
}

// Whatever changed what the editor shows (a new document installed with its signals
// blocked among it), the gutter and the colours follow once the text is painted.
void AsmEditor::paintEvent(QPaintEvent* event) {
  Memo::paintEvent(event);
  refreshTimer_.start();
}

void AsmEditor::SetHighlights(QList<QTextEdit::ExtraSelection> highlights) {
  highlights_ = std::move(highlights);
  ++highlightsGeneration_;
  refreshTimer_.start();
}

void AsmEditor::SetNameUses(QList<QTextEdit::ExtraSelection> uses) {
  uses_ = std::move(uses);
  ++highlightsGeneration_;
  refreshTimer_.start();
}

void AsmEditor::SetDiagnostics(const QList<Diagnostic>& diagnostics) {
  diagnostics_.clear();
  for (const Diagnostic& d : diagnostics) {
    const QTextBlock block = document()->findBlockByNumber(d.line - 1);
    if (!block.isValid()) continue;
    QTextCursor text(block);
    const int end = std::min(d.start + std::max(d.length, 1), block.length() - 1);
    text.setPosition(block.position() + std::min(d.start, end));
    text.setPosition(block.position() + end, QTextCursor::KeepAnchor);
    diagnostics_.push_back({text, d.message, d.warning});
  }
  ++highlightsGeneration_;
  refreshTimer_.start();
  if (gutter_ != nullptr) gutter_->update();
}

QString AsmEditor::DiagnosticAt(int line, int column) const {
  for (const Mark& m : diagnostics_) {
    if (m.text.block().blockNumber() + 1 != line) continue;
    const int start = m.text.selectionStart() - m.text.block().position();
    const int end = m.text.selectionEnd() - m.text.block().position();
    if (column < 0 || (column >= start && column <= end)) return m.message;
  }
  return {};
}

int AsmEditor::GutterLineAt(int y) const {
  for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
    const QRectF r = blockBoundingGeometry(block).translated(contentOffset());
    if (r.top() > y) break;
    if (y < r.bottom()) return block.blockNumber() + 1;
  }
  return 0;
}

void AsmEditor::PaintGutter(QPaintEvent* event) {
  const EditorColours& colours = CurrentColours();
  QPainter painter(gutter_);
  painter.fillRect(event->rect(), colours.gutter);
  painter.setFont(font());
  const int caretLine = textCursor().blockNumber();
  QTextBlock block = firstVisibleBlock();
  int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
  while (block.isValid() && top <= event->rect().bottom()) {
    const int height = qRound(blockBoundingRect(block).height());
    if (block.isVisible() && top + height >= event->rect().top()) {
      const int number = block.blockNumber() + 1;
      const QRect cell(0, top, gutter_->width() - 5, fontMetrics().height());
      const bool marked = number == markedLine_;
      if (marked) {
        painter.fillRect(QRect(0, top, gutter_->width(), height), colours.mark);
        painter.setPen(colours.markNumber);
        DrawMarkArrow(painter, QRect(cell.right() + 1, top, 4, cell.height()));
      } else {
        painter.setPen(block.blockNumber() == caretLine ? colours.gutterCaretNumber
                                                        : colours.gutterNumber);
      }
      // The fault's line is told by its number's weight and the arrow as well as by colour.
      QFont face = font();
      face.setBold(marked);
      painter.setFont(face);
      painter.drawText(cell, Qt::AlignRight | Qt::AlignVCenter, QString::number(number));
      for (const Mark& m : diagnostics_) {
        if (m.text.block() != block) continue;
        // A dot at the gutter's left edge, beside the number: the last compile's mark may
        // fill the same line's cell.
        const int size = std::max(4, fontMetrics().height() / 3);
        painter.setBrush(m.warning ? colours.warning : colours.fault);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRect(1, top + (fontMetrics().height() - size) / 2, size, size));
        break;
      }
    }
    top += height;
    block = block.next();
  }
}

// The caret's line, the other features' highlights, the check's marks, then the colours of
// the lines first to last: a mark's underline stays under the colour drawn over it.
QList<QTextEdit::ExtraSelection> AsmEditor::Selections(const QTextBlock& first,
                                                       const QTextBlock& last) const {
  const EditorColours& colours = CurrentColours();
  QList<QTextEdit::ExtraSelection> selections;
  QTextEdit::ExtraSelection caretLine;
  caretLine.format.setBackground(colours.caretLine);
  caretLine.format.setProperty(QTextFormat::FullWidthSelection, true);
  caretLine.cursor = textCursor();
  caretLine.cursor.clearSelection();
  selections.push_back(caretLine);
  // A null cursor has no document to ask for.
  const auto here = [this](const QTextCursor& c) {
    return !c.isNull() && c.document() == document();
  };
  for (QTextEdit::ExtraSelection use : uses_) {
    if (!here(use.cursor)) continue;
    use.format.setBackground(colours.use);
    // Seen without the colour too: a dotted line under each use.
    use.format.setUnderlineStyle(QTextCharFormat::DotLine);
    selections.push_back(use);
  }
  for (const QTextEdit::ExtraSelection& h : highlights_) {
    if (here(h.cursor)) selections.push_back(h);
  }
  for (const Mark& m : diagnostics_) {
    if (!here(m.text)) continue;
    QTextEdit::ExtraSelection s;
    s.cursor = m.text;
    s.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    s.format.setUnderlineColor(m.warning ? colours.warning : colours.fault);
    selections.push_back(s);
  }
  if (first.isValid()) {
    for (QTextBlock b = first;; b = b.next()) {
      // Of a very long line only the start is coloured: its far end is out of sight, and a
      // colour for each of a hundred thousand words would cost seconds.
      const std::string bytes = FromQt(QStringView(b.text()).left(LongestShownLine));
      for (const SyntaxSpan& span : LineTokens(bytes)) {
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(b);
        s.cursor.setPosition(b.position() + span.start);
        s.cursor.setPosition(b.position() + span.start + span.length, QTextCursor::KeepAnchor);
        s.format = FormatOf(colours.Token(span.kind));
        selections.push_back(s);
      }
      if (b == last) break;
    }
  }
  return selections;
}

void AsmEditor::Refresh() {
  AnchorMark();
  // Placing a selection's ends on a long line is cheap only while its shaped text is kept.
  HoldLongLines();
  // The lines on screen.
  QTextBlock first = firstVisibleBlock();
  QTextBlock last = first;
  const int bottom = viewport()->height();
  for (QTextBlock b = first; b.isValid(); b = b.next()) {
    last = b;
    if (blockBoundingGeometry(b).translated(contentOffset()).bottom() >= bottom) break;
  }
  const Shown now{document(),
                  blockCount(),
                  markedLine_,
                  first.blockNumber(),
                  last.blockNumber(),
                  document()->revision(),
                  textCursor().blockNumber(),
                  highlightsGeneration_};
  if (now == shown_) return;
  const bool newBlockCount = now.blocks != shown_.blocks;
  shown_ = now;
  if (gutter_ != nullptr) {
    if (newBlockCount) UpdateGutterWidth();
    gutter_->update();
  }

  setExtraSelections(Selections(first, last));
}

}  // namespace q41::ui

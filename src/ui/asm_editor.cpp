#include "ui/asm_editor.hpp"

#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

#include "language/tokens.hpp"

namespace q41::ui {
namespace {

// Colours that read well on the white background; definitions and directives in bold.
QTextCharFormat FormatOf(SyntaxKind kind) {
  struct Look {
    QRgb colour;
    bool bold = false;
    bool italic = false;
  };
  Look look{};
  switch (kind) {
    case SyntaxKind::Mnemonic:
      look = {0x0000A0, true};
      break;
    case SyntaxKind::Register:
      look = {0x800080};
      break;
    case SyntaxKind::Number:
      look = {0xA03000};
      break;
    case SyntaxKind::Text:
      look = {0x007000};
      break;
    case SyntaxKind::LabelDefinition:
      look = {0x006090, true};
      break;
    case SyntaxKind::LabelUse:
      look = {0x006090};
      break;
    case SyntaxKind::ConstantDefinition:
      look = {0x805000, true};
      break;
    case SyntaxKind::ReservedWords:
      look = {0xB05000, true};
      break;
    case SyntaxKind::Comment:
      look = {0x707070, false, true};
      break;
  }
  QTextCharFormat f;
  f.setForeground(QColor(look.colour));
  if (look.bold) f.setFontWeight(QFont::Bold);
  if (look.italic) f.setFontItalic(true);
  return f;
}

const QColor CaretLineColour(0xF2, 0xF5, 0xFF);
constexpr int ColouredLength = 4000;
const QColor MarkColour(0xC0, 0x00, 0x00);
const QColor FaultColour(0xE0, 0x00, 0x00);
const QColor WarningColour(0xD0, 0x80, 0x00);
const QColor UseColour(0xE4, 0xE4, 0xE4);

}  // namespace

class AsmEditor::Gutter : public QWidget {
 public:
  explicit Gutter(AsmEditor* editor) : QWidget(editor), editor_(editor) {}
  QSize sizeHint() const override { return {editor_->GutterWidth(), 0}; }

 protected:
  void paintEvent(QPaintEvent* event) override { editor_->PaintGutter(event); }

 private:
  AsmEditor* editor_;
};

AsmEditor::AsmEditor(QWidget* parent, bool numbered) : Memo(parent), numbered_(numbered) {
  if (numbered_) {
    gutter_ = new Gutter(this);
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
  for (QTextEdit::ExtraSelection& use : uses_) use.format.setBackground(UseColour);
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
  QPainter painter(gutter_);
  painter.fillRect(event->rect(), QColor(0xF0, 0xF0, 0xF0));
  painter.setFont(font());
  const int caretLine = textCursor().blockNumber();
  QTextBlock block = firstVisibleBlock();
  int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
  while (block.isValid() && top <= event->rect().bottom()) {
    const int height = qRound(blockBoundingRect(block).height());
    if (block.isVisible() && top + height >= event->rect().top()) {
      const int number = block.blockNumber() + 1;
      const QRect cell(0, top, gutter_->width() - 5, fontMetrics().height());
      if (number == markedLine_) {
        painter.fillRect(QRect(0, top, gutter_->width(), height), MarkColour);
        painter.setPen(Qt::white);
      } else {
        painter.setPen(block.blockNumber() == caretLine ? Qt::black : QColor(0x80, 0x80, 0x80));
      }
      painter.drawText(cell, Qt::AlignRight | Qt::AlignVCenter, QString::number(number));
      for (const Mark& m : diagnostics_) {
        if (m.text.block() != block) continue;
        // A dot at the gutter's left edge, beside the number: the last compile's mark may
        // fill the same line's cell.
        const int size = std::max(4, fontMetrics().height() / 3);
        painter.setBrush(m.warning ? WarningColour : FaultColour);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRect(1, top + (fontMetrics().height() - size) / 2, size, size));
        break;
      }
    }
    top += height;
    block = block.next();
  }
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

  QList<QTextEdit::ExtraSelection> selections;
  QTextEdit::ExtraSelection caretLine;
  caretLine.format.setBackground(CaretLineColour);
  caretLine.format.setProperty(QTextFormat::FullWidthSelection, true);
  caretLine.cursor = textCursor();
  caretLine.cursor.clearSelection();
  selections.push_back(caretLine);
  for (const auto* list : {&uses_, &highlights_}) {
    for (const QTextEdit::ExtraSelection& h : *list) {
      if (h.cursor.document() == document()) selections.push_back(h);
    }
  }
  for (const Mark& m : diagnostics_) {
    if (m.text.document() != document()) continue;
    QTextEdit::ExtraSelection s;
    s.cursor = m.text;
    s.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    s.format.setUnderlineColor(m.warning ? WarningColour : FaultColour);
    selections.push_back(s);
  }
  if (first.isValid()) {
    for (QTextBlock b = first;; b = b.next()) {
      // Of a very long line only the start is coloured: its far end is out of sight, and a
      // colour for each of a hundred thousand words would cost seconds.
      const std::string bytes = FromQt(QStringView(b.text()).left(ColouredLength));
      for (const SyntaxSpan& span : LineTokens(bytes)) {
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(b);
        s.cursor.setPosition(b.position() + span.start);
        s.cursor.setPosition(b.position() + span.start + span.length, QTextCursor::KeepAnchor);
        s.format = FormatOf(span.kind);
        selections.push_back(s);
      }
      if (b == last) break;
    }
  }
  setExtraSelections(selections);
}

}  // namespace q41::ui

#include "ui/editor/memo.hpp"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

#include "ui/app/qt_text.hpp"

namespace q41::ui {

namespace {

// Characters of shaped text kept at most, some tens of bytes each: a screen of lines longer
// still is drawn by the toolkit, slowly, rather than fill the memory.
constexpr qsizetype kHeldCharacters = 4000000;

// Characters laid out beyond each side of the part in sight: a glyph may reach over its
// neighbours (an italic one, a bold one), and whatever reaches into sight is drawn.
constexpr int kSliceMargin = 16;

// A layout that keeps nothing lets go of its shaped text when it is drawn; drawn out of
// sight, it draws nothing.
void Forget(const QTextLayout& layout) {
  QImage nowhere(1, 1, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&nowhere);
  layout.draw(&painter, QPointF(0, 0), {}, QRectF(0, -16, 1, 1));
}

// What the toolkit draws on `block` of the selections: each selection's part on it, and the
// whole line for one that asks for the full width without selecting anything.
QList<QTextLayout::FormatRange> RangesOn(const QTextBlock& block,
                                         const QAbstractTextDocumentLayout::PaintContext& context) {
  QList<QTextLayout::FormatRange> ranges;
  const int position = block.position();
  const int length = block.length();
  for (const QAbstractTextDocumentLayout::Selection& s : context.selections) {
    const int start = s.cursor.selectionStart() - position;
    const int end = s.cursor.selectionEnd() - position;
    if (end > start && start < length && end > 0) {
      ranges.push_back({start, end - start, s.format});
    } else if (!s.cursor.hasSelection() && s.format.hasProperty(QTextFormat::FullWidthSelection) &&
               block.contains(s.cursor.position())) {
      const QTextLine line = block.layout()->lineForTextPosition(s.cursor.position() - position);
      QTextLayout::FormatRange range{line.textStart(), line.textLength(), s.format};
      // The line's end reaches over its line break.
      if (range.start + range.length == length - 1) ++range.length;
      ranges.push_back(range);
    }
  }
  return ranges;
}

}  // namespace

bool Memo::IsHeld(const QTextBlock& block) const {
  return std::any_of(held_.begin(), held_.end(), [&](const QTextCursor& c) {
    return c.document() == document() && c.block() == block;
  });
}

void Memo::SetLongLine(int characters) {
  longLine_ = characters;
  HoldLongLines();
  viewport()->update();
}

void Memo::HoldLongLines() {
  std::vector<QTextBlock> wanted;
  qsizetype room = kHeldCharacters;
  auto want = [&](const QTextBlock& block) {
    if (!block.isValid() || block.length() <= longLine_ || block.length() > room) return;
    if (std::find(wanted.begin(), wanted.end(), block) != wanted.end()) return;
    wanted.push_back(block);
    room -= block.length();
  };
  want(textCursor().block());
  const QPointF offset = contentOffset();
  for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
    if (blockBoundingGeometry(block).translated(offset).top() > viewport()->height()) break;
    want(block);
  }
  std::vector<QTextCursor> kept;
  auto isKept = [&kept](const QTextBlock& block) {
    return std::any_of(kept.begin(), kept.end(),
                       [&](const QTextCursor& k) { return k.block() == block; });
  };
  for (const QTextCursor& c : held_) {
    if (c.isNull()) continue;  // its document is gone, and the shaped text with it
    const QTextBlock block = c.block();
    const bool stays = c.document() == document() &&
                       std::find(wanted.begin(), wanted.end(), block) != wanted.end();
    if (stays && !isKept(block)) {
      kept.push_back(c);
    } else if (!stays) {
      block.layout()->setCacheEnabled(false);
      Forget(*block.layout());
    }
  }
  for (const QTextBlock& block : wanted) {
    if (isKept(block)) continue;
    block.layout()->setCacheEnabled(true);
    kept.emplace_back(block);
  }
  held_ = std::move(kept);
}

// A text put in place whole comes with the editor's signals blocked, an edit can make a line
// long without moving the caret, and scrolling brings other lines on screen: the drawing
// catches up with all of them.
void Memo::paintEvent(QPaintEvent* event) {
  HoldLongLines();
  if (const auto slices = SlicesOf(event->rect())) {
    PaintWithSlices(event, *slices);
  } else {
    QPlainTextEdit::paintEvent(event);
  }
}

std::optional<std::vector<Memo::Slice>> Memo::SlicesOf(const QRect& area) const {
  if (held_.empty() || overwriteMode() || backgroundVisible()) return std::nullopt;
  std::vector<Slice> slices;
  for (const QTextCursor& c : held_) {
    if (c.isNull() || c.document() != document()) continue;
    const QTextBlock block = c.block();
    if (!block.isVisible()) continue;
    const QRectF band = blockBoundingGeometry(block).translated(contentOffset());
    // As the toolkit decides whether to draw a line: its edges count as inside.
    if (band.bottom() < area.top() || band.top() > area.bottom()) continue;
    std::optional<Slice> slice = SliceOf(block, area);
    if (!slice) return std::nullopt;
    slices.push_back(std::move(*slice));
  }
  if (slices.empty()) return std::nullopt;
  return slices;
}

std::optional<Memo::Slice> Memo::SliceOf(const QTextBlock& block, const QRect& area) const {
  const QTextLayout& whole = *block.layout();
  // Text being composed, or a line background, is left to the toolkit: they are short-lived
  // or never set here.
  if (whole.lineCount() != 1 || !whole.preeditAreaText().isEmpty() ||
      block.blockFormat().background() != Qt::NoBrush) {
    return std::nullopt;
  }
  const QTextLine line = whole.lineAt(0);
  const qreal left = area.left() - contentOffset().x();
  const int length = line.textLength();
  const int from = std::max(0, line.xToCursor(left) - kSliceMargin);
  const int to = std::min(length, line.xToCursor(left + area.width()) + kSliceMargin);
  const QString text = block.text().mid(from, to - from);
  // A tab stands where the whole line puts it, not where a part would.
  if (text.contains(QLatin1Char('\t'))) return std::nullopt;
  auto layout = std::make_shared<QTextLayout>(text, document()->defaultFont());
  layout->setTextOption(document()->defaultTextOption());
  layout->setCacheEnabled(true);
  layout->beginLayout();
  QTextLine part = layout->createLine();
  part.setLeadingIncluded(true);
  part.setLineWidth(line.width());
  layout->endLayout();
  // A character of another font elsewhere on the line may make the whole line taller.
  if (layout->lineCount() != 1 || part.textLength() != text.size() ||
      part.ascent() != line.ascent() || part.descent() != line.descent() ||
      part.height() != line.height()) {
    return std::nullopt;
  }
  return Slice{block, from, std::move(layout), line.cursorToX(from), line.y()};
}

// The toolkit's drawing of the lines that `event` reaches, but for the held lines, each drawn
// from its slice: the same backgrounds, selections, text and caret in the same places.
void Memo::PaintWithSlices(QPaintEvent* event, const std::vector<Slice>& slices) {
  QPainter painter(viewport());
  QPointF offset = contentOffset();
  QRect area = event->rect();
  // Nothing to the right of the widest line, not even a full-width selection.
  const qreal widest = document()->documentLayout()->documentSize().width();
  area.setRight(std::min<qreal>(area.right(), offset.x() +
                                                  std::max<qreal>(viewport()->width(), widest) -
                                                  document()->documentMargin() + cursorWidth()));
  painter.setClipRect(area);
  // Where a wavy underline's wave starts.
  painter.setBrushOrigin(offset);
  const QAbstractTextDocumentLayout::PaintContext context = getPaintContext();
  painter.setPen(context.palette.text().color());
  const bool caretShown = !isReadOnly() || (textInteractionFlags() & Qt::TextSelectableByKeyboard);
  for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
    const QRectF r = blockBoundingRect(block).translated(offset);
    if (block.isVisible() && r.bottom() >= area.top() && r.top() <= area.bottom()) {
      const int caret = context.cursorPosition - block.position();
      const bool caretHere = caretShown && caret >= 0 && caret < block.length();
      const QList<QTextLayout::FormatRange> ranges = RangesOn(block, context);
      const auto slice = std::find_if(slices.begin(), slices.end(),
                                      [&](const Slice& s) { return s.block == block; });
      if (slice == slices.end()) {
        block.layout()->draw(&painter, offset, ranges, area);
        if (caretHere) block.layout()->drawCursor(&painter, offset, caret, cursorWidth());
      } else {
        // Each range's part on the slice, the line break included when the slice reaches
        // the line's end.
        const int end = slice->from + static_cast<int>(slice->layout->text().size());
        const int reach = end + (end == block.length() - 1 ? 1 : 0);
        QList<QTextLayout::FormatRange> onSlice;
        for (const QTextLayout::FormatRange& range : ranges) {
          const int start = std::max(range.start, slice->from);
          const int stop = std::min(range.start + range.length, reach);
          if (stop > start) onSlice.push_back({start - slice->from, stop - start, range.format});
        }
        const QPointF at(offset.x() + slice->x, offset.y() + slice->y);
        slice->layout->draw(&painter, at, onSlice, area);
        if (caretHere && caret >= slice->from && caret <= end) {
          slice->layout->drawCursor(&painter, at, caret - slice->from, cursorWidth());
        }
      }
    }
    offset.ry() += r.height();
    if (offset.y() > viewport()->height()) break;
  }
}

void Memo::keyPressEvent(QKeyEvent* event) {
  // Shift+Return is Return; a character the code page cannot hold is "?".
  Qt::KeyboardModifiers modifiers = event->modifiers();
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    modifiers &= ~Qt::ShiftModifier;
  }
  const QString kept = Keepable(event->text());
  if (kept != event->text()) KeepNotices::Get().TookIn(*this, event->text());
  if (modifiers == event->modifiers() && kept == event->text()) {
    QPlainTextEdit::keyPressEvent(event);
    return;
  }
  QKeyEvent edited(event->type(), event->key(), modifiers, kept, event->isAutoRepeat(),
                   static_cast<ushort>(event->count()));
  QPlainTextEdit::keyPressEvent(&edited);
  event->setAccepted(edited.isAccepted());
}

void Memo::inputMethodEvent(QInputMethodEvent* event) {
  const QString kept = Keepable(event->commitString());
  if (kept == event->commitString()) {
    QPlainTextEdit::inputMethodEvent(event);
    return;
  }
  KeepNotices::Get().TookIn(*this, event->commitString());
  QInputMethodEvent keptEvent(event->preeditString(), event->attributes());
  keptEvent.setCommitString(kept, event->replacementStart(), event->replacementLength());
  QPlainTextEdit::inputMethodEvent(&keptEvent);
  event->setAccepted(keptEvent.isAccepted());
}

void Memo::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText()) {
    QPlainTextEdit::insertFromMimeData(source);
    return;
  }
  const QString text = source->text();
  KeepNotices::Get().TookIn(*this, text);
  QMimeData kept;
  kept.setText(Keepable(text));
  QPlainTextEdit::insertFromMimeData(&kept);
}

bool Memo::canInsertFromMimeData(const QMimeData* source) const {
  return DroppedFile(source).isEmpty() && QPlainTextEdit::canInsertFromMimeData(source);
}

}  // namespace q41::ui

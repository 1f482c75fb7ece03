#include "ui/qt_text.hpp"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <deque>

#include "common/cp1251.hpp"

namespace q41::ui {

namespace {

void AppendQt(QString& text, std::string_view bytes) {
  const qsizetype at = text.size();
  text.resize(at + static_cast<qsizetype>(bytes.size()));
  QChar* out = text.data() + at;
  for (char c : bytes) *out++ = QChar(Cp1251ToUnicode(static_cast<unsigned char>(c)));
}

}  // namespace

QString ToQt(std::string_view bytes) {
  QString text;
  AppendQt(text, bytes);
  return text;
}

std::string FromQt(QStringView text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text[i].unicode();
    if (u < 0x80) {
      bytes += static_cast<char>(u);
      continue;
    }
    // A character outside the code page, a pair of surrogates included, becomes one "?".
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
    const int b = text[i].isSurrogate() ? -1 : UnicodeToCp1251(u);
    bytes += b < 0 ? '?' : static_cast<char>(b);
  }
  return bytes;
}

QString Keepable(QStringView text) {
  return ToQt(FromQt(text));
}

QStringList Unkeepable(QStringView text) {
  QStringList out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text[i].unicode();
    if (u < 0x80) continue;
    const bool pair =
        text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    const QString character = text.sliced(i, pair ? 2 : 1).toString();
    if (pair) ++i;
    if ((pair || text[i].isSurrogate() || UnicodeToCp1251(u) < 0) && !out.contains(character)) {
      out << character;
    }
  }
  return out;
}

KeepNotices& KeepNotices::Get() {
  auto* notices = qApp->findChild<KeepNotices*>(QString(), Qt::FindDirectChildrenOnly);
  return notices != nullptr ? *notices : *new KeepNotices(qApp);
}

void KeepNotices::TookIn(QWidget& editor, QStringView text) {
  const QStringList lost = Unkeepable(text);
  if (!lost.isEmpty()) emit NotKept(&editor, lost);
}

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

std::string LocalPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString DroppedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) return url.toLocalFile();
  }
  return {};
}

QValidator::State KeepableTextValidator::validate(QString& input, int& position) const {
  const QString kept = Keepable(input);
  if (kept != input) {
    if (auto* field = qobject_cast<QWidget*>(parent())) KeepNotices::Get().TookIn(*field, input);
    // A pair of surrogates became one "?": the caret moves back by what went.
    position = std::max(0, position - static_cast<int>(input.size() - kept.size()));
    input = kept;
  }
  return Acceptable;
}

Lines LinesOf(const QPlainTextEdit& editor) {
  const QTextDocument* document = editor.document();
  Lines lines;
  if (document->isEmpty()) return lines;
  lines.reserve(static_cast<std::size_t>(document->blockCount()));
  // The raw text holds the blocks apart by paragraph separators, which no block's text
  // contains; one pass over it is several times faster than asking block by block.
  const QString raw = document->toRawText();
  const QStringView text(raw);
  qsizetype start = 0;
  for (qsizetype end; (end = text.indexOf(QChar::ParagraphSeparator, start)) >= 0;
       start = end + 1) {
    lines.push_back(FromQt(text.sliced(start, end - start)));
  }
  lines.push_back(FromQt(text.sliced(start)));
  // A text that ends in a line break has an empty last block: not a line of its own.
  if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  return lines;
}

namespace {

// A text is laid out on a worker thread when the toolkit would take a good part of a second
// over it at once: many lines, many characters, or one line so long that every layout of it
// is slow. Any smaller text takes well under a tenth of a second.
constexpr std::size_t kBackgroundLines = 50000;
constexpr std::size_t kBackgroundBytes = 4000000;
constexpr std::size_t kBackgroundLineBytes = 100000;
// What the editor shows of such a text until it is laid out.
constexpr std::size_t kPreviewLines = 1000;
constexpr std::size_t kPreviewColumns = 1000;
// How often a worker looks whether its text is still wanted.
constexpr std::size_t kChunkLines = 16384;

bool LaidOutInBackground(const Lines& lines) {
  if (lines.size() > kBackgroundLines) return true;
  std::size_t bytes = 0;
  for (const auto& line : lines) {
    if (line.size() > kBackgroundLineBytes) return true;
    bytes += line.size();
  }
  return bytes > kBackgroundBytes;
}

// A document for a plain-text editor holding `lines`, each ended by a line break as in a
// file, so that an empty last line survives. Each line's layout object is made here, so that
// the editor need not stop to make them all when it takes the document. Null when
// `cancelled` is set on the way.
std::unique_ptr<QTextDocument> BuildDocument(const Lines& lines, const QFont& font,
                                             const std::atomic<bool>& cancelled) {
  auto document = std::make_unique<QTextDocument>();
  document->setDocumentLayout(new QPlainTextDocumentLayout(document.get()));
  document->setDefaultFont(font);
  document->setUndoRedoEnabled(false);
  QTextCursor cursor(document.get());
  QString chunk;
  for (std::size_t at = 0; at < lines.size();) {
    if (cancelled) return nullptr;
    chunk.clear();
    for (const std::size_t end = std::min(lines.size(), at + kChunkLines); at < end; ++at) {
      AppendQt(chunk, lines[at]);
      chunk += QChar('\n');
    }
    cursor.insertText(chunk);
  }
  std::size_t laidOut = 0;
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    if (++laidOut % kChunkLines == 0 && cancelled) return nullptr;
    block.layout();
  }
  document->setUndoRedoEnabled(true);
  return document;
}

std::unique_ptr<QTextDocument> BuildDocument(const Lines& lines, const QFont& font) {
  const std::atomic<bool> never = false;
  return BuildDocument(lines, font, never);
}

// The caret at the start of the row with the characters after it selected, or the selection
// cleared, as a run asks.
void ApplySelection(QPlainTextEdit& editor, const Selection& selection) {
  if (selection.kind == Selection::Kind::Unchanged) return;
  QTextCursor cursor = editor.textCursor();
  if (selection.kind == Selection::Kind::Clear) {
    cursor.clearSelection();
    editor.setTextCursor(cursor);
    return;
  }
  const QTextBlock block = editor.document()->findBlockByNumber(selection.row);
  if (!block.isValid()) return;
  cursor.setPosition(block.position());
  cursor.setPosition(block.position() + selection.length, QTextCursor::KeepAnchor);
  editor.setTextCursor(cursor);
  // The editor scrolls to the caret at the selection's end; on a long line that hides where
  // the line starts (its label and operation), which is what the user needs to see.
  editor.horizontalScrollBar()->setValue(0);
}

// The start of a text: its first lines, each cut short.
Lines Preview(const Lines& lines) {
  Lines preview(lines.begin(), lines.begin() + std::min(lines.size(), kPreviewLines));
  for (auto& line : preview) line.resize(std::min(line.size(), kPreviewColumns));
  return preview;
}

int loadsRunning = 0;

// Editors whose text is laid out and waits to go in. The editor's own layout of a large
// text still takes a few hundred milliseconds, so one editor takes its text at a time, and
// drawing and the user's input come between.
std::deque<EditorLines*> readyEditors;
constexpr int kInstallPauseMs = 20;

}  // namespace

// A text being laid out: what the worker reads, and what it leaves for the editor.
struct EditorLines::Load {
  std::shared_ptr<const Lines> lines;
  QFont font;
  std::atomic<bool> cancelled = false;
  std::unique_ptr<QTextDocument> document;  // the worker's result, handed to the main thread
  std::unique_ptr<QThread> worker;
};

EditorLines::EditorLines(QPlainTextEdit& editor)
    : editor_(editor), lines_(std::make_shared<Lines>()), readOnly_(editor.isReadOnly()) {
  Follow(*editor.document());
}

EditorLines::~EditorLines() {
  Cancel();
  if (disposer_) disposer_->wait();
}

const Lines& EditorLines::Get() const {
  if (!valid_) {
    lines_ = std::make_shared<Lines>(LinesOf(editor_));
    blocks_ = static_cast<std::size_t>(editor_.document()->blockCount());
    valid_ = true;
  }
  return *lines_;
}

void EditorLines::Set(const Lines& lines) {
  if (Get() == lines) return;
  Replace(lines);
}

void EditorLines::Replace(const Lines& lines) {
  Cancel();
  pendingSelection_ = {};
  lines_ = std::make_shared<Lines>(lines);
  valid_ = true;
  if (!LaidOutInBackground(lines)) {
    Install(BuildDocument(lines, editor_.font()).release());
    return;
  }
  Install(BuildDocument(Preview(lines), editor_.font()).release(), false);
  editor_.setReadOnly(true);
  idleCursor_ = editor_.viewport()->cursor();
  editor_.viewport()->setCursor(Qt::BusyCursor);
  load_ = std::make_unique<Load>();
  load_->lines = lines_;
  load_->font = editor_.font();
  Load* load = load_.get();
  QThread* mainThread = thread();
  load->worker.reset(QThread::create([load, mainThread] {
    load->document = BuildDocument(*load->lines, load->font, load->cancelled);
    if (load->document) load->document->moveToThread(mainThread);
  }));
  const int generation = ++generation_;
  connect(load->worker.get(), &QThread::finished, this, [this, generation] {
    if (!load_ || generation != generation_) return;
    readyEditors.push_back(this);
    if (readyEditors.size() == 1) QTimer::singleShot(0, qApp, &EditorLines::InstallNext);
  });
  ++loadsRunning;
  load->worker->start();
}

void EditorLines::Show(int key, const Lines& lines) {
  if (key != shownKey_) {
    // The text left keeps its document, unless it is still being laid out: its lines are
    // all kept already, and a preview has no history worth keeping.
    const int left = load_ ? -1 : shownKey_;
    shownKey_ = key;
    const auto parked = parked_.find(key);
    parkAs_ = left;
    if (parked == parked_.end()) {
      // A document of its own, even for a text the one shown holds too.
      Replace(lines);
      parkAs_ = -1;
      return;
    }
    QTextDocument* document = parked->second;
    parked_.erase(parked);
    Cancel();
    valid_ = false;
    Install(document);
    parkAs_ = -1;
  }
  if (Get() == lines) return;
  if (!Merge(lines)) Set(lines);
}

void EditorLines::Forget(int key) {
  if (key == shownKey_) {
    shownKey_ = -1;
    return;
  }
  const auto parked = parked_.find(key);
  if (parked == parked_.end()) return;
  Dispose(parked->second);
  parked_.erase(parked);
}

bool EditorLines::Merge(const Lines& lines) {
  if (load_ || LaidOutInBackground(lines)) return false;
  const Lines old = Get();
  QTextDocument& document = *editor_.document();
  const std::size_t n = old.size();
  const std::size_t k = lines.size();
  std::size_t same = 0;  // lines alike at the start
  while (same < std::min(n, k) && old[same] == lines[same]) ++same;
  std::size_t tail = 0;  // and at the end, not counting those
  while (tail < std::min(n, k) - same && old[n - 1 - tail] == lines[k - 1 - tail]) ++tail;
  QString text;
  for (std::size_t i = same; i < k - tail; ++i) {
    if (i > same) text += QChar('\n');
    AppendQt(text, lines[i]);
  }
  const int blocks = document.blockCount();
  const auto at = [&document](std::size_t line) {
    return document.findBlockByNumber(static_cast<int>(line));
  };
  QTextCursor edit(&document);
  if (n - tail > same) {
    // Lines same to n - tail - 1 go; in their place come the new ones, if any.
    const QTextBlock last = at(n - tail - 1);
    edit.setPosition(at(same).position());
    edit.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
    if (k - tail == same) {
      // No line comes instead: a line break goes too, the one after them or before them.
      if (static_cast<int>(n - tail) < blocks) {
        edit.setPosition(at(n - tail).position(), QTextCursor::KeepAnchor);
      } else if (same > 0) {
        edit.setPosition(at(same - 1).position() + at(same - 1).length() - 1);
        edit.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
      }
    }
  } else if (static_cast<int>(same) < blocks) {
    // New lines only, before line `same`.
    edit.setPosition(at(same).position());
    text += QChar('\n');
  } else {
    edit.movePosition(QTextCursor::End);
    text.prepend(QChar('\n'));
  }
  // The change was made, and told of, where it was made.
  merging_ = true;
  edit.beginEditBlock();
  edit.insertText(text);
  edit.endEditBlock();
  merging_ = false;
  if (Get() == lines) return true;
  // Not what was wanted after all: the edit goes back, and the caller sets the text whole.
  merging_ = true;
  editor_.undo();
  merging_ = false;
  valid_ = false;
  return false;
}

void EditorLines::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  if (!load_) editor_.setReadOnly(readOnly);
}

void EditorLines::Select(const Selection& selection) {
  if (load_) {
    if (selection.kind != Selection::Kind::Unchanged) pendingSelection_ = selection;
    return;
  }
  ApplySelection(editor_, selection);
}

bool EditorLines::Loading() {
  return loadsRunning > 0;
}

// The editor takes the document; its own text change is no edit of the user's, so nobody
// hears of it, and the lines kept stay valid.
void EditorLines::Install(QTextDocument* document, bool whole) {
  const QSignalBlocker quiet(&editor_);
  QTextDocument* old = editor_.document();
  disconnect(old, nullptr, this, nullptr);
  // The editor deletes the document it made itself; one of ours is left to us.
  const bool ours = old->parent() == &editor_;
  // Highlights point into the old document and would outlive it.
  editor_.setExtraSelections({});
  document->setParent(&editor_);
  editor_.setDocument(document);
  if (ours && parkAs_ >= 0) {
    parked_[parkAs_] = old;
  } else if (ours) {
    Dispose(old);
  }
  blocks_ = static_cast<std::size_t>(document->blockCount());
  Follow(*document);
  if (whole) emit Installed();
}

void EditorLines::Follow(const QTextDocument& document) {
  connect(&document, &QTextDocument::contentsChange, this, &EditorLines::Edited);
}

// Every change of the text: the lines it touched are read again and the lines after them
// move, rather than the whole text being read; a change that cannot be followed so makes
// the whole text be read when next asked for. While a text loads, the lines kept are the
// text to be shown, whatever happens to the preview.
void EditorLines::Edited(int position, int removed, int added) {
  // A whole text put in place goes in with the undo history off; every edit of the user's
  // goes in with it on.
  if ((removed > 0 || added > 0) && editor_.document()->isUndoRedoEnabled() && !merging_) {
    emit UserEdited();
  }
  if (!valid_ || load_) return;
  valid_ = false;  // unless all goes well
  const QTextDocument& document = *editor_.document();
  const auto count = static_cast<std::size_t>(document.blockCount());
  Lines& lines = *lines_;
  // A line per block, but for an empty last block, which has none.
  if (lines.size() != blocks_ && lines.size() + 1 != blocks_) return;
  const QTextBlock first = document.findBlock(position);
  const QTextBlock last =
      document.findBlock(std::min(position + added, document.characterCount() - 1));
  if (!first.isValid() || !last.isValid()) return;
  // The blocks after the edit are the same before and after it. An edit of many lines is
  // left to one reading of the whole text, which is quicker.
  const auto from = static_cast<std::size_t>(first.blockNumber());
  const auto to = static_cast<std::size_t>(last.blockNumber()) + 1;
  if (to + blocks_ < count + from || to - from > kChunkLines) return;
  const std::size_t oldTo = to + blocks_ - count;
  if (oldTo > lines.size()) lines.emplace_back();  // the edit reaches the empty last block
  Lines fresh;
  for (QTextBlock block = first; block.isValid() && fresh.size() < to - from;
       block = block.next()) {
    fresh.push_back(FromQt(block.text()));
  }
  const std::size_t kept = std::min(oldTo - from, fresh.size());
  std::move(fresh.begin(), fresh.begin() + kept, lines.begin() + from);
  if (oldTo - from > kept) {
    lines.erase(lines.begin() + from + kept, lines.begin() + oldTo);
  } else {
    lines.insert(lines.begin() + from + kept, std::make_move_iterator(fresh.begin() + kept),
                 std::make_move_iterator(fresh.end()));
  }
  blocks_ = count;
  // As LinesOf reads them: no line for an empty last block, none at all for an empty text.
  if (lines.size() == count && count > 1 && lines.back().empty()) lines.pop_back();
  if (document.isEmpty()) lines.clear();
  valid_ = true;
}

// Deleting a document of a million lines takes a tenth of a second: a worker does it.
void EditorLines::Dispose(QTextDocument* document) {
  if (static_cast<std::size_t>(document->blockCount()) <= kBackgroundLines) {
    delete document;
    return;
  }
  if (disposer_) disposer_->wait();
  document->setParent(nullptr);
  disposer_.reset(QThread::create([document] { delete document; }));
  document->moveToThread(disposer_.get());
  disposer_->start();
}

void EditorLines::Cancel() {
  if (!load_) return;
  load_->cancelled = true;
  load_->worker->wait();
  load_.reset();
  std::erase(readyEditors, this);
  Loaded();
}

// The editor as it was before its text began to load: input taken, the usual mouse cursor.
void EditorLines::Loaded() {
  --loadsRunning;
  editor_.setReadOnly(readOnly_);
  editor_.viewport()->setCursor(idleCursor_);
}

void EditorLines::InstallNext() {
  if (readyEditors.empty()) return;
  EditorLines& next = *readyEditors.front();
  readyEditors.pop_front();
  next.load_->worker->wait();
  // Only a load that was not cancelled gets here, so its worker left a document.
  const std::unique_ptr<Load> load = std::move(next.load_);
  // Editable again before the text goes in: switching the preview costs nothing, switching
  // a long line would lay it out once more.
  next.Loaded();
  next.Install(load->document.release());
  ApplySelection(next.editor_, next.pendingSelection_);
  next.pendingSelection_ = {};
  // The next one waits until the screen shows this one and the input waiting is handled.
  if (!readyEditors.empty()) {
    QTimer::singleShot(kInstallPauseMs, qApp, &EditorLines::InstallNext);
  }
}

}  // namespace q41::ui

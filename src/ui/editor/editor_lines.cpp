#include "ui/editor/editor_lines.hpp"

#include <QCoreApplication>
#include <QFont>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <deque>

#include "ui/app/qt_text.hpp"

namespace q41::ui {

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

// The texts of all editors being laid out, which are one queue since the editors share one
// message loop. The editor's own layout of a large text still takes a few hundred
// milliseconds, so one editor takes its text at a time, and drawing and the user's input
// come between.
struct BackgroundLoads {
  int running = 0;                 // texts on the way, laid out or not
  std::deque<EditorLines*> ready;  // laid out, waiting to go in, first come first
};

BackgroundLoads& Loads() {
  static BackgroundLoads loads;
  return loads;
}

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
    Loads().ready.push_back(this);
    if (Loads().ready.size() == 1) QTimer::singleShot(0, qApp, &EditorLines::InstallNext);
  });
  ++Loads().running;
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
  return Loads().running > 0;
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
  std::erase(Loads().ready, this);
  Loaded();
}

// The editor as it was before its text began to load: input taken, the usual mouse cursor.
void EditorLines::Loaded() {
  --Loads().running;
  editor_.setReadOnly(readOnly_);
  editor_.viewport()->setCursor(idleCursor_);
}

void EditorLines::InstallNext() {
  if (Loads().ready.empty()) return;
  EditorLines& next = *Loads().ready.front();
  Loads().ready.pop_front();
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
  if (!Loads().ready.empty()) {
    QTimer::singleShot(kInstallPauseMs, qApp, &EditorLines::InstallNext);
  }
}

}  // namespace q41::ui

#include "ui/editor/source_assist.hpp"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QApplication>
#include <QCompleter>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>

#include "language/queries.hpp"
#include "ui/app/i_face.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/style.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/editor/editor_lines.hpp"
#include "ui/editor/live_check.hpp"

namespace q41::ui {
namespace {

constexpr int WordRole = Qt::UserRole;

// The words the list shows at most: seven rows are in sight, and a few pages more are all
// one scrolls through before typing on.
constexpr std::size_t ShownCompletions = 200;

// The line of a text cursor as the language service counts (1-based) and its column in
// bytes, which are characters: the code page has one byte for each.
std::int32_t LineOf(const QTextCursor& c) {
  return c.blockNumber() + 1;
}

QTextCursor Selecting(QPlainTextEdit& editor, const SourcePlace& place) {
  const QTextBlock block = editor.document()->findBlockByNumber(place.line - 1);
  if (!block.isValid()) return {};
  QTextCursor c(block);
  c.setPosition(block.position() + std::min(place.start, block.length() - 1));
  c.setPosition(block.position() + std::min(place.start + place.length, block.length() - 1),
                QTextCursor::KeepAnchor);
  return c;
}

QString PlainToolTip(const std::string& bytes) {
  return "<p style='white-space:pre'>" + ToQt(bytes).toHtmlEscaped() + "</p>";
}

}  // namespace

// The rows of the completion list: the words offered, their details in a column after the
// longest word, and a last row that tells how many more match and takes no selection. Put in
// place whole: a list filled row by row while it was open was filtered again at every row,
// which took minutes for a hundred thousand names.
class CompletionRows : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  void Set(CompletionList list, const QString& moreText) {
    beginResetModel();
    list_ = std::move(list);
    moreText_ = moreText.arg(list_.more);
    wordWidth_ = 0;
    for (const Completion& c : list_.words) wordWidth_ = std::max(wordWidth_, c.word.size());
    endResetModel();
  }

  // The row of the most characters: in a font of one width, the widest.
  QString LongestRow() const {
    std::size_t longest = list_.more > 0 ? static_cast<std::size_t>(moreText_.size()) : 0;
    int row = list_.more > 0 ? static_cast<int>(list_.words.size()) : 0;
    for (std::size_t k = 0; k < list_.words.size(); ++k) {
      const std::size_t size = wordWidth_ + Gap + list_.words[k].detail.size();
      if (size > longest) {
        longest = size;
        row = static_cast<int>(k);
      }
    }
    return index(row, 0).data().toString();
  }

  int rowCount(const QModelIndex& parent) const override {
    if (parent.isValid()) return 0;
    return static_cast<int>(list_.words.size()) + (list_.more > 0 ? 1 : 0);
  }
  QVariant data(const QModelIndex& index, int role) const override {
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= list_.words.size()) return role == Qt::DisplayRole ? moreText_ : QVariant();
    const Completion& c = list_.words[row];
    if (role == WordRole) return ToQt(c.word);
    if (role != Qt::DisplayRole) return {};
    return ToQt(c.word).leftJustified(static_cast<qsizetype>(wordWidth_ + Gap)) + ToQt(c.detail);
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (static_cast<std::size_t>(index.row()) >= list_.words.size()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  }

 private:
  static constexpr std::size_t Gap = 4;  // blanks between the longest word and its detail
  CompletionList list_;
  QString moreText_;
  std::size_t wordWidth_ = 0;
};

SourceAssist::SourceAssist(AsmEditor& editor, const EditorLines& source, QPlainTextEdit& global,
                           const EditorLines& globalLines, Language language)
    : editor_(editor), global_(global), globalLines_(globalLines), language_(language) {
  check_ = std::make_unique<LiveCheck>(
      source, [this] { return globalLines_.Get(); }, AssemblerOptions{language, true});
  connect(&editor_, &QPlainTextEdit::textChanged, check_.get(), &LiveCheck::TextChanged);
  connect(&global_, &QPlainTextEdit::textChanged, check_.get(), &LiveCheck::TextChanged);
  // A block shown, a program opened, a text back from the all-blocks window.
  for (const EditorLines* lines : {&source, &globalLines_}) {
    connect(lines, &EditorLines::Installed, check_.get(), &LiveCheck::TextChanged);
  }
  connect(&source, &EditorLines::Installed, this, &SourceAssist::CloseList);
  connect(check_.get(), &LiveCheck::Checked, this, &SourceAssist::ShowCheck);
  // Once the edit that moved the caret is whole: the caret moves before the text is said to
  // have changed, while the last check still looks current.
  connect(&editor_, &QPlainTextEdit::cursorPositionChanged, this, &SourceAssist::ShowUses,
          Qt::QueuedConnection);
  // The open list follows the word as it is typed further, and closes when none is left.
  connect(&editor_, &QPlainTextEdit::textChanged, this, [this] {
    if (completer_->popup()->isVisible()) ShowList(false);
  });
  // The list is about the word at the caret: a caret moved elsewhere (an arrow, Home, a
  // click) leaves it, and Return must not replace the text before the new place. Queued, as
  // an edit moves the caret before it tells of the new text.
  connect(
      &editor_, &QPlainTextEdit::cursorPositionChanged, this,
      [this] {
        if (completer_->popup()->isVisible() && editor_.textCursor().position() != listCaret_) {
          CloseList();
        }
      },
      Qt::QueuedConnection);

  rows_ = new CompletionRows(this);
  completer_ = new QCompleter(rows_, this);
  completer_->setWidget(&editor_);
  // The language service has filtered the words already.
  completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
  completer_->setCaseSensitivity(Qt::CaseInsensitive);
  completer_->setCompletionRole(WordRole);
  // The list is shown beside the caret and takes no key of its own: the editor keeps the
  // keyboard, so every key the list does not use, a shortcut among them, goes where it
  // always goes. A list that grabbed the keyboard kept it while a shortcut opened another
  // window, and the keys typed there were lost.
  completer_->popup()->setWindowFlags(Qt::ToolTip);
  // One line each: laying out the rows needs no row's own size.
  if (auto* list = qobject_cast<QListView*>(completer_->popup())) list->setUniformItemSizes(true);
  connect(completer_, qOverload<const QModelIndex&>(&QCompleter::activated), this,
          &SourceAssist::TakeCompletion);
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now != &editor_) CloseList();
  });
  editor_.installEventFilter(this);
  editor_.viewport()->installEventFilter(this);
  check_->TextChanged();
}

SourceAssist::~SourceAssist() = default;

void SourceAssist::ShowCheck() {
  const BlockFacts& facts = check_->Facts();
  QList<AsmEditor::Diagnostic> marks;
  QList<QTextEdit::ExtraSelection> globalMarks;
  if (facts.fault && facts.fault->place.line > 0) {
    const SourcePlace& p = facts.fault->place;
    const QString message = ToQt(facts.fault->errCaption);
    if (!p.inGlobal) {
      marks.push_back({p.line, p.start, p.length, message, false});
    } else {
      QTextEdit::ExtraSelection s;
      s.cursor = Selecting(global_, p);
      s.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
      s.format.setUnderlineColor(CurrentColours().fault);
      s.format.setToolTip(message);
      globalMarks.push_back(s);
    }
  }
  for (const BlockWarning& w : facts.warnings) {
    if (w.place.line > 0) {
      marks.push_back({w.place.line, w.place.start, w.place.length, ToQt(w.text), true});
    }
  }
  editor_.SetDiagnostics(marks);
  global_.setExtraSelections(globalMarks);
  // A tooltip of ours up over the editor told of the marks as they were: a fault fixed under
  // the pointer would go on being told. Another's (a notice of the window's) stays.
  if (marks != shownMarks_ && QToolTip::isVisible() && QToolTip::text() == hoverTip_) {
    QToolTip::hideText();
  }
  shownMarks_ = marks;
  ShowUses();
}

void SourceAssist::ShowUses() {
  QList<QTextEdit::ExtraSelection> uses;
  const QTextCursor caret = editor_.textCursor();
  if (check_->Current()) {
    const int column = caret.positionInBlock();
    if (const NameFacts* n = NameAt(check_->Facts(), false, LineOf(caret), column)) {
      for (const SourcePlace& p : PlacesOf(*n)) {
        if (p.inGlobal) continue;
        QTextEdit::ExtraSelection s;
        s.cursor = Selecting(editor_, p);
        if (!s.cursor.isNull()) uses.push_back(s);
      }
    }
  }
  editor_.SetNameUses(uses);
}

bool SourceAssist::GoToDefinition() {
  if (!check_->Current()) return false;
  const QTextCursor caret = editor_.textCursor();
  const NameFacts* n = NameAt(check_->Facts(), false, LineOf(caret), caret.positionInBlock());
  if (n == nullptr || !n->defined) return false;
  QPlainTextEdit& target = n->definition.inGlobal ? global_ : editor_;
  QTextCursor at = Selecting(target, n->definition);
  if (at.isNull()) return false;
  at.setPosition(at.selectionStart());
  target.setTextCursor(at);
  target.ensureCursorVisible();
  target.setFocus();
  return true;
}

bool SourceAssist::ShowHover(const QPoint& at, const QPoint& global) {
  const QTextCursor c = editor_.cursorForPosition(at);
  // Past the end of a line is no place on it.
  if (editor_.cursorRect(c).right() + 4 < at.x() && c.atBlockEnd()) return false;
  const int line = LineOf(c);
  const int column = c.positionInBlock();
  QString text = editor_.DiagnosticAt(line, column);
  if (!text.isEmpty()) {
    text = PlainToolTip(FromQt(text));
  } else {
    const std::string bytes = FromQt(c.block().text().left(LongestShownLine));
    const auto hover = HoverAt(check_->Facts(), bytes, line, column, language_);
    if (!hover) return false;
    text = hover->html ? QString::fromUtf8(hover->text) : PlainToolTip(hover->text);
  }
  hoverTip_ = text;
  QToolTip::showText(global, text, editor_.viewport());
  return true;
}

void SourceAssist::Complete() {
  ShowList(true);
}

namespace {

// Whether the list offers only the word typed, in either case: nothing is left to complete.
bool OnlyTheWord(const CompletionList& list, std::string_view word) {
  if (list.words.size() != 1 || list.more > 0) return false;
  const std::string& offered = list.words.front().word;
  return offered.size() == word.size() &&
         std::equal(word.begin(), word.end(), offered.begin(),
                    [](char a, char b) { return UpperAscii(a) == UpperAscii(b); });
}

}  // namespace

// Fills the list for the word before the caret and shows it, or closes it when nothing is
// offered. Unless asked (Ctrl+Space), no word begun and a word typed whole close it too.
void SourceAssist::ShowList(bool asked) {
  const QTextCursor caret = editor_.textCursor();
  const int column = caret.positionInBlock();
  const std::string line = FromQt(caret.block().text().left(column));
  const std::string_view word = WordBefore(line, column);
  const CompletionPlace place = CompletionPlaceAt(line, column);
  CompletionList list;
  if (place != CompletionPlace::Comment && (asked || !word.empty())) {
    list = CompletionsFor(check_->Facts(), word, place, language_, ShownCompletions);
  }
  if (list.words.empty() || (!asked && OnlyTheWord(list, word))) {
    CloseList();
    return;
  }
  listCaret_ = caret.position();
  rows_->Set(std::move(list), Text(language_, TextMoreCompletions));
  // The editor's font, as zoomed: the details stand in a column.
  completer_->popup()->setFont(editor_.font());
  completer_->setCompletionPrefix(ToQt(std::string(word)));
  QRect r = editor_.cursorRect();
  r.setWidth(ListWidth());
  completer_->complete(r);
  completer_->popup()->setCurrentIndex(completer_->completionModel()->index(0, 0));
}

// Wide enough for the longest row, in the editor's font of one width: measuring every row
// shaped each of them, a millisecond or two at every key.
int SourceAssist::ListWidth() const {
  const QAbstractItemView& popup = *completer_->popup();
  const int widest = QFontMetrics(popup.font()).horizontalAdvance(rows_->LongestRow());
  // The margins of an item and of the frame.
  const int margins =
      4 * popup.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 2 * popup.frameWidth() + 8;
  return std::max(240, widest + margins + popup.verticalScrollBar()->sizeHint().width());
}

void SourceAssist::TakeCompletion() {
  const QModelIndex index = completer_->popup()->currentIndex();
  CloseList();
  QString word = index.data(WordRole).toString();
  if (word.isEmpty()) return;
  // In the case the user writes in: the language does not tell the cases apart.
  const QString typed = completer_->completionPrefix();
  if (typed == typed.toLower() && typed != typed.toUpper()) word = word.toLower();
  QTextCursor c = editor_.textCursor();
  c.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor,
                 static_cast<int>(completer_->completionPrefix().size()));
  c.insertText(word);
  editor_.setTextCursor(c);
}

bool SourceAssist::WordIsComplete() const {
  const QModelIndex index = completer_->popup()->currentIndex();
  return index.isValid() && index.data(WordRole).toString().compare(completer_->completionPrefix(),
                                                                    Qt::CaseInsensitive) == 0;
}

// Two letters typed at the start of a statement (after blanks, or after a label) open the
// list by themselves.
void SourceAssist::TypedLetter() {
  const QTextCursor caret = editor_.textCursor();
  const QString line = caret.block().text();
  const int column = caret.positionInBlock();
  // Only the end of the text before the caret counts, and a line may be a million characters
  // long: three characters tell a word of two from a longer one.
  const int tail = std::min(column, 3);
  const std::string end = FromQt(QStringView(line).sliced(column - tail, tail));
  if (WordBefore(end, tail).size() != 2) return;
  int before = column - 2;
  while (before > 0 && line[before - 1] == QLatin1Char(' ')) --before;
  if (before == 0 || line[before - 1] == QLatin1Char(':')) ShowList(false);
}

void SourceAssist::CloseList() {
  listCaret_ = -1;
  completer_->popup()->hide();
}

// A key pressed in the editor while the list is open: whether the list took it.
bool SourceAssist::CompletionKey(QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (WordIsComplete()) {
        // "hlt" typed in full and Return: the line ends as typed, the list only goes away.
        CloseList();
        return false;
      }
      TakeCompletion();
      return true;
    case Qt::Key_Tab:
      TakeCompletion();
      return true;
    case Qt::Key_Escape:
    case Qt::Key_Backtab:
      CloseList();
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      if (key.modifiers() != Qt::NoModifier) return false;
      QCoreApplication::sendEvent(completer_->popup(), &key);
      return true;
    default:
      return false;
  }
}

bool SourceAssist::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == editor_.viewport()) {
    if (type == QEvent::MouseButtonPress) CloseList();
    if (type == QEvent::ToolTip) {
      const auto* help = static_cast<QHelpEvent*>(event);
      if (!ShowHover(help->pos(), help->globalPos())) QToolTip::hideText();
      return true;
    }
    if (type == QEvent::MouseButtonRelease) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton && (mouse->modifiers() & Qt::ControlModifier)) {
        editor_.setTextCursor(editor_.cursorForPosition(mouse->position().toPoint()));
        return GoToDefinition();
      }
    }
    return false;
  }
  if (watched == &editor_ && type == QEvent::ShortcutOverride && completer_->popup()->isVisible()) {
    // The list's own keys are no shortcut of any window's while it is open.
    const auto* key = static_cast<QKeyEvent*>(event);
    static const QList<int> listKeys = {Qt::Key_Return,  Qt::Key_Enter,  Qt::Key_Tab,
                                        Qt::Key_Backtab, Qt::Key_Escape, Qt::Key_Up,
                                        Qt::Key_Down,    Qt::Key_PageUp, Qt::Key_PageDown};
    if (key->modifiers() == Qt::NoModifier && listKeys.contains(key->key())) {
      event->accept();
      return true;
    }
  }
  if (watched == &editor_ && type == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    // Keys may come before the caret's move away from the word has been told.
    if (completer_->popup()->isVisible() && editor_.textCursor().position() != listCaret_) {
      CloseList();
    }
    if (completer_->popup()->isVisible() && CompletionKey(*key)) return true;
    if (key->key() == Qt::Key_F12 && key->modifiers() == Qt::NoModifier) {
      GoToDefinition();
      return true;
    }
    if (key->key() == Qt::Key_Space && key->modifiers() == Qt::ControlModifier) {
      Complete();
      return true;
    }
    const QString text = key->text();
    if (text.size() == 1 && text[0].isLetter() && !editor_.isReadOnly()) {
      // After the editor took the letter.
      QTimer::singleShot(0, this, &SourceAssist::TypedLetter);
    }
  }
  return false;
}

}  // namespace q41::ui

#include "ui/tools/reference_window.hpp"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/app/i_face.hpp"
#include "ui/app/style.hpp"

namespace q41::ui {
namespace {

// How closely an entry answers a query: lower is closer, None not at all.
enum Closeness { Key, TitleStart, InTitle, InText, None };

Closeness ClosenessOf(const ReferenceEntry& entry, const QString& plain, const QString& query) {
  const QString title = QString::fromStdString(entry.title);
  if (QString::fromStdString(entry.key).compare(query, Qt::CaseInsensitive) == 0) return Key;
  if (title.startsWith(query, Qt::CaseInsensitive)) return TitleStart;
  if (title.contains(query, Qt::CaseInsensitive)) return InTitle;
  if (plain.contains(query, Qt::CaseInsensitive)) return InText;
  return None;
}

}  // namespace

ReferenceWindow::ReferenceWindow(QWidget* mainWindow, Language language)
    : ToolWindow(mainWindow), language_(language), reference_(InstructionReference(language)) {
  setObjectName("ReferenceWindow");
  setFont(DesignFont());
  resize(760, 520);
  search = new QLineEdit(this);
  search->setObjectName("referenceSearch");
  search->setPlaceholderText(Text(language, TextReferenceSearch));
  search->setAccessibleName(Text(language, NameReferenceSearch));
  search->setClearButtonEnabled(true);
  search->setFixedWidth(150);
  search->installEventFilter(this);
  entries = new QListWidget(this);
  entries->setObjectName("referenceEntries");
  entries->setFixedWidth(150);
  entries->installEventFilter(this);
  text = new QTextBrowser(this);
  text->setObjectName("referenceText");
  entries->setAccessibleName(Text(language, NameReferenceEntries));
  text->setAccessibleName(Text(language, NameReferenceText));
  for (const ReferenceEntry& e : reference_) {
    plain_.push_back(QTextDocumentFragment::fromHtml(QString::fromStdString(e.html)).toPlainText());
  }
  auto* column = new QVBoxLayout;
  column->addWidget(search);
  column->addWidget(entries);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(column);
  layout->addWidget(text, 1);
  setTabOrder(search, entries);
  setTabOrder(entries, text);
  connect(entries, &QListWidget::currentRowChanged, this, &ReferenceWindow::ShowRow);
  connect(search, &QLineEdit::textChanged, this, &ReferenceWindow::Filter);
  Filter({});
}

void ReferenceWindow::Filter(const QString& query) {
  const QString wanted = query.trimmed();
  std::vector<std::pair<Closeness, std::size_t>> kept;
  for (std::size_t k = 0; k < reference_.size(); ++k) {
    const Closeness c = wanted.isEmpty() ? Key : ClosenessOf(reference_[k], plain_[k], wanted);
    if (c != None) kept.emplace_back(c, k);
  }
  std::stable_sort(kept.begin(), kept.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  const QSignalBlocker quiet(entries);
  entries->clear();
  for (const auto& [closeness, k] : kept) {
    auto* item = new QListWidgetItem(QString::fromStdString(reference_[k].title), entries);
    item->setData(Qt::UserRole, static_cast<int>(k));
  }
  entries->setCurrentRow(kept.empty() ? -1 : 0);
  ShowRow(entries->currentRow());
}

void ReferenceWindow::ShowRow(int row) {
  const QListWidgetItem* item = entries->item(row);
  if (item == nullptr) {
    text->setPlainText(Text(language_, TextReferenceNothing));
    return;
  }
  const auto k = static_cast<std::size_t>(item->data(Qt::UserRole).toInt());
  text->setHtml(QString::fromStdString(reference_[k].html));
  const QString wanted = search->text().trimmed();
  QList<QTextEdit::ExtraSelection> found;
  if (!wanted.isEmpty()) {
    for (QTextCursor at = text->document()->find(wanted); !at.isNull();
         at = text->document()->find(wanted, at)) {
      QTextEdit::ExtraSelection s;
      s.cursor = at;
      s.format.setBackground(CurrentColours().link);
      found << s;
    }
  }
  text->setExtraSelections(found);
  // The first place found in view.
  if (!found.isEmpty()) {
    QTextCursor first = found.front().cursor;
    first.clearSelection();
    text->setTextCursor(first);
    text->ensureCursorVisible();
  }
}

bool ReferenceWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return ToolWindow::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (watched == search && (key == Qt::Key_Down || key == Qt::Key_Up) && entries->count() > 0) {
    const int step = key == Qt::Key_Down ? 1 : -1;
    entries->setCurrentRow(std::clamp(entries->currentRow() + step, 0, entries->count() - 1));
    return true;
  }
  if ((watched == search || watched == entries) && enter && entries->currentRow() >= 0) {
    text->setFocus(Qt::OtherFocusReason);
    return true;
  }
  return ToolWindow::eventFilter(watched, event);
}

bool ReferenceWindow::ShowEntry(const QString& key) {
  const std::string wanted = key.toUpper().toStdString();
  const auto found = std::find_if(reference_.begin(), reference_.end(),
                                  [&wanted](const ReferenceEntry& e) { return e.key == wanted; });
  if (found == reference_.end()) return false;
  const int k = static_cast<int>(found - reference_.begin());
  for (int pass = 0; pass < 2; ++pass) {
    for (int row = 0; row < entries->count(); ++row) {
      if (entries->item(row)->data(Qt::UserRole).toInt() == k) {
        entries->setCurrentRow(row);
        return true;
      }
    }
    // Left out by the search: all entries again.
    search->clear();
  }
  return false;
}

QString ReferenceWindow::ShownKey() const {
  const QListWidgetItem* item = entries->currentItem();
  if (item == nullptr) return {};
  return QString::fromStdString(
      reference_[static_cast<std::size_t>(item->data(Qt::UserRole).toInt())].key);
}

QStringList ReferenceWindow::ListedKeys() const {
  QStringList keys;
  for (int row = 0; row < entries->count(); ++row) {
    keys << QString::fromStdString(
        reference_[static_cast<std::size_t>(entries->item(row)->data(Qt::UserRole).toInt())].key);
  }
  return keys;
}

}  // namespace q41::ui

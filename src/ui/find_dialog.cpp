#include "ui/find_dialog.hpp"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include "ui/program.hpp"
#include "ui/qt_text.hpp"
#include "ui/style.hpp"

namespace q41::ui {
namespace {

QString Say(Language language, const char* russian, const char* english) {
  return QString::fromUtf8(language == Language::English ? english : russian);
}

}  // namespace

FindDialog::FindDialog(QWidget* mainWindow, Language language)
    : QDialog(mainWindow), language_(language) {
  setObjectName("FindDialog");
  setProperty(OwnsEditKeys, true);
  setFont(DesignFont());
  setWindowTitle(Say(language, "Найти и заменить", "Find and replace"));
  findText = new QLineEdit(this);
  findText->setObjectName("findText");
  replaceText = new QLineEdit(this);
  replaceText->setObjectName("replaceText");
  // What the editors cannot keep cannot be looked for or put in either.
  for (QLineEdit* field : {findText, replaceText}) {
    field->setValidator(new KeepableTextValidator(field));
  }
  matchCase = new QCheckBox(Say(language, "Учитывать регистр", "Match case"), this);
  findButton = new QPushButton(Say(language, "Найти далее", "Find next"), this);
  replaceButton = new QPushButton(Say(language, "Заменить", "Replace"), this);
  replaceAllButton = new QPushButton(Say(language, "Заменить все", "Replace all"), this);
  status = new QLabel(this);
  findButton->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(Say(language, "Найти:", "Find:"), this), 0, 0);
  grid->addWidget(findText, 0, 1);
  grid->addWidget(findButton, 0, 2);
  grid->addWidget(new QLabel(Say(language, "Заменить на:", "Replace with:"), this), 1, 0);
  grid->addWidget(replaceText, 1, 1);
  grid->addWidget(replaceButton, 1, 2);
  grid->addWidget(matchCase, 2, 1);
  grid->addWidget(replaceAllButton, 2, 2);
  grid->addWidget(status, 3, 0, 1, 3);

  connect(findButton, &QPushButton::clicked, this, [this] { FindNext(); });
  connect(replaceButton, &QPushButton::clicked, this, [this] { ReplaceOne(); });
  connect(replaceAllButton, &QPushButton::clicked, this, [this] { ReplaceAll(); });
}

void FindDialog::SetTarget(QPlainTextEdit* editor, bool canReplace) {
  target_ = editor;
  canReplace_ = canReplace;
  replaceButton->setEnabled(canReplace);
  replaceAllButton->setEnabled(canReplace);
  replaceText->setEnabled(canReplace);
}

bool FindDialog::SelectionMatches() const {
  const QString selected = target_->textCursor().selectedText();
  return !selected.isEmpty() &&
         selected.compare(findText->text(),
                          matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
}

bool FindDialog::FindNext() {
  status->clear();
  if (target_ == nullptr || findText->text().isEmpty()) return false;
  const QTextDocument::FindFlags flags =
      matchCase->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
  QTextCursor found = target_->document()->find(findText->text(), target_->textCursor(), flags);
  if (found.isNull()) found = target_->document()->find(findText->text(), 0, flags);
  if (found.isNull()) {
    status->setText(Say(language_, "Не найдено.", "Not found."));
    return false;
  }
  target_->setTextCursor(found);
  target_->ensureCursorVisible();
  return true;
}

void FindDialog::ReplaceOne() {
  if (target_ == nullptr || !canReplace_ || target_->isReadOnly()) return;
  if (SelectionMatches()) target_->textCursor().insertText(Keepable(replaceText->text()));
  FindNext();
}

int FindDialog::ReplaceAll() {
  status->clear();
  if (target_ == nullptr || !canReplace_ || target_->isReadOnly() || findText->text().isEmpty()) {
    return 0;
  }
  const QTextDocument::FindFlags flags =
      matchCase->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
  const QString replacement = Keepable(replaceText->text());
  QTextDocument* document = target_->document();
  QTextCursor edit(document);
  edit.beginEditBlock();
  int count = 0;
  for (QTextCursor found = document->find(findText->text(), 0, flags); !found.isNull();
       found = document->find(findText->text(), found, flags)) {
    found.insertText(replacement);
    ++count;
  }
  edit.endEditBlock();
  status->setText(Say(language_, "Заменено: ", "Replaced: ") + QString::number(count));
  return count;
}

}  // namespace q41::ui

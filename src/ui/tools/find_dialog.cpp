#include "ui/tools/find_dialog.hpp"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include "ui/app/application.hpp"
#include "ui/app/i_face.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/style.hpp"

namespace q41::ui {
FindDialog::FindDialog(QWidget* mainWindow, Language language)
    : QDialog(mainWindow), language_(language) {
  setObjectName("FindDialog");
  setProperty(OwnsEditKeys, true);
  setFont(DesignFont());
  setWindowTitle(Text(language, TitleFind));
  findText = new QLineEdit(this);
  findText->setObjectName("findText");
  replaceText = new QLineEdit(this);
  replaceText->setObjectName("replaceText");
  // What the editors cannot keep cannot be looked for or put in either.
  for (QLineEdit* field : {findText, replaceText}) {
    field->setValidator(new KeepableTextValidator(field));
  }
  matchCase = new QCheckBox(Text(language, TextMatchCase), this);
  findButton = new QPushButton(Text(language, TextFindNext), this);
  replaceButton = new QPushButton(Text(language, TextReplace), this);
  replaceAllButton = new QPushButton(Text(language, TextReplaceAll), this);
  status = new QLabel(this);
  findButton->setDefault(true);

  // Each field is named by the caption before it, without its colon.
  auto caption = [this](InterfaceText row, QLineEdit* field) {
    const QString text = Text(language_, row);
    auto* label = new QLabel(text, this);
    label->setBuddy(field);
    field->setAccessibleName(text.endsWith(':') ? text.chopped(1) : text);
    return label;
  };
  auto* grid = new QGridLayout(this);
  grid->addWidget(caption(TextFindLabel, findText), 0, 0);
  grid->addWidget(findText, 0, 1);
  grid->addWidget(findButton, 0, 2);
  grid->addWidget(caption(TextReplaceLabel, replaceText), 1, 0);
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
  replaceButton->setEnabled(canReplace);
  replaceAllButton->setEnabled(canReplace);
  replaceText->setEnabled(canReplace);
}

QTextDocument::FindFlags FindDialog::Flags() const {
  return matchCase->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
}

bool FindDialog::CanReplace() const {
  return target_ != nullptr && replaceButton->isEnabled() && !target_->isReadOnly();
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
  const QTextDocument::FindFlags flags = Flags();
  QTextCursor found = target_->document()->find(findText->text(), target_->textCursor(), flags);
  if (found.isNull()) found = target_->document()->find(findText->text(), 0, flags);
  if (found.isNull()) {
    status->setText(Text(language_, TextNotFound));
    return false;
  }
  target_->setTextCursor(found);
  target_->ensureCursorVisible();
  return true;
}

void FindDialog::ReplaceOne() {
  if (!CanReplace()) return;
  if (SelectionMatches()) target_->textCursor().insertText(replaceText->text());
  FindNext();
}

int FindDialog::ReplaceAll() {
  status->clear();
  if (!CanReplace() || findText->text().isEmpty()) return 0;
  const QTextDocument::FindFlags flags = Flags();
  const QString replacement = replaceText->text();
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
  status->setText(Text(language_, TextReplaced) + QString::number(count));
  return count;
}

}  // namespace q41::ui

#include "ui/tools/tool_windows.hpp"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTextBlock>

#include "blocks/block_model.hpp"
#include "ui/app/application.hpp"
#include "ui/app/i_face.hpp"
#include "ui/app/style.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/editor/editor_lines.hpp"
#include "ui/files/program_files.hpp"
#include "ui/tools/find_dialog.hpp"
#include "ui/tools/listing_window.hpp"
#include "ui/tools/reference_window.hpp"

namespace q41::ui {

ToolWindows::ToolWindows(Application& program, QMainWindow& mainWindow, AsmEditor& asmText,
                         const EditorLines& source)
    : program_(program), mainWindow_(mainWindow), asmText_(asmText), source_(source) {
  lastSourceEditor_ = &asmText;
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (auto* editor = qobject_cast<AsmEditor*>(now); editor != nullptr && editor->IsNumbered()) {
      lastSourceEditor_ = editor;
    }
  });
}

ToolWindows::~ToolWindows() = default;

void ToolWindows::ShowListing() {
  if (!listing_) {
    listing_ = std::make_unique<ListingWindow>(&mainWindow_);
    PlaceBeside(*listing_, mainWindow_);
    listing_->saveButton->setText(Text(program_.settings.language, TextListingSave));
    listing_->text->setAccessibleName(Text(program_.settings.language, NameListingText));
    connect(listing_->saveButton, &QPushButton::clicked, this,
            [this] { program_.RunCommand([this] { SaveListing(); }); });
    connect(listing_.get(), &ListingWindow::SourceLineChosen, this, &ToolWindows::GoToSourceLine);
  }
  ShowInFront(*listing_);
  RefreshListing();
}

void ToolWindows::GoToSourceLine(int line) {
  const QTextBlock block = asmText_.document()->findBlockByNumber(line - 1);
  if (!block.isValid()) return;
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  asmText_.setTextCursor(cursor);
  asmText_.ensureCursorVisible();
}

void ToolWindows::ShowFind() {
  if (!find_) {
    find_ = std::make_unique<FindDialog>(&mainWindow_, program_.settings.language);
    find_->adjustSize();
    PlaceBeside(*find_, mainWindow_);
  }
  QPlainTextEdit* target = lastSourceEditor_ != nullptr ? lastSourceEditor_.data()
                                                        : static_cast<QPlainTextEdit*>(&asmText_);
  find_->SetTarget(target, target == &asmText_);
  // What is selected in the editor is what the user most likely looks for.
  const QString selected = target->textCursor().selectedText();
  if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) {
    find_->findText->setText(selected);
  }
  ShowInFront(*find_);
  find_->findText->setFocus();
  find_->findText->selectAll();
}

// F1 on a mnemonic, in whichever editor has the keyboard, opens that mnemonic's entry.
void ToolWindows::ShowReference() {
  QString word;
  if (auto* editor = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget())) {
    QTextCursor cursor = editor->textCursor();
    cursor.select(QTextCursor::WordUnderCursor);
    word = cursor.selectedText();
  }
  if (!reference_) {
    reference_ = std::make_unique<ReferenceWindow>(&mainWindow_, program_.settings.language);
    PlaceBeside(*reference_, mainWindow_);
    reference_->setWindowTitle(Text(program_.settings.language, TitleReference));
  }
  if (!word.isEmpty()) reference_->ShowEntry(word);
  ShowInFront(*reference_);
  // Typed at once, a word looks for another entry.
  reference_->search->setFocus(Qt::OtherFocusReason);
  reference_->search->selectAll();
}

void ToolWindows::RefreshListing() {
  if (!listing_ || !listing_->isVisible()) return;
  const BlockModel& model = program_.model();
  const CompileHistory& h = model.History(model.CurrentBlock());
  SetListingTitle(h.compiled && !h.CurrentFor(source_.Get()));
  std::vector<ListingRow> rows;
  if (h.compiled) rows = ListingRows(h.source.size(), h.code.size(), h.wordSourceLine);
  Lines text = ListingText(rows, h.source, h.code);
  const Language language = program_.settings.language;
  listing_->ShowListing(
      std::move(rows), std::move(text), Text(language, TextListingNone),
      {ListingFaultNote(language, model.CurrentBlock(), h), h.succeeded ? 0 : h.faultLineCompiled});
}

void ToolWindows::SourceEdited() {
  // Only the title changes: the listing is still of the compile.
  if (!listing_ || !listing_->isVisible()) return;
  const BlockModel& model = program_.model();
  SetListingTitle(model.History(model.CurrentBlock()).compiled);
}

void ToolWindows::SetListingTitle(bool stale) {
  const Language language = program_.settings.language;
  listing_->setWindowTitle(Text(language, TitleListing) + " - BLOCK " +
                           QString::number(program_.model().CurrentBlock()) +
                           (stale ? Text(language, TextListingStale) : QString()));
}

void ToolWindows::SaveListing() {
  if (listing_->Listing().empty()) return;
  const std::optional<QString> path =
      program_.dialogs().SaveFile(Text(program_.settings.language, TextListingFilter), "lst");
  if (path) program_.Files().WriteLinesTo(*path, listing_->Listing());
}

}  // namespace q41::ui

#include "ui/listing_window.hpp"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

#include "ui/qt_text.hpp"
#include "ui/style.hpp"

namespace q41::ui {

ListingWindow::ListingWindow(QWidget* mainWindow) : ToolWindow(mainWindow) {
  setObjectName("ListingWindow");
  setFont(DesignFont());
  resize(720, 480);
  text = new QPlainTextEdit(this);
  text->setObjectName("listingText");
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  saveButton = new QPushButton(this);
  saveButton->setObjectName("listingSave");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(saveButton, 0, Qt::AlignRight);
  // A line chosen by a click (or the keys) selects its source line.
  connect(text, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    text->setExtraSelections({LineHighlight(text->textCursor())});
    if (const int line = SourceLineOfRow(text->textCursor().blockNumber()); line > 0) {
      emit SourceLineChosen(line);
    }
  });
}

void ListingWindow::ShowListing(std::vector<ListingRow> rows, Lines listing,
                                const QString& noListing) {
  rows_ = std::move(rows);
  listing_ = std::move(listing);
  const QSignalBlocker quiet(text);
  std::string joined = JoinLines(listing_, "\n");
  if (!joined.empty()) joined.pop_back();
  text->setPlainText(listing_.empty() ? noListing : ToQt(joined));
}

int ListingWindow::SourceLineOfRow(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return 0;
  return rows_[static_cast<std::size_t>(row)].sourceLine;
}

}  // namespace q41::ui

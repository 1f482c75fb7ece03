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

void ListingWindow::ShowListing(const Lines& listing, const QString& noListing) {
  listing_ = listing;
  const QSignalBlocker quiet(text);
  std::string joined = JoinLines(listing, "\n");
  if (!joined.empty()) joined.pop_back();
  text->setPlainText(listing.empty() ? noListing : ToQt(joined));
}

int ListingWindow::SourceLineOfRow(int row) const {
  // A continuation row belongs to the numbered row above it.
  for (int r = row; r >= 0 && r < static_cast<int>(listing_.size()); --r) {
    const std::string& line = listing_[static_cast<std::size_t>(r)];
    const std::string number = line.substr(0, std::min<std::size_t>(5, line.size()));
    if (number.find_first_not_of(' ') != std::string::npos) return std::stoi(number);
  }
  return 0;
}

}  // namespace q41::ui

#include "ui/tools/listing_window.hpp"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

#include "ui/app/qt_text.hpp"
#include "ui/app/style.hpp"

namespace q41::ui {

ListingWindow::ListingWindow(QWidget* mainWindow) : ToolWindow(mainWindow) {
  setObjectName("ListingWindow");
  setFont(DesignFont());
  resize(720, 480);
  faultNote = new QLabel(this);
  faultNote->setObjectName("listingFault");
  faultNote->setTextFormat(Qt::PlainText);
  faultNote->setWordWrap(true);
  faultNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
  faultNote->hide();
  text = new QPlainTextEdit(this);
  text->setObjectName("listingText");
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  saveButton = new QPushButton(this);
  saveButton->setObjectName("listingSave");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(faultNote);
  layout->addWidget(text);
  layout->addWidget(saveButton, 0, Qt::AlignRight);
  // The fault's colour, as the main window's status line has it, on a light or dark desktop.
  auto colour = [this] {
    faultNote->setStyleSheet("color: " + CurrentColours().errorText.name());
    Highlight();
  };
  colour();
  connect(&PaletteWatch::Get(), &PaletteWatch::Changed, this, colour);
  // A line chosen by a click (or the keys) selects its source line.
  connect(text, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    Highlight();
    if (const int line = SourceLineOfRow(text->textCursor().blockNumber()); line > 0) {
      emit SourceLineChosen(line);
    }
  });
}

void ListingWindow::ShowListing(std::vector<ListingRow> rows, Lines listing,
                                const QString& noListing, const ListingFault& fault) {
  rows_ = std::move(rows);
  listing_ = std::move(listing);
  faultLine_ = fault.line;
  faultNote->setText(fault.note);
  faultNote->setAccessibleName(fault.note);
  faultNote->setVisible(!fault.note.isEmpty());
  const QSignalBlocker quiet(text);
  std::string joined = JoinLines(listing_, "\n");
  if (!joined.empty()) joined.pop_back();
  text->setPlainText(listing_.empty() ? noListing : ToQt(joined));
  // The fault's row in view, as the editor shows the faulty line.
  const std::vector<int> marked = FaultRows();
  if (!marked.empty()) {
    text->setTextCursor(QTextCursor(text->document()->findBlockByNumber(marked.front())));
    text->centerCursor();
  }
  Highlight();
}

int ListingWindow::SourceLineOfRow(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return 0;
  return rows_[static_cast<std::size_t>(row)].sourceLine;
}

std::vector<int> ListingWindow::FaultRows() const {
  std::vector<int> marked;
  if (faultLine_ <= 0) return marked;
  for (std::size_t k = 0; k < rows_.size(); ++k) {
    if (rows_[k].sourceLine == faultLine_) marked.push_back(static_cast<int>(k));
  }
  return marked;
}

void ListingWindow::Highlight() {
  QList<QTextEdit::ExtraSelection> selections = {LineHighlight(text->textCursor())};
  const EditorColours& colours = CurrentColours();
  for (const int row : FaultRows()) {
    // The whole row in the mark's colour, as the caret's row is lit up, and its characters
    // in the mark's ink, in bold.
    QTextEdit::ExtraSelection fault;
    fault.cursor = QTextCursor(text->document()->findBlockByNumber(row));
    fault.format.setBackground(colours.mark);
    fault.format.setProperty(QTextFormat::FullWidthSelection, true);
    QTextEdit::ExtraSelection ink = fault;
    ink.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    ink.format.setForeground(colours.markNumber);
    // Seen without the colour too.
    ink.format.setFontWeight(QFont::Bold);
    ink.format.clearProperty(QTextFormat::FullWidthSelection);
    selections << fault << ink;
  }
  text->setExtraSelections(selections);
}

}  // namespace q41::ui

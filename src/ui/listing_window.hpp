#pragma once
// The listing window: the current block's listing from its last compile, line number,
// address, code words and source line side by side. A click on a line selects its source
// line in the main window; the listing can be saved as a text file.

#include <vector>

#include "blocks/listing.hpp"
#include "common/text.hpp"
#include "ui/widgets.hpp"

class QPlainTextEdit;
class QPushButton;

namespace q41::ui {

class ListingWindow : public ToolWindow {
  Q_OBJECT
 public:
  explicit ListingWindow(QWidget* mainWindow);

  // The listing to show, one printed line for each of its rows, or a note in its place when
  // there is none.
  void ShowListing(std::vector<ListingRow> rows, Lines listing, const QString& noListing);
  const Lines& Listing() const { return listing_; }
  // The 1-based source line of a row of the listing, as the row knows it (the printed number
  // has five columns, too few for a long block); 0 for none.
  int SourceLineOfRow(int row) const;

  QPlainTextEdit* text;
  QPushButton* saveButton;

 signals:
  void SourceLineChosen(int line);

 private:
  std::vector<ListingRow> rows_;
  Lines listing_;
};

}  // namespace q41::ui

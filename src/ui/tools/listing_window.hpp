#pragma once
// The listing window: the current block's listing from its last compile, line number,
// address, code words and source line side by side. A click on a line selects its source
// line in the main window; the listing can be saved as a text file. The listing of a compile
// that failed says so above it, and its faulty line is marked; what is saved stays the
// listing's own lines, in the format scripts read.

#include <vector>

#include "blocks/listing.hpp"
#include "common/text.hpp"
#include "ui/app/widgets.hpp"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace q41::ui {

// A failed compile's note and the 1-based source line of its fault (0 for none).
struct ListingFault {
  QString note;
  int line = 0;
};

class ListingWindow : public ToolWindow {
  Q_OBJECT
 public:
  explicit ListingWindow(QWidget* mainWindow);

  // The listing to show, one printed line for each of its rows, or a note in its place when
  // there is none. With a fault, the note stands above the listing and the fault's rows are
  // marked and brought into view; the caret's row is its first.
  void ShowListing(std::vector<ListingRow> rows, Lines listing, const QString& noListing,
                   const ListingFault& fault = {});
  const Lines& Listing() const { return listing_; }
  // The 1-based source line of a row of the listing, as the row knows it (the printed number
  // has five columns, too few for a long block); 0 for none.
  int SourceLineOfRow(int row) const;
  // The rows marked as the fault's.
  std::vector<int> FaultRows() const;

  QLabel* faultNote;
  QPlainTextEdit* text;
  QPushButton* saveButton;

 signals:
  void SourceLineChosen(int line);

 private:
  // The caret's row lit up, and the fault's rows marked over it.
  void Highlight();

  std::vector<ListingRow> rows_;
  Lines listing_;
  int faultLine_ = 0;
};

}  // namespace q41::ui

#pragma once
// Small widgets of the windows: the block lamp, the radio group, the label grid, and the
// base of the windows that stand beside the main one.

#include <QAbstractTableModel>
#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QStringList>
#include <QWidget>
#include <functional>

class QKeyEvent;

#include "blocks/block_view.hpp"

class QButtonGroup;
class QVBoxLayout;

namespace q41 {
class LabelTable;
}

namespace q41::ui {

// A window of its own beside the main window (the listing, the instruction reference):
// Escape closes it, as it closes a dialog.
class ToolWindow : public QWidget {
 public:
  explicit ToolWindow(QWidget* mainWindow) : QWidget(mainWindow, Qt::Window) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

// A status line of one row: a text too long for it is cut with an ellipsis and shows whole
// in its tooltip, whoever set the text. text() is the whole text.
class StatusLabel : public QLabel {
 public:
  explicit StatusLabel(QWidget* parent);
  // What the line shows of its text: the text itself, or its start and an ellipsis.
  QString ShownText() const;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

// Gives every key press that reaches `watched` first to `take`, which returns whether it took
// the key (it then goes no further). The filter lives as long as `watched`.
void FilterKeyPresses(QObject& watched, std::function<bool(QObject&, QKeyEvent&)> take);

// A lamp's colour; a hidden lamp takes the colour of `background`.
QColor LampColorOf(LampColor color, const QWidget& background);

// A status lamp: a rectangle with rounded corners, filled with the colour of its block's
// state. The lamp of a block that does not exist is not shown at all, so that whatever the
// frame behind it paints shows, in the palette of the moment. A screen reader reads the
// state as the lamp's name and hears of each change.
class Lamp : public QWidget {
  Q_OBJECT
 public:
  explicit Lamp(QWidget* parent);
  LampColor State() const { return state_; }
  // The colour the lamp shows: for a hidden lamp, its frame's.
  QColor Color() const;
  // `spoken` says the state in words (empty for a hidden lamp).
  void SetState(LampColor state, const QString& spoken);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  LampColor state_ = LampColor::White;
};

// A frame with a caption and a column of mutually exclusive items.
class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  explicit RadioGroup(QWidget* parent);
  void AddItem(const QString& text);
  int ItemCount() const;
  QString Item(int index) const;
  // -1 when no item is selected.
  int ItemIndex() const;
  void SetItemIndex(int index);
  // The items' buttons, in order, for the window's tab order.
  QList<QWidget*> ItemWidgets() const;

 signals:
  // The user chose an item (not a selection made by the program).
  void Clicked();

 private:
  QButtonGroup* buttons_;
  QVBoxLayout* layout_;
  int chosen_ = -1;  // as the user last left it, or the program set it
};

// The label grid's rows, straight from the label table: nothing is copied, so a block of
// thousands of labels shows at once. Row 0 of the grid is the header.
class LabelGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit LabelGridModel(const LabelTable& table, QObject* parent = nullptr)
      : QAbstractTableModel(parent), table_(table) {}
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // The header cells of columns 0 to 2.
  void SetHeader(int column, const QString& text);
  // The table changed: show it again.
  void Refresh();

 private:
  const LabelTable& table_;
  QStringList header_ = {QString(), QString(), QString()};
};

}  // namespace q41::ui

#pragma once
// The compile-text window: the text for compilation, which the user may read, edit by hand
// and assemble with Compile only, and the one compiler option, short constants.

#include <QWidget>
#include <memory>

#include "ui/editor/editor_lines.hpp"

class QCheckBox;
class QGroupBox;
class QPlainTextEdit;

namespace q41::ui {

class FramePlacement;

class TForm2 : public QWidget {
  Q_OBJECT
 public:
  // `mainWindow` is the window this one stands beside; `useShortConst` is the setting the
  // check box shows and changes.
  TForm2(QWidget* mainWindow, bool& useShortConst);

  QPlainTextEdit* compText;
  std::unique_ptr<EditorLines> compLines;  // of compText
  QGroupBox* GroupBox1;
  QCheckBox* ShConst;

  // Where the window goes each time it is shown: centred on the main window's height, just
  // left of where a screen-centred main window begins, never off the left edge.
  static QPoint Placement(const QRect& mainFrame, const QSize& ownFrame, int screenWidth);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShConstClick(bool checked);

  QWidget* mainWindow_;
  bool& useShortConst_;
  FramePlacement* placement_;  // owned by the window
};

}  // namespace q41::ui

#pragma once
// The all-blocks window: the six stored blocks side by side, one column each, edited in
// place. Its fields are the block data: an edit here changes the stored block at once. When
// it becomes active the main window's working copy is stored; when it stops being active the
// current block is shown in the main window again, so edits flow both ways (the presenter
// decides when).

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "blocks/block_view.hpp"
#include "blocks/presenter.hpp"
#include "ui/editor/editor_lines.hpp"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace q41 {
class BlockModel;
}

namespace q41::ui {

class AsmEditor;

class THF : public QWidget, public q41::StoredBlocksView, public q41::AllBlocksWindow {
  Q_OBJECT
 public:
  struct Panel {
    QFrame* frame;
    QLabel* title;
    std::array<QCheckBox*, 4> ppu;
    QLabel* ppuList;
    QLineEdit* cpuAddress;
    QLineEdit* ppuAddress;
    QLabel* wordCount;
    QPlainTextEdit* code;
    AsmEditor* source;
    std::unique_ptr<EditorLines> codeLines;  // of `code`
    std::unique_ptr<EditorLines> lines;      // of `source`
  };

  // Builds the window at the screen's top-left corner, runs the first-run new program and
  // shows itself. `mainWindow` is what the return button brings forward; the presenter is
  // told of every change of the window's activation.
  THF(BlockModel& model, Presenter& presenter, QWidget* mainWindow, const QString& returnHint);

  std::array<Panel, 6> panels;
  QToolButton* returnButton;
  QToolButton* SpeedButton1;  // hidden: lends the return button its picture and handler

  // Shows block n's stored data; the model tells whenever it changed it.
  void StoredBlockChanged(int n) override;
  // Whether block n's PPU boxes, addresses and source take input.
  void SetBlockEnabled(int n, bool enabled) override;

  // AllBlocksWindow.
  bool IsActive() const override;
  void FormActivate() override;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void BuildPanel(int i, int left, int width, int height);
  void BuildFields(int i);
  void BuildEditors(int i, int width, int height);
  // The panel's edits go to the stored block, but not while the window fills the panel.
  void StorePpus(int i);
  void StoreAddresses(int i);
  void SpeedButton1Click();

  BlockModel& model_;
  Presenter& presenter_;
  QWidget* mainWindow_;
  // Set while the window itself fills its fields, so that filling is not taken for an edit.
  bool filling_ = false;
};

}  // namespace q41::ui

#pragma once
// The all-blocks window: the six stored blocks side by side, one column each, edited in
// place. Its fields are the block data: an edit here changes the stored block at once. When
// it becomes active it stores the main window's working copy; when it stops being active it
// shows the current block in the main window again, so edits flow both ways.

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "blocks/block_view.hpp"
#include "ui/editor_lines.hpp"

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

class THF : public QWidget, public q41::StoredBlocksView {
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
  // shows itself. `mainWindow` is what the return button brings forward; `commandRunning`
  // says whether a command of the main window is under way (the program keeps that record).
  THF(BlockModel& model, QWidget* mainWindow, const QString& returnHint,
      std::function<bool()> commandRunning);

  std::array<Panel, 6> panels;
  QToolButton* returnButton;
  QToolButton* SpeedButton1;  // hidden: lends the return button its picture and handler

  // Shows block n's stored data; the model tells whenever it changed it.
  void StoredBlockChanged(int n) override;
  // Whether block n's PPU boxes, addresses and source take input.
  void SetBlockEnabled(int n, bool enabled) override;

  // A command of the main window starts: when this window is active, its edits of the
  // current block go to the working copy first, as when it stops being active.
  void CommandStarting();
  // The command has ended: this window takes up the activation as it now really is.
  void CommandEnded();
  // Whether the stored current block is its real content: this window is active and edits
  // the store itself, and no command has taken its edits into the main window.
  bool HoldsCurrentBlock() const { return active_ && !commandRunning_(); }

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
  void FormActivate();
  void FormDeactivate();
  // Stores or shows the current block when the real activation differs from what the
  // window last took it to be.
  void FollowActivation();

  BlockModel& model_;
  QWidget* mainWindow_;
  std::function<bool()> commandRunning_;
  // Whether the window is active as far as the blocks go: its last store or show.
  bool active_ = false;
  // Set while the window itself fills its fields, so that filling is not taken for an edit.
  bool filling_ = false;
};

}  // namespace q41::ui

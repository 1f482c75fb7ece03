#pragma once
// Where the current block's real content lives, decided in one place. The main window's
// working copy is its truth, except while the all-blocks window is active: that window edits
// the stored blocks themselves, so the store is then the truth, until a command runs. A
// command reads and writes the working copy, so it starts by taking the all-blocks window's
// edits into it. Every command of the windows runs through the presenter, and every change
// of the all-blocks window's activation is told to it; nothing else moves the current block
// between the two copies on those occasions.

#include <functional>

#include "blocks/block_model.hpp"

namespace q41 {

// The all-blocks window as the presenter sees it.
class AllBlocksWindow {
 public:
  virtual ~AllBlocksWindow() = default;
  // Whether the window is really active now, as the desktop says.
  virtual bool IsActive() const = 0;
  // The window took the current block from the working copy: typing goes on where the
  // user was typing (the window's own part of becoming active).
  virtual void FormActivate() {}
};

class Presenter {
 public:
  explicit Presenter(BlockModel& model) : model_(model) {}

  // The all-blocks window, once it exists; `beforeCommand` runs as each outermost command
  // starts (a completion list closes, say).
  void SetAllBlocksWindow(AllBlocksWindow* window) { allBlocks_ = window; }
  void SetBeforeCommand(std::function<void()> beforeCommand) {
    beforeCommand_ = std::move(beforeCommand);
  }

  // Runs a command of the windows. The boxes and dialogs it opens move the activation back
  // and forth; what that means for the current block is settled once the outermost command
  // has ended. Commands started within a command run as part of it.
  void RunCommand(const std::function<void()>& command);
  bool CommandRunning() const { return depth_ > 0; }

  // The all-blocks window's activation changed. While a command runs, it is settled when
  // the command ends: a store or show half-way would undo the command's work.
  void AllBlocksActivationChanged();

  // Whether the stored current block is its real content: the all-blocks window is active
  // and edits the store itself, and no command has taken its edits into the main window.
  bool StoreIsCurrent() const { return allBlocksActive_ && depth_ == 0; }
  // The program file's lines as the program stands now, wherever its truth is.
  Lines ProgramFileNow() { return model_.ProgramFileNow(StoreIsCurrent()); }

 private:
  // Stores or shows the current block when the real activation differs from the one last
  // taken up.
  void FollowActivation();
  bool ReallyActive() const { return allBlocks_ != nullptr && allBlocks_->IsActive(); }

  BlockModel& model_;
  AllBlocksWindow* allBlocks_ = nullptr;
  std::function<void()> beforeCommand_;
  int depth_ = 0;
  // The all-blocks window's activation as last taken up: its last store or show.
  bool allBlocksActive_ = false;
};

}  // namespace q41

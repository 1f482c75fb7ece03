#include "blocks/presenter.hpp"

namespace q41 {

void Presenter::RunCommand(const std::function<void()>& command) {
  if (depth_ == 0) {
    if (beforeCommand_) beforeCommand_();
    // An activation not yet taken up is taken up first: its store must not be skipped.
    FollowActivation();
    if (allBlocksActive_) model_.ShowBlock(model_.CurrentBlock());
  }
  ++depth_;
  command();
  --depth_;
  if (depth_ > 0) return;
  // Active before the command, the all-blocks window gave its edits to the working copy as
  // the command started, and nothing could be typed there while a modal window was open:
  // losing the activation during the command leaves nothing to show. Showing the block now
  // would only throw away what the command put in the main window.
  if (allBlocksActive_ && !ReallyActive()) {
    allBlocksActive_ = false;
    return;
  }
  FollowActivation();
}

void Presenter::AllBlocksActivationChanged() {
  if (depth_ == 0) FollowActivation();
}

void Presenter::FollowActivation() {
  const bool active = ReallyActive();
  if (active == allBlocksActive_) return;
  allBlocksActive_ = active;
  if (active) {
    model_.StoreCurrentBlock(model_.CurrentBlock());
    allBlocks_->FormActivate();
  } else {
    model_.ShowBlock(model_.CurrentBlock());
  }
}

}  // namespace q41

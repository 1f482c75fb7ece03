#pragma once
// A program of the block model in plain fields, as the windows start it.

#include "blocks/block_model.hpp"
#include "plain_view.hpp"

namespace q41::test {

struct Started {
  PlainView view;
  CompileWorkspace workspace;
  CompileSettings settings{Language::English, true};
  BlockModel model{view.Views(), workspace, settings};
  Started() {
    model.AddStoredBlocksView(view);
    model.NewProgram();
  }
};

}  // namespace q41::test

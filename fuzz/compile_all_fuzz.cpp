// A program through compile all and the code file: whatever the program, compile all ends
// with every block before the failing one stored, and the code file holds each block's
// section with its words, counted as many as it lists, and never the words of a failed
// compile.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "blocks/block_model.hpp"
#include "blocks/plain_view.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  q41::PlainView view;
  q41::CompileWorkspace workspace;
  q41::CompileSettings settings{q41::Language::English, size % 2 == 0};
  q41::BlockModel model(view, workspace, settings);
  model.NewProgram();
  model.ReadProgramFile(q41::SplitLines(bytes));
  const bool success = model.CompileAll();
  if (success != (view.LineCaption() == q41::Message(settings.language, q41::MsgSuccess))) {
    std::abort();
  }
  for (int n = 0; n <= model.LastBlock; ++n) {
    const q41::BlockRecord& r = model.BlockStore[static_cast<std::size_t>(n)];
    const bool compiled = success || n < model.CurrentBlock;
    if (compiled && r.wordCount != q41::WordCountText(r.code.size())) std::abort();
    if (!compiled && !r.code.empty()) std::abort();
  }
  if (!success && view.LineCaption().rfind("Bl.", 0) != 0) std::abort();
  // Saving the code file stores the shown block first, as the command does.
  view.answers.assign(6, true);
  if (!model.PrepareCodeFile()) std::abort();
  const q41::Lines file = model.WriteCodeFile();
  std::size_t at = 1;
  for (int n = 0; n <= model.LastBlock; ++n) {
    const q41::BlockRecord& r = model.BlockStore[static_cast<std::size_t>(n)];
    const std::size_t words = r.codeFromFailedCompile ? 0 : r.code.size();
    if (at + 7 + words > file.size() || file[at + 5] != q41::WordCountText(words)) std::abort();
    at += 7 + words;
  }
  if (at != file.size()) std::abort();
  return 0;
}

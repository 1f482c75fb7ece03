// A program through compile all and the code file: whatever the program, compile all ends
// with every block before the failing one stored, and the code file holds each block's
// section with its words, counted as many as it lists, and never the words of a failed
// compile.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "blocks/code_file.hpp"
#include "blocks/compile.hpp"
#include "blocks/program_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  q41::Program program = q41::ReadProgramFile(q41::SplitLines(bytes), q41::Program()).program;
  q41::CompileWorkspace workspace;
  q41::CompileAllRequest request;
  request.options = {q41::Language::English, size % 2 == 0};
  const q41::CompileAllOutcome all = q41::CompileAll(program, workspace, request);
  const std::string& caption = all.Status().lineCaption;
  if (all.succeeded != (caption == q41::Message(request.options.language, q41::MsgSuccess))) {
    std::abort();
  }
  if (all.succeeded != (all.failedBlock < 0)) std::abort();
  for (int n = 0; n <= program.LastBlock(); ++n) {
    const q41::BlockRecord& r = program.Block(n);
    const bool compiled = all.succeeded || n < all.failedBlock;
    if (compiled && r.wordCount != q41::WordCountText(r.code.size())) std::abort();
    if (!compiled && !r.code.empty()) std::abort();
  }
  if (!all.succeeded && caption.rfind("Bl.", 0) != 0) std::abort();
  const q41::Lines file = q41::WriteCodeFile(program);
  std::size_t at = 1;
  for (int n = 0; n <= program.LastBlock(); ++n) {
    const q41::BlockRecord& r = program.Block(n);
    const std::size_t words = r.codeFromFailedCompile ? 0 : r.code.size();
    if (at + 7 + words > file.size() || file[at + 5] != q41::WordCountText(words)) std::abort();
    at += 7 + words;
  }
  if (at != file.size()) std::abort();
  return 0;
}

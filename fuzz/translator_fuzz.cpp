// Source bytes through the preprocessor and the assembler, in both languages, with short
// constants on and off. What a user relies on: a successful run's code words are four
// upper-case hexadecimal digits and its code labels stand at even addresses; a failing run
// says where and what.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "blocks/compile.hpp"

namespace {

bool IsHexWord(const std::string& word) {
  if (word.size() != 4) return false;
  for (char c : word) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t options = data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const q41::Lines source = q41::SplitLines(bytes);
  const q41::AssemblerOptions assembler{
      (options & 1) != 0 ? q41::Language::English : q41::Language::Russian, (options & 2) != 0};
  const q41::Lines glob =
      (options & 4) != 0 ? q41::Lines{"G=1", "H = 0FFH"} : q41::Lines{";Global"};

  q41::CompileWorkspace workspace;
  const q41::CompileOutcome outcome =
      q41::CompileSource(workspace, source, glob, assembler, nullptr);
  if (outcome.succeeded) {
    for (const auto& word : outcome.code) Check(IsHexWord(word));
    for (int r = 1; r <= workspace.labels.LabelCount(); ++r) {
      const q41::LabelRow& row = workspace.labels.Row(r);
      Check(row.Value() != "????");
      if (row.kind == ':') {
        Check(row.Value().size() == 4);
        Check(std::string_view("02468ACE").find(row.Value().back()) != std::string_view::npos);
      }
    }
  } else {
    Check(!outcome.status.lineCaption.empty());
    Check(!outcome.status.errCaption.empty());
  }
  return 0;
}

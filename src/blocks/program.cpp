#include "blocks/program.hpp"

#include "common/number_text.hpp"

namespace q41 {

std::string PpuListText(const PpuSet& set) {
  std::string digits;
  for (int k = 3; k >= 0; --k) {
    if (set[static_cast<std::size_t>(k)]) digits += static_cast<char>('1' + k);
  }
  PadToFourDigits(digits);
  return digits;
}

PpuSet PpuSetOf(std::string_view text) {
  PpuSet set{};
  for (char c : text.substr(0, 4)) {
    if (c >= '1' && c <= '4') set[static_cast<std::size_t>(c - '1')] = true;
  }
  return set;
}

int Program::AddBlock() {
  if (Full()) return last_;
  ++last_;
  Block(last_) = BlockRecord{};
  return last_;
}

void Program::DeleteLastBlock() {
  if (last_ == 0) return;
  Block(last_) = BlockRecord{};
  --last_;
}

void Program::ClearBlocks() {
  for (BlockRecord& r : blocks_) r = BlockRecord{};
  last_ = 0;
}

}  // namespace q41

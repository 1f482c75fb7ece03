#pragma once
// The program as a value: up to six blocks, the header, the GLOBAL text and the memory mode.
// It knows nothing of windows: the tool, the language service and the windows all hold the
// program in this form, read and write its files with the functions of program_file.hpp and
// code_file.hpp, and compile it with those of compile.hpp.

#include <array>
#include <string>
#include <string_view>

#include "blocks/compile_history.hpp"
#include "common/text.hpp"

namespace q41 {

inline constexpr int BlockCount = 6;

using PpuSet = std::array<bool, 4>;  // PPU1 to PPU4

// The PPU list of a set: the chosen digits from 4 down to 1, padded on the left with "0"
// to four characters ("0031" for PPU1 and PPU3; "0000" for the CPU).
std::string PpuListText(const PpuSet& set);
// The set named by the first four characters of a text: each "1" to "4" chooses that PPU.
PpuSet PpuSetOf(std::string_view text);

struct BlockRecord {
  Lines source;
  Lines code;
  // The code is what a failed compile left: it never goes into a code file as good code.
  bool codeFromFailedCompile = false;
  // The block's last compile, whichever command made it and wherever its text is now (the
  // working copy or the store): where its source differs from `source`, the code is older
  // than the text.
  CompileHistory history;
  PpuSet ppu{};
  // The PPU list, always the standard form of the set: derived, never kept beside it.
  std::string PpuList() const { return PpuListText(ppu); }
  std::string cpuAddress = "0000";
  std::string ppuAddress = "0000";
  std::string wordCount = "0000";
};

// The memory mode of the program file's first line and the code file's first digit.
enum class MemoryMode { Common = 0, Distributed = 1 };

class Program {
 public:
  // The texts a program starts with, before a file is read or the user types: the header
  // and GLOBAL text of the main window, and block 0 at the first start and at New program.
  static Lines DefaultHeader() { return {"Q41 assembler, v.1, 2018"}; }
  static Lines DefaultGlobal() { return {";Global"}; }
  static Lines FirstRunSource() { return {";asm text", "", "hlt"}; }
  static Lines NewProgramSource() { return {"", "hlt"}; }

  // Blocks 0 to LastBlock() exist.
  int LastBlock() const { return last_; }
  const BlockRecord& Block(int n) const { return blocks_[static_cast<std::size_t>(n)]; }
  BlockRecord& Block(int n) { return blocks_[static_cast<std::size_t>(n)]; }
  // Whether another block may be added.
  bool Full() const { return last_ == BlockCount - 1; }
  // A new, empty block after the last one (when not full); its number is the result.
  int AddBlock();
  // The last block goes (while more than one exists); its record is cleared.
  void DeleteLastBlock();
  // Only block 0 remains, and every record is cleared.
  void ClearBlocks();

  const Lines& Header() const { return header_; }
  void SetHeader(Lines header) { header_ = std::move(header); }
  const Lines& Global() const { return global_; }
  void SetGlobal(Lines global) { global_ = std::move(global); }
  MemoryMode Memory() const { return memory_; }
  void SetMemory(MemoryMode mode) { memory_ = mode; }

 private:
  std::array<BlockRecord, BlockCount> blocks_;
  int last_ = 0;
  Lines header_ = DefaultHeader();
  Lines global_ = DefaultGlobal();
  MemoryMode memory_ = MemoryMode::Common;
};

}  // namespace q41

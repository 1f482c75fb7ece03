#include "language/program.hpp"

#include "blocks/program_file.hpp"

namespace q41 {

std::optional<std::size_t> ProgramFacts::FileLine(int block, bool inGlobal,
                                                  std::int32_t line) const {
  if (line < 1) return std::nullopt;
  const auto k = static_cast<std::size_t>(line - 1);
  if (inGlobal) {
    if (k >= layout.globalLines.size()) return std::nullopt;
    return layout.globalLines[k];
  }
  if (block < 0 || static_cast<std::size_t>(block) >= blocks.size() ||
      k >= blocks[static_cast<std::size_t>(block)].size()) {
    return std::nullopt;
  }
  return layout.blockStart[static_cast<std::size_t>(block)] + k;
}

std::optional<ProgramFacts::Where> ProgramFacts::PlaceOf(std::size_t fileLine) const {
  for (std::size_t k = 0; k < layout.globalLines.size(); ++k) {
    if (layout.globalLines[k] == fileLine) return Where{0, true, static_cast<std::int32_t>(k + 1)};
  }
  for (std::size_t n = blocks.size(); n > 0; --n) {
    const std::size_t start = layout.blockStart[n - 1];
    if (fileLine >= start && fileLine - start < blocks[n - 1].size()) {
      return Where{static_cast<int>(n - 1), false, static_cast<std::int32_t>(fileLine - start + 1)};
    }
  }
  return std::nullopt;
}

ProgramFacts ReadProgram(const Lines& file, const AssemblerOptions& options,
                         const Lines& unmarkedGlobal) {
  Program before;
  before.SetGlobal(unmarkedGlobal);
  ProgramRead read = ReadProgramFile(file, before);
  ProgramFacts program;
  program.unmarkedGlobal = unmarkedGlobal;
  program.glob = read.program.Global();
  program.layout = std::move(read.layout);
  for (int n = 0; n <= read.program.LastBlock(); ++n) {
    program.blocks.push_back(std::move(read.program.Block(n).source));
    program.facts.push_back(ReadBlock(program.blocks.back(), program.glob, options));
  }
  return program;
}

}  // namespace q41

#pragma once
// A whole program file as the windows read it (header, GLOBAL text and blocks, by the block
// model's own reader), every block checked as compile all checks it but without stopping at
// the first block that fails, and the way between a place in a block or in GLOBAL and a line
// of the file. For tools that see the program as one file: the command-line tool's messages
// and the language server.

#include <optional>
#include <vector>

#include "blocks/program_file.hpp"
#include "language/service.hpp"

namespace q41 {

struct ProgramFacts {
  Lines glob;
  std::vector<Lines> blocks;      // each block's source, its marker line first
  std::vector<BlockFacts> facts;  // each block's check
  FileLayout layout;
  // The GLOBAL text the file was read with when it has no markers of its own.
  Lines unmarkedGlobal;

  // The 0-based line of the file that holds line `line` (1-based) of block `block`, or of
  // the GLOBAL text when `inGlobal`; nothing for a line the file does not have.
  std::optional<std::size_t> FileLine(int block, bool inGlobal, std::int32_t line) const;
  // Where a line of the file (0-based) belongs: a block and its line, or GLOBAL and its
  // line; nothing for the header and the separators.
  struct Where {
    int block = 0;
    bool inGlobal = false;
    std::int32_t line = 0;
  };
  std::optional<Where> PlaceOf(std::size_t fileLine) const;
};

// Reads `file` (its lines, Windows-1251) and checks every block. A file without block
// markers is one block, checked with `unmarkedGlobal` as its GLOBAL text (an editor that
// shows a block alone knows the program's).
ProgramFacts ReadProgram(const Lines& file, const AssemblerOptions& options,
                         const Lines& unmarkedGlobal = Program::DefaultGlobal());

}  // namespace q41

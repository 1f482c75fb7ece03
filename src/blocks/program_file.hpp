#pragma once
// The program file (.ASM): lines in, lines out, for a program value. Reading and writing
// the bytes is the caller's business.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "blocks/program.hpp"

namespace q41 {

// A line of the program that the reader would take for a block marker once the program is
// saved: opened again, the file's blocks would start elsewhere. The format has no escape
// for such a line, so the writer keeps it as it is and the user is told.
struct MarkerClash {
  enum class Where { Header, Global, Block };
  Where where = Where::Header;
  int block = 0;         // for Block: the block whose source holds the line
  std::size_t line = 0;  // 1-based, in the header, the GLOBAL text or the block's stored source
  int marker = 0;        // the block whose marker the line would be read as
  std::string text;      // the line as it is written
};

// Where the parts of a file read stand in it, as 0-based lines of the file: block n's source
// line k (1-based) is the file's line blockStart[n] + k - 1; GLOBAL line j is
// globalLines[j - 1].
struct FileLayout {
  std::array<std::size_t, BlockCount> blockStart{};
  std::vector<std::size_t> globalLines;
};

struct ProgramRead {
  Program program;
  FileLayout layout;
  // Whether the file had block markers. A file without them is not a program file: its whole
  // text is block 0, and the header and GLOBAL text are the ones the program had before.
  bool marked = false;
  // The memory type of the file's first line when it is neither COMM nor DIST (the memory
  // mode is then the one the program had before).
  std::optional<std::string> memoryRefused;
};

// Rebuilds the program from a file's lines; `before` gives what a file does not say.
ProgramRead ReadProgramFile(Lines lines, const Program& before);

// The same for a file without block markers, whose lines the caller keeps while the program
// is compiled (compile all compiles them where they stand): block 0's settings come from
// them and its source stays empty. Nothing when the file has the marker of block 0.
std::optional<ProgramRead> ReadUnmarkedFile(const LineViews& lines, const Program& before);

// The file's lines for the program, and in `clash` the first line of the program that the
// file would read back as a block marker where the writer put none: a header or GLOBAL line,
// or a body line, starting ";BLOCK k" with k the next block the reader looks for. Nothing
// when the file reads back into the same blocks.
Lines WriteProgramFile(const Program& program);
Lines WriteProgramFile(const Program& program, std::optional<MarkerClash>& clash);

// Where block n's body starts in its source: after its own marker (the first line starting
// ";BLOCK n", whose text after those 8 characters the writer keeps), its settings lines and
// the empty lines among them, which the writer writes anew.
std::size_t BlockBodyStart(const Program& program, int n);

}  // namespace q41

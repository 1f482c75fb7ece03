// Program-file bytes read, written, read and written again, as Open and Save do: the second
// and third writes are the same bytes, and every block's source lines are in the file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "blocks/program_file.hpp"

namespace {

// Each block's lines after the ones the writer replaces.
std::vector<q41::Lines> Bodies(const q41::Program& program) {
  std::vector<q41::Lines> bodies;
  for (int n = 0; n <= program.LastBlock(); ++n) {
    const q41::Lines& source = program.Block(n).source;
    bodies.emplace_back(source.begin() + static_cast<std::ptrdiff_t>(BlockBodyStart(program, n)),
                        source.end());
  }
  return bodies;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const q41::Program first = q41::ReadProgramFile(q41::SplitLines(bytes), q41::Program()).program;
  std::optional<q41::MarkerClash> clash;
  const q41::Lines second = q41::WriteProgramFile(first, clash);
  const q41::Program reread = q41::ReadProgramFile(second, q41::Program()).program;
  const q41::Lines third = q41::WriteProgramFile(reread);
  // A line of the program that reads as a block marker (";BLOCK 1" typed into block 0, a
  // header line "BLOCK 0" that is written with its ";") starts a block when the file is read
  // again: the file format's own limit, which the model reports so the user can be warned.
  // Every other program is written the same way however often it is opened and saved, and
  // a reported one does read back differently.
  const bool markerInBody = clash.has_value();
  if (!markerInBody && third != second) std::abort();
  if (markerInBody && reread.LastBlock() == first.LastBlock() && Bodies(reread) == Bodies(first)) {
    std::abort();
  }
  // The file holds each block's lines, in order.
  std::size_t at = 0;
  for (const q41::Lines& body : Bodies(first)) {
    for (const std::string& line : body) {
      while (at < second.size() && second[at] != line) ++at;
      if (at == second.size()) std::abort();
      ++at;
    }
  }
  if (!markerInBody && Bodies(reread) != Bodies(first)) std::abort();
  // And its bytes split back into the very lines that were written.
  if (q41::SplitLines(q41::JoinLines(second)) != second) std::abort();
  return 0;
}

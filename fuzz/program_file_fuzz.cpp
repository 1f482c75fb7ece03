// Program-file bytes read, written, read and written again, as Open and Save do: the second
// and third writes are the same bytes, and every block's source lines are in the file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "blocks/block_model.hpp"
#include "blocks/plain_view.hpp"

namespace {

struct Program {
  q41::PlainView view;
  q41::CompileWorkspace workspace;
  q41::CompileSettings settings;
  q41::BlockModel model{view, workspace, settings};
  Program() { model.NewProgram(); }

  q41::Lines Save() {
    model.StoreCurrentBlock(model.CurrentBlock);
    q41::Lines file = model.WriteProgramFile();
    model.ShowBlock(model.CurrentBlock);
    return file;
  }
  // Each block's lines after the ones the writer replaces.
  std::vector<q41::Lines> Bodies() const {
    std::vector<q41::Lines> bodies;
    for (int n = 0; n <= model.LastBlock; ++n) {
      const q41::Lines& source = model.BlockStore[static_cast<std::size_t>(n)].source;
      bodies.emplace_back(source.begin() + static_cast<std::ptrdiff_t>(model.BlockBodyStart(n)),
                          source.end());
    }
    return bodies;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Program first;
  first.model.ReadProgramFile(q41::SplitLines(bytes));
  const q41::Lines second = first.Save();

  Program reread;
  reread.model.ReadProgramFile(second);
  const q41::Lines third = reread.Save();
  // A line of the program that reads as a block marker (";BLOCK 1" typed into block 0, a
  // header line "BLOCK 0" that is written with its ";") starts a block when the file is read
  // again: the file format's own limit, which the model reports so the user can be warned.
  // Every other program is written the same way however often it is opened and saved, and
  // a reported one does read back differently.
  std::optional<q41::MarkerClash> clash;
  first.model.WriteProgramFile(clash);
  const bool markerInBody = clash.has_value();
  if (!markerInBody && third != second) std::abort();
  if (markerInBody && reread.model.LastBlock == first.model.LastBlock &&
      reread.Bodies() == first.Bodies()) {
    std::abort();
  }
  // The file holds each block's lines, in order.
  std::size_t at = 0;
  for (const q41::Lines& body : first.Bodies()) {
    for (const std::string& line : body) {
      while (at < second.size() && second[at] != line) ++at;
      if (at == second.size()) std::abort();
      ++at;
    }
  }
  if (!markerInBody && reread.Bodies() != first.Bodies()) std::abort();
  // And its bytes split back into the very lines that were written.
  if (q41::SplitLines(q41::JoinLines(second)) != second) std::abort();
  return 0;
}

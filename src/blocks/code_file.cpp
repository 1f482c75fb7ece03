#include "blocks/code_file.hpp"

#include "blocks/block_marker.hpp"
#include "blocks/compile.hpp"
#include "common/number_text.hpp"

namespace q41 {
namespace {

// The code a block gives the code file: none when a failed compile left it, for its words
// stop at the fault and its label placeholders are unresolved.
const Lines& CodeToWrite(const BlockRecord& r) {
  static const Lines none;
  return r.codeFromFailedCompile ? none : r.code;
}

// Gives each line of the code file to `take`, in order.
template <typename Take>
void ForEachCodeFileLine(const Program& program, Take take) {
  take(DecimalText(static_cast<int>(program.Memory())) + "Q41");
  for (int n = 0; n <= program.LastBlock(); ++n) {
    const BlockRecord& r = program.Block(n);
    const Lines& code = CodeToWrite(r);
    take(std::string_view());
    take(BlockMarker(n));
    take(r.PpuList());
    take(r.cpuAddress);
    take(r.ppuAddress);
    // The count of the words that follow: a block compiled on its own still shows its
    // older count, and a count that disagrees with the words would mislead a loader.
    take(WordCountText(code.size()));
    take(std::string_view());
    for (const std::string& word : code) take(word);
  }
}

}  // namespace

std::optional<CodeGap> CodeGapOf(const Program& program, int n, bool checkAge) {
  const BlockRecord& r = program.Block(n);
  if (r.codeFromFailedCompile) return CodeGap::FailedCompile;
  if (r.code.empty()) return CodeGap::NoCode;
  if (checkAge && !r.history.CodeCurrentFor(r.source, program.Global())) {
    return CodeGap::OlderThanText;
  }
  return std::nullopt;
}

Lines WriteCodeFile(const Program& program) {
  Lines out;
  ForEachCodeFileLine(program, [&out](std::string_view line) { out.emplace_back(line); });
  return out;
}

std::string CodeFileText(const Program& program, std::string_view eol) {
  // Measured first: a text grown as it is written would be copied at each doubling, and
  // every fresh page a copy touches costs a fault.
  std::size_t size = 0;
  ForEachCodeFileLine(program,
                      [&size, eol](std::string_view line) { size += line.size() + eol.size(); });
  std::string out;
  out.reserve(size);
  ForEachCodeFileLine(program,
                      [&out, eol](std::string_view line) { out.append(line).append(eol); });
  return out;
}

}  // namespace q41

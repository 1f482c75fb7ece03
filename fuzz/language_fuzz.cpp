// Source bytes through the language service. What the windows rely on: every span and every
// place it gives lies inside its line, spans come in order without overlapping, a comment
// starts at the line's first ";", and the listing has a row for every source line.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "language/service.hpp"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckPlace(const q41::SourcePlace& place, const q41::Lines& source, const q41::Lines& glob) {
  const q41::Lines& lines = place.inGlobal ? glob : source;
  if (place.line == 0) return;
  Check(place.line >= 1 && static_cast<std::size_t>(place.line) <= lines.size());
  const std::string& line = lines[static_cast<std::size_t>(place.line - 1)];
  Check(place.start >= 0 && place.length >= 0);
  Check(static_cast<std::size_t>(place.start + place.length) <= line.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const q41::Lines source = q41::SplitLines(bytes);
  const q41::Lines glob = {"G=1", " h = 0FFH"};
  for (const std::string& line : source) {
    int end = 0;
    const std::vector<q41::SyntaxSpan> spans = q41::LineTokens(line);
    for (const q41::SyntaxSpan& span : spans) {
      Check(span.start >= end && span.length > 0);
      end = span.start + span.length;
      Check(static_cast<std::size_t>(end) <= line.size());
    }
    const std::size_t semicolon = line.find(';');
    Check((semicolon != std::string::npos) ==
          (!spans.empty() && spans.back().kind == q41::SyntaxKind::Comment));
    if (semicolon != std::string::npos) {
      Check(static_cast<std::size_t>(spans.back().start) == semicolon);
    }
  }
  const q41::BlockFacts facts =
      q41::ReadBlock(source, glob, q41::AssemblerOptions{q41::Language::English, true});
  Check(facts.compiled != facts.fault.has_value());
  if (facts.fault) CheckPlace(facts.fault->place, source, glob);
  for (const q41::NameFacts& name : facts.names) {
    if (name.defined) CheckPlace(name.definition, source, glob);
    for (const q41::SourcePlace& use : name.uses) CheckPlace(use, source, glob);
  }
  Check(facts.listing.size() >= source.size());
  return 0;
}

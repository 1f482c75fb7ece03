#include "blocks/listing.hpp"

#include <algorithm>

#include "common/number_text.hpp"

namespace q41 {
namespace {

constexpr std::size_t WordsPerLine = 4;

void CutTrailingBlanks(std::string& line) {
  while (!line.empty() && line.back() == Blank) line.pop_back();
}

// The address and up to four words from `first`, as the columns after the line number.
void AppendWords(std::string& line, const Lines& code, std::size_t first, std::size_t last) {
  line += HexWordText(2 * static_cast<std::int64_t>(first));
  for (std::size_t k = 0; k < WordsPerLine; ++k) {
    line += Blank;
    if (first + k < last) {
      line += code[first + k];
    } else {
      line.append(4, Blank);
    }
  }
}

}  // namespace

WordRange WordsOfLine(const std::vector<std::int32_t>& wordSourceLine, std::int32_t line) {
  const auto first = std::lower_bound(wordSourceLine.begin(), wordSourceLine.end(), line);
  const auto last = std::upper_bound(first, wordSourceLine.end(), line);
  return {static_cast<std::size_t>(first - wordSourceLine.begin()),
          static_cast<std::size_t>(last - wordSourceLine.begin())};
}

Lines Listing(SourceText source, const Lines& code,
              const std::vector<std::int32_t>& wordSourceLine) {
  Lines out;
  out.reserve(source.size());
  const std::size_t words = std::min(code.size(), wordSourceLine.size());
  std::size_t next = 0;  // the first word not listed yet
  for (std::size_t i = 0; i < source.size(); ++i) {
    const auto lineNo = static_cast<std::int32_t>(i + 1);
    // Words of no line (there are none from the translator) are skipped, not misplaced.
    while (next < words && wordSourceLine[next] < lineNo) ++next;
    std::size_t last = next;
    while (last < words && wordSourceLine[last] == lineNo) ++last;

    std::string line = DecimalText(lineNo);
    if (line.size() < 5) line.insert(0, 5 - line.size(), Blank);
    line += Blank;
    if (next < last) {
      AppendWords(line, code, next, std::min(last, next + WordsPerLine));
    } else {
      line.append(4 + 5 * WordsPerLine, Blank);
    }
    line.append(2, Blank);
    line += source[i];
    CutTrailingBlanks(line);
    out.push_back(std::move(line));
    for (std::size_t at = next + WordsPerLine; at < last; at += WordsPerLine) {
      std::string more(6, Blank);
      AppendWords(more, code, at, std::min(last, at + WordsPerLine));
      CutTrailingBlanks(more);
      out.push_back(std::move(more));
    }
    next = last;
  }
  return out;
}

}  // namespace q41

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

std::vector<ListingRow> ListingRows(std::size_t sourceLines, std::size_t words,
                                    const std::vector<std::int32_t>& wordSourceLine) {
  std::vector<ListingRow> rows;
  rows.reserve(sourceLines);
  words = std::min(words, wordSourceLine.size());
  std::size_t next = 0;  // the first word not listed yet
  for (std::size_t i = 0; i < sourceLines; ++i) {
    const auto lineNo = static_cast<std::int32_t>(i + 1);
    // Words of no line (there are none from the translator) are skipped, not misplaced.
    while (next < words && wordSourceLine[next] < lineNo) ++next;
    std::size_t last = next;
    while (last < words && wordSourceLine[last] == lineNo) ++last;
    rows.push_back({lineNo, false, next, std::min(last, next + WordsPerLine)});
    for (std::size_t at = next + WordsPerLine; at < last; at += WordsPerLine) {
      rows.push_back({lineNo, true, at, std::min(last, at + WordsPerLine)});
    }
    next = last;
  }
  return rows;
}

std::string ListingRowText(const ListingRow& row, SourceText source, const Lines& code) {
  std::string line;
  if (row.continuation) {
    line.assign(6, Blank);
    AppendWords(line, code, row.firstWord, row.lastWord);
  } else {
    line = DecimalText(row.sourceLine);
    if (line.size() < 5) line.insert(0, 5 - line.size(), Blank);
    line += Blank;
    if (row.firstWord < row.lastWord) {
      AppendWords(line, code, row.firstWord, row.lastWord);
    } else {
      line.append(4 + 5 * WordsPerLine, Blank);
    }
    line.append(2, Blank);
    line += source[static_cast<std::size_t>(row.sourceLine - 1)];
  }
  CutTrailingBlanks(line);
  return line;
}

Lines ListingText(const std::vector<ListingRow>& rows, SourceText source, const Lines& code) {
  Lines out;
  out.reserve(rows.size());
  for (const ListingRow& row : rows) out.push_back(ListingRowText(row, source, code));
  return out;
}

Lines Listing(SourceText source, const Lines& code,
              const std::vector<std::int32_t>& wordSourceLine) {
  return ListingText(ListingRows(source.size(), code.size(), wordSourceLine), source, code);
}

}  // namespace q41

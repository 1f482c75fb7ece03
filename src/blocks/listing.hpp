#pragma once
// A block's listing: each source line beside the address and the code words it produced.
// Scripts read the command-line tool's listing, so its format is fixed:
//
//   NNNNN AAAA WWWW WWWW WWWW WWWW  SOURCE TEXT
//
// the line number as LineLab counts (right-aligned in five columns), the byte address of the
// line's first word (four blanks for none), up to four words (five blanks for each missing
// one), two blanks and the line as the editor holds it; trailing blanks are cut. More than
// four words continue on lines of their own: five blanks, the address of their first word
// and the next four words.

#include <cstdint>
#include <vector>

#include "common/text.hpp"

namespace q41 {

// One row of a listing: a source line, or the continuation of the line before with its next
// words. A window or a tool reads the line number here, never from the printed text.
struct ListingRow {
  std::int32_t sourceLine = 0;  // 1-based
  bool continuation = false;    // further words of the same source line
  std::size_t firstWord = 0;    // the words [firstWord, lastWord) of the code, at most four
  std::size_t lastWord = 0;
};

// `wordSourceLine` gives, for each word of the code, the 1-based source line that produced
// it, in the order of the words (so never decreasing); `words` is the number of code words.
std::vector<ListingRow> ListingRows(std::size_t sourceLines, std::size_t words,
                                    const std::vector<std::int32_t>& wordSourceLine);
// A row as printed, in the format above.
std::string ListingRowText(const ListingRow& row, SourceText source, const Lines& code);

// The rows as printed.
Lines ListingText(const std::vector<ListingRow>& rows, SourceText source, const Lines& code);
// Every row as printed.
Lines Listing(SourceText source, const Lines& code,
              const std::vector<std::int32_t>& wordSourceLine);

// The range [first, last) of the words that source line `line` (1-based) produced; empty
// when it produced none.
struct WordRange {
  std::size_t first = 0;
  std::size_t last = 0;
  bool empty() const { return first == last; }
};
WordRange WordsOfLine(const std::vector<std::int32_t>& wordSourceLine, std::int32_t line);

}  // namespace q41

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

// `wordSourceLine` gives, for each word of `code`, the 1-based source line that produced it,
// in the order of the words (so never decreasing).
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

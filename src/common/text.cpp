#include "common/text.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/line_count.hpp"

namespace q41 {

std::string& MakeUpper(std::string& text) {
  for (char& c : text) c = UpperAscii(c);
  return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

namespace {

#if !defined(__SSE2__)
// The high bit of each of the eight bytes that is below 14, the range that holds CR and LF,
// and maybe of bytes above such a byte (a borrow runs upward): the lowest bit set always
// marks a byte below 14. Most eight-byte stretches of a source hold none.
static_assert(std::endian::native == std::endian::little,
              "ForEachLine reads the first byte of eight as the lowest");

std::uint64_t LowBytes(std::uint64_t word) {
  constexpr std::uint64_t Ones = 0x0101010101010101ULL;
  constexpr std::uint64_t Highs = 0x8080808080808080ULL;
  return (word - Ones * 14) & ~word & Highs;
}
#endif

// Calls `take` with each line of the bytes. Source lines are short: a stretch of bytes at a
// time, straight to the next line break, beats a library search call per line.
template <typename Take>
void ForEachLine(std::string_view bytes, Take take) {
  const std::size_t n = bytes.size();
  std::size_t start = 0;
  std::size_t i = 0;
  // The line break at `at` ends a line; gives where reading goes on.
  auto atBreak = [&](std::size_t at) {
    take(bytes.substr(start, at - start));
    if (bytes[at] == '\r' && at + 1 < n && bytes[at + 1] == '\n') ++at;
    start = at + 1;
    return at + 1;
  };
#if defined(__SSE2__)
  // Sixteen bytes compared at once with CR and with LF: one bit for each break among them.
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  while (i + 16 <= n) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
    auto breaks = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf))));
    const std::size_t base = i;
    i += 16;
    while (breaks != 0) {
      const std::size_t at = base + static_cast<std::size_t>(std::countr_zero(breaks));
      breaks &= breaks - 1;
      // The LF of a CR LF was taken with its CR.
      if (at < start) continue;
      i = std::max(i, atBreak(at));
    }
  }
#else
  // Eight bytes at a time where the processor compares no more at once (see LowBytes).
  while (i + 8 <= n) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, sizeof word);
    const std::uint64_t low = LowBytes(word);
    if (low == 0) {
      i += 8;
      continue;
    }
    i += static_cast<std::size_t>(std::countr_zero(low)) / 8;
    const char c = bytes[i];
    i = c == '\n' || c == '\r' ? atBreak(i) : i + 1;
  }
#endif
  for (; i < n; ++i) {
    const char c = bytes[i];
    if (c == '\n' || c == '\r') i = atBreak(i) - 1;
  }
  if (start < n) take(bytes.substr(start));
}

std::size_t LineBreaks(std::string_view bytes) {
  std::size_t count = 0;
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) !=
         nullptr) {
    ++count;
    ++p;
  }
  return count;
}

}  // namespace

LineViews SplitLineViews(std::string_view bytes) {
  LineViews lines;
  // Room for the lines counted first: a list with room to spare would leave the memory a
  // caller took beforehand (see q41asm) in part unused. The count holds for lines ended
  // by LF or CR LF, or all by CR; a file that mixes CR alone with the others grows the
  // list as it goes.
  lines.reserve(ExpectedLineCount(bytes));
  ForEachLine(bytes, [&lines](std::string_view line) { lines.push_back(line); });
  return lines;
}

Lines SplitLines(std::string_view bytes) {
  Lines lines;
  lines.reserve(LineBreaks(bytes) + 1);
  ForEachLine(bytes, [&lines](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

std::string JoinLines(const Lines& lines, std::string_view eol) {
  std::size_t size = 0;
  for (const auto& line : lines) size += line.size() + eol.size();
  std::string out;
  out.reserve(size);
  for (const auto& line : lines) {
    out += line;
    out += eol;
  }
  return out;
}

}  // namespace q41

#include "common/text.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace q41 {

std::string& MakeUpper(std::string& text) {
  for (char& c : text) c = UpperAscii(c);
  return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

namespace {

// Whether any of the eight bytes is below 14, the range that holds CR and LF: most
// eight-byte stretches of a source hold neither, and are passed over whole.
bool MayHoldLineBreak(std::uint64_t word) {
  constexpr std::uint64_t Ones = 0x0101010101010101ULL;
  constexpr std::uint64_t Highs = 0x8080808080808080ULL;
  return ((word - Ones * 14) & ~word & Highs) != 0;
}

// Calls `take` with each line of the bytes. Source lines are short: a scan of eight bytes
// at a time beats a library search call per line.
template <typename Take>
void ForEachLine(std::string_view bytes, Take take) {
  const std::size_t n = bytes.size();
  std::size_t start = 0;
  for (std::size_t i = 0; i < n;) {
    while (i + 8 <= n) {
      std::uint64_t word;
      std::memcpy(&word, bytes.data() + i, sizeof word);
      if (MayHoldLineBreak(word)) break;
      i += 8;
    }
    // The stretch that may hold a break, byte by byte.
    for (const std::size_t stop = std::min(n, i + 8); i < stop; ++i) {
      const char c = bytes[i];
      if (c > '\r' || (c != '\n' && c != '\r')) continue;
      take(bytes.substr(start, i - start));
      if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
      start = i + 1;
    }
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
  lines.reserve(LineBreaks(bytes) + 1);
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

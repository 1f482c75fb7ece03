#include "common/text.hpp"

#include <algorithm>

namespace q41 {

std::string& MakeUpper(std::string& text) {
  for (char& c : text) c = UpperAscii(c);
  return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

namespace {

// Calls `take` with each line of the bytes. Source lines are short: a plain scan beats a
// library search call per line.
template <typename Take>
void ForEachLine(std::string_view bytes, Take take) {
  const std::size_t n = bytes.size();
  std::size_t start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = bytes[i];
    if (c > '\r' || (c != '\n' && c != '\r')) continue;
    take(bytes.substr(start, i - start));
    if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < n) take(bytes.substr(start));
}

std::size_t LineBreaks(std::string_view bytes) {
  return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
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

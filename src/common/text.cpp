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

Lines SplitLines(std::string_view bytes) {
  Lines lines;
  lines.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
  // Source lines are short: a plain scan beats a library search call per line.
  const std::size_t n = bytes.size();
  std::size_t start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = bytes[i];
    if (c > '\r' || (c != '\n' && c != '\r')) continue;
    lines.emplace_back(bytes.substr(start, i - start));
    if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < n) lines.emplace_back(bytes.substr(start));
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

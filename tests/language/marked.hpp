#pragma once
// The text a fault's place marks, with its line, as the tests compare it.

#include <string>

#include "common/text.hpp"
#include "language/service.hpp"

namespace q41::test {

inline std::string Marked(const SourcePlace& p, const Lines& source, const Lines& glob) {
  if (p.line == 0) return "(no line)";
  const std::string& line = (p.inGlobal ? glob : source)[static_cast<std::size_t>(p.line - 1)];
  return (p.inGlobal ? "GLOBAL " : "") + std::to_string(p.line) + ": " +
         line.substr(static_cast<std::size_t>(p.start), static_cast<std::size_t>(p.length));
}

}  // namespace q41::test

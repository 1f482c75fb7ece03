#pragma once
// The code file (.Q41) of a program: its lines, and what a block's code lacks before it can
// go into one.

#include <optional>
#include <string>
#include <string_view>

#include "blocks/program.hpp"

namespace q41 {

// Why block n's section would not hold the block's code as its text stands.
enum class CodeGap {
  NoCode,         // the block has no code
  FailedCompile,  // its last compile failed: its code is left out
  OlderThanText,  // its text (or the GLOBAL text) changed after its code was compiled
};
// Nothing when the block's code is whole. `checkAge` looks at the block's compile history,
// which only a program that keeps one (the windows') can answer.
std::optional<CodeGap> CodeGapOf(const Program& program, int n, bool checkAge);

// The file's lines; a block's section holds no code from a failed compile, and its word
// count is the number of words it holds. CodeFileText gives the same lines joined, each
// ended by `eol`, without a copy of every word on the way.
Lines WriteCodeFile(const Program& program);
std::string CodeFileText(const Program& program, std::string_view eol);

}  // namespace q41

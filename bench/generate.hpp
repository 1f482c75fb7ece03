#pragma once
// Generated source blocks for the benchmarks: groups of twenty lines that hold labels,
// constants, comments, blank lines, "DS" strings, "RW " blocks and every operand form, six
// code words a group, so that even 100,000 lines fit the 32,768 words of one block.

#include <string>

#include "common/text.hpp"

namespace q41::bench {

inline constexpr int LinesPerGroup = 20;

// A Q41 block of `lines` source lines (rounded down to whole groups).
Lines GenerateQ41Block(int lines);

// GNU assembler input of the same line count and a comparable mix, for the comparison.
std::string GenerateGasText(int lines);

// A second shape, in groups of eight lines: a comment on most lines, and in every group a
// forward branch and a constant. The same for the GNU assembler.
inline constexpr int LinesPerCommentedGroup = 8;
Lines GenerateCommentedQ41Block(int lines);
std::string GenerateCommentedGasText(int lines);

}  // namespace q41::bench

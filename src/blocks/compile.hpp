#pragma once
// Compiling the source of one block: preprocess, then assemble, in the workspace that the
// compile-text window and the label grid stand for. This is the translation at the heart of
// both compile commands; the commands add the windows, lamps and stored blocks around it.

#include <cstddef>
#include <string>

#include "assembler/compil.hpp"
#include "assembler/label_table.hpp"
#include "common/err_diag.hpp"
#include "common/text.hpp"

namespace q41 {

// What lives on between commands: the text for compilation (the compile-text window shows
// it, and Compile only assembles it as the user left it), its line map and the label grid.
struct CompileWorkspace {
  Lines compText{"compText"};
  SourceLineMap lineMap;
  LabelTable labels;
};

struct CompileOutcome {
  bool preprocessed = false;  // false: the preprocessor failed and nothing was assembled
  bool succeeded = false;
  Lines code;
  std::vector<std::int32_t> wordSourceLine;  // for each word, the source line that made it
  StatusReport status;
};

// Empties the text for compilation, the code and every label cell, then preprocesses
// `source` and, when that succeeded, assembles the result with `glob`.
CompileOutcome CompileSource(CompileWorkspace& workspace, SourceText source, const Lines& glob,
                             const AssemblerOptions& options, AssemblerWarnings* warnings);

// The word count of a block: its number of code words in upper-case hexadecimal, at least
// four digits ("001A" for 26 words).
std::string WordCountText(std::size_t words);

// The LineLab caption of compile all when block `block` fails: "Bl.", the number, "; ".
std::string FailedBlockCaption(int block, const std::string& lineCaption);

}  // namespace q41

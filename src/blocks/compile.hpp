#pragma once
// Compiling the source of one block: preprocess, then assemble, in the workspace that the
// compile-text window and the label grid stand for. This is the translation at the heart of
// both compile commands; the commands add the windows, lamps and stored blocks around it.

#include <cstddef>
#include <string>

#include "assembler/compil.hpp"
#include "assembler/label_table.hpp"
#include "blocks/program.hpp"
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

// A warning of a compile, and the 1-based source line it is about (0: the whole block).
struct CompileWarning {
  std::string text;
  std::int32_t line = 0;
  bool operator==(const CompileWarning&) const = default;
};

// A label table row as text: its name, kind and value.
struct LabelText {
  std::string name;
  std::string kind;
  std::string value;
};

struct CompileOutcome {
  bool preprocessed = false;  // false: the preprocessor failed and nothing was assembled
  bool succeeded = false;
  Lines code;
  std::vector<std::int32_t> wordSourceLine;  // for each word, the source line that made it
  // The first fault, with its place, or the success message.
  StatusReport status;
  // Compile all's warnings when it is given nowhere to tell them as they come, and the
  // block's labels when asked for.
  std::vector<CompileWarning> warnings;
  std::vector<LabelText> labels;
};

// Empties the text for compilation, the code and every label cell, then preprocesses
// `source` and, when that succeeded, assembles the result with `glob`.
CompileOutcome CompileSource(CompileWorkspace& workspace, SourceText source, const Lines& glob,
                             const AssemblerOptions& options, AssemblerWarnings* warnings);

// The word count of a block: its number of code words in upper-case hexadecimal, at least
// four digits ("001A" for 26 words).
std::string WordCountText(std::size_t words);

// Told by compile all of each block as it goes, for a display to follow it.
class CompileAllObserver {
 public:
  virtual ~CompileAllObserver() = default;
  // Every block's code is gone: compile all starts.
  virtual void CodeCleared() {}
  // Block n is compiled next.
  virtual void BlockStarting(int /*block*/) {}
  // Block n was compiled from `source`; when it succeeded, its code goes into the program
  // once this returns. The workspace holds its text for compilation and its labels.
  virtual void BlockDone(int /*block*/, SourceText /*source*/, const CompileOutcome& /*outcome*/,
                         const CompileWorkspace& /*workspace*/) {}
};

struct CompileAllRequest {
  AssemblerOptions options;
  // Where warnings are told as they come; without it each block's outcome lists its own.
  AssemblerWarnings* warnings = nullptr;
  CompileAllObserver* observer = nullptr;
  // Each outcome keeps its block's labels.
  bool keepLabels = false;
  // Block 0's source where it stands, for a file read without copying its lines (see
  // ReadUnmarkedFile); the program's block 0 is used when null.
  const LineViews* block0 = nullptr;
};

struct CompileAllOutcome {
  bool succeeded = false;
  // The block that failed, -1 when none did.
  int failedBlock = -1;
  // One per block compiled, in order; the last is the failing block's, whose status line
  // starts with "Bl." and its number. The code of the blocks that compiled is moved into the
  // program, not kept here; a failing block's partial code stays here.
  std::vector<CompileOutcome> blocks;
  const StatusReport& Status() const { return blocks.back().status; }
};

// Compile all: every block's code is cleared, then blocks 0 to LastBlock are compiled in
// order, each with the program's GLOBAL text, until one fails. Each block that compiles gets
// its code and word count in the program.
CompileAllOutcome CompileAll(Program& program, CompileWorkspace& workspace,
                             const CompileAllRequest& request);

// Compile block for a program without windows: block `block` is compiled with the program's
// GLOBAL text; its record gets the code (marked when the compile failed) and, when it
// compiled, its word count. The outcome keeps the block's warnings and labels.
CompileOutcome CompileProgramBlock(Program& program, CompileWorkspace& workspace, int block,
                                   const AssemblerOptions& options);

// The LineLab caption of compile all when block `block` fails: "Bl.", the number, "; ".
std::string FailedBlockCaption(int block, const std::string& lineCaption);

}  // namespace q41

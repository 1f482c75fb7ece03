#pragma once
// The compile commands of the main window, run against its working copy: compile the
// current block (preprocess and assemble), assemble the text for compilation as it stands,
// and preprocess only.

#include "blocks/block_view.hpp"
#include "blocks/compile.hpp"

namespace q41 {

// Empties codeText and every cell of the label grid (the grid keeps its row count).
void ClearCodeAndLabels(const BlockViews& view, CompileWorkspace& workspace);

// Compile+preproc.: hides the compile-text window, translates the working copy's source
// and colours the lamp of `block` red or green. The word count and stored code are left.
void CompileBlock(const BlockViews& view, CompileWorkspace& workspace,
                  const AssemblerOptions& options, int block);
// The same for a source that stands for the working copy. The result holds the code the
// view was given.
CompileOutcome CompileBlock(const BlockViews& view, CompileWorkspace& workspace,
                            const AssemblerOptions& options, int block, SourceText source);
// Its two halves, which compile all shows around each block it compiles: the compile-text
// window hidden and the controls emptied, then what the compile of `source` gave.
void StartCompileDisplay(const BlockViews& view, CompileWorkspace& workspace);
void ShowCompileOutcome(const BlockViews& view, const CompileWorkspace& workspace, int block,
                        SourceText source, const CompileOutcome& outcome);

// Compile only: assembles the text in the compile-text window as it stands, hand edits
// included. The label grid is not emptied first and no lamp changes. `source` is the working
// copy's, whose lines the code's words are traced to.
CompileOutcome CompileOnly(const BlockViews& view, CompileWorkspace& workspace,
                           const AssemblerOptions& options, SourceText source);

// Preprocess only: shows the compile-text window and fills it from the working copy. The
// result is the status shown.
StatusReport PreprocessOnly(const BlockViews& view, CompileWorkspace& workspace, Language language);

}  // namespace q41

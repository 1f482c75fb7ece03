#include "blocks/compile_commands.hpp"

#include "preprocessor/preproc.hpp"

namespace q41 {
namespace {

// Starts a command that fills the compile-text window afresh.
void ClearForCompile(BlockView& view, CompileWorkspace& workspace) {
  view.SetCompText({});
  ClearCodeAndLabels(view, workspace);
  view.SetStatus({});
}

}  // namespace

void ClearCodeAndLabels(BlockView& view, CompileWorkspace& workspace) {
  view.SetCode({}, false);
  workspace.labels.ClearCells();
  view.ShowLabels();
}

void CompileBlock(BlockView& view, CompileWorkspace& workspace, const AssemblerOptions& options,
                  int block) {
  const Lines source = view.Source();
  CompileBlock(view, workspace, options, block, source);
}

void StartCompileDisplay(BlockView& view, CompileWorkspace& workspace) {
  view.SetCompileTextVisible(false);
  ClearForCompile(view, workspace);
}

void ShowCompileOutcome(BlockView& view, const CompileWorkspace& workspace, int block,
                        SourceText source, const CompileOutcome& outcome) {
  view.SetCompText(workspace.compText);
  view.SetCode(outcome.code, !outcome.succeeded);
  view.ShowCodeOrigins(source, outcome.code, outcome.wordSourceLine);
  view.ShowLabels();
  view.SetStatus(outcome.status);
  view.SetLamp(block, outcome.succeeded ? LampColor::Green : LampColor::Red);
}

CompileOutcome CompileBlock(BlockView& view, CompileWorkspace& workspace,
                            const AssemblerOptions& options, int block, SourceText source) {
  StartCompileDisplay(view, workspace);
  CompileOutcome outcome =
      CompileSource(workspace, source, view.GlobalText(), options, &view.Warnings());
  ShowCompileOutcome(view, workspace, block, source, outcome);
  return outcome;
}

CompileOutcome CompileOnly(BlockView& view, CompileWorkspace& workspace,
                           const AssemblerOptions& options, SourceText source) {
  view.SetCode({}, false);
  view.SetStatus({});
  workspace.compText = view.CompText();
  AssembleResult result = Assemble(workspace.compText, workspace.lineMap, view.GlobalText(), source,
                                   workspace.labels, options, &view.Warnings());
  // Pass 1 took the constant definitions out of the text; the window shows what is left.
  view.SetCompText(workspace.compText);
  view.SetCode(result.code, !result.Succeeded());
  view.ShowCodeOrigins(source, result.code, result.wordSourceLine);
  view.ShowLabels();
  view.SetStatus(result.status);
  CompileOutcome outcome;
  outcome.preprocessed = true;
  outcome.succeeded = result.Succeeded();
  outcome.code = std::move(result.code);
  outcome.wordSourceLine = std::move(result.wordSourceLine);
  outcome.status = std::move(result.status);
  return outcome;
}

StatusReport PreprocessOnly(BlockView& view, CompileWorkspace& workspace, Language language) {
  view.SetCompileTextVisible(true);
  ClearForCompile(view, workspace);
  workspace.compText.clear();
  const Lines source = view.Source();
  const PreprocessResult result =
      Preprocess(source, workspace.compText, workspace.lineMap, language);
  view.SetCompText(workspace.compText);
  view.ShowLabels();
  view.SetStatus(result.status);
  return result.status;
}

}  // namespace q41

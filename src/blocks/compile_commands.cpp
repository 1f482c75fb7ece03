#include "blocks/compile_commands.hpp"

#include "preprocessor/preproc.hpp"

namespace q41 {
namespace {

// Starts a command that fills the compile-text window afresh.
void ClearForCompile(const BlockViews& view, CompileWorkspace& workspace) {
  view.display.SetCompText({});
  ClearCodeAndLabels(view, workspace);
  view.display.SetStatus({});
}

}  // namespace

void ClearCodeAndLabels(const BlockViews& view, CompileWorkspace& workspace) {
  view.copy.SetCode({}, false);
  workspace.labels.ClearCells();
  view.display.ShowLabels();
}

void CompileBlock(const BlockViews& view, CompileWorkspace& workspace,
                  const AssemblerOptions& options, int block) {
  const Lines source = view.copy.Source();
  CompileBlock(view, workspace, options, block, source);
}

void StartCompileDisplay(const BlockViews& view, CompileWorkspace& workspace) {
  view.display.SetCompileTextVisible(false);
  ClearForCompile(view, workspace);
}

void ShowCompileOutcome(const BlockViews& view, const CompileWorkspace& workspace, int block,
                        SourceText source, const CompileOutcome& outcome) {
  view.display.SetCompText(workspace.compText);
  view.copy.SetCode(outcome.code, !outcome.succeeded);
  view.display.ShowCodeOrigins(source, outcome.code, outcome.wordSourceLine);
  view.display.ShowLabels();
  view.display.SetStatus(outcome.status);
  view.tabs.SetLamp(block, outcome.succeeded ? LampColor::Green : LampColor::Red);
}

CompileOutcome CompileBlock(const BlockViews& view, CompileWorkspace& workspace,
                            const AssemblerOptions& options, int block, SourceText source) {
  StartCompileDisplay(view, workspace);
  CompileOutcome outcome = CompileSource(workspace, source, view.program.GlobalText(), options,
                                         &view.display.Warnings());
  ShowCompileOutcome(view, workspace, block, source, outcome);
  return outcome;
}

CompileOutcome CompileOnly(const BlockViews& view, CompileWorkspace& workspace,
                           const AssemblerOptions& options, SourceText source) {
  view.copy.SetCode({}, false);
  view.display.SetStatus({});
  workspace.compText = view.display.CompText();
  AssembleResult result = Assemble(workspace.compText, workspace.lineMap, view.program.GlobalText(),
                                   source, workspace.labels, options, &view.display.Warnings());
  // Pass 1 took the constant definitions out of the text; the window shows what is left.
  view.display.SetCompText(workspace.compText);
  view.copy.SetCode(result.code, !result.Succeeded());
  view.display.ShowCodeOrigins(source, result.code, result.wordSourceLine);
  view.display.ShowLabels();
  view.display.SetStatus(result.status);
  CompileOutcome outcome;
  outcome.preprocessed = true;
  outcome.succeeded = result.Succeeded();
  outcome.code = std::move(result.code);
  outcome.wordSourceLine = std::move(result.wordSourceLine);
  outcome.status = std::move(result.status);
  return outcome;
}

StatusReport PreprocessOnly(const BlockViews& view, CompileWorkspace& workspace,
                            Language language) {
  view.display.SetCompileTextVisible(true);
  ClearForCompile(view, workspace);
  workspace.compText.clear();
  const Lines source = view.copy.Source();
  const PreprocessResult result =
      Preprocess(source, workspace.compText, workspace.lineMap, language);
  view.display.SetCompText(workspace.compText);
  view.display.ShowLabels();
  view.display.SetStatus(result.status);
  return result.status;
}

}  // namespace q41

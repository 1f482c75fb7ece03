#include "blocks/compile.hpp"

#include "common/number_text.hpp"
#include "preprocessor/preproc.hpp"

namespace q41 {

CompileOutcome CompileSource(CompileWorkspace& workspace, SourceText source, const Lines& glob,
                             const AssemblerOptions& options, AssemblerWarnings* warnings) {
  CompileOutcome outcome;
  workspace.compText.clear();
  workspace.labels.ClearCells();
  const PreprocessResult pre =
      Preprocess(source, workspace.compText, workspace.lineMap, options.language);
  if (!pre.Succeeded()) {
    outcome.status = pre.status;
    return outcome;
  }
  outcome.preprocessed = true;
  AssembleResult assembled = Assemble(workspace.compText, workspace.lineMap, glob, source,
                                      workspace.labels, options, warnings);
  outcome.succeeded = assembled.Succeeded();
  outcome.code = std::move(assembled.code);
  outcome.wordSourceLine = std::move(assembled.wordSourceLine);
  outcome.status = std::move(assembled.status);
  return outcome;
}

std::string WordCountText(std::size_t words) {
  std::string text;
  do {
    text.insert(text.begin(), HexDigit(static_cast<int>(words % 16)));
    words /= 16;
  } while (words != 0);
  return PadToFourDigits(text);
}

std::string FailedBlockCaption(int block, const std::string& lineCaption) {
  return "Bl." + DecimalText(block) + "; " + lineCaption;
}

}  // namespace q41

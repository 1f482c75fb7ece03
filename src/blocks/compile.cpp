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

namespace {

// Keeps the warnings of a compile that has nowhere to tell them as they come.
struct KeptWarnings : AssemblerWarnings {
  std::vector<CompileWarning>* kept = nullptr;
  void Warning(const std::string& text) override { WarningAt(text, 0); }
  void WarningAt(const std::string& text, std::int32_t line) override {
    kept->push_back({text, line});
  }
};

std::vector<LabelText> LabelsOf(const LabelTable& labels) {
  std::vector<LabelText> rows;
  rows.reserve(static_cast<std::size_t>(labels.LabelCount()));
  for (int r = 1; r <= labels.LabelCount(); ++r) {
    const LabelRow& row = labels.Row(r);
    rows.push_back({row.name, std::string(row.Kind()), std::string(row.Value())});
  }
  return rows;
}

}  // namespace

CompileAllOutcome CompileAll(Program& program, CompileWorkspace& workspace,
                             const CompileAllRequest& request) {
  CompileAllObserver none;
  CompileAllObserver& observer = request.observer != nullptr ? *request.observer : none;
  for (int k = 0; k < BlockCount; ++k) {
    program.Block(k).code.clear();
    program.Block(k).codeFromFailedCompile = false;
  }
  observer.CodeCleared();
  CompileAllOutcome all;
  all.blocks.reserve(static_cast<std::size_t>(program.LastBlock() + 1));
  for (int k = 0; k <= program.LastBlock(); ++k) {
    // The windows show each block before compiling it, and showing writes its load addresses
    // with four digits: the code file then holds them so.
    PadToFourDigits(program.Block(k).cpuAddress);
    PadToFourDigits(program.Block(k).ppuAddress);
    observer.BlockStarting(k);
    const SourceText source = k == 0 && request.block0 != nullptr
                                  ? SourceText(*request.block0)
                                  : SourceText(program.Block(k).source);
    std::vector<CompileWarning> kept;
    KeptWarnings keeper;
    keeper.kept = &kept;
    AssemblerWarnings* warnings = request.warnings != nullptr ? request.warnings : &keeper;
    all.blocks.push_back(
        CompileSource(workspace, source, program.Global(), request.options, warnings));
    CompileOutcome& outcome = all.blocks.back();
    outcome.warnings = std::move(kept);
    if (request.keepLabels) outcome.labels = LabelsOf(workspace.labels);
    if (!outcome.succeeded) {
      outcome.status.lineCaption = FailedBlockCaption(k, outcome.status.lineCaption);
      all.failedBlock = k;
    }
    observer.BlockDone(k, source, outcome, workspace);
    if (!outcome.succeeded) return all;
    BlockRecord& r = program.Block(k);
    r.wordCount = WordCountText(outcome.code.size());
    r.code = std::move(outcome.code);
  }
  all.succeeded = true;
  return all;
}

CompileOutcome CompileProgramBlock(Program& program, CompileWorkspace& workspace, int block,
                                   const AssemblerOptions& options) {
  BlockRecord& r = program.Block(block);
  std::vector<CompileWarning> kept;
  KeptWarnings keeper;
  keeper.kept = &kept;
  CompileOutcome outcome = CompileSource(workspace, r.source, program.Global(), options, &keeper);
  outcome.warnings = std::move(kept);
  outcome.labels = LabelsOf(workspace.labels);
  r.code = outcome.code;
  r.codeFromFailedCompile = !outcome.succeeded;
  if (outcome.succeeded) r.wordCount = WordCountText(outcome.code.size());
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

#include "blocks/block_model.hpp"

#include "blocks/block_marker.hpp"
#include "blocks/code_file.hpp"
#include "blocks/compile_commands.hpp"
#include "common/number_text.hpp"

namespace q41 {

void BlockModel::StoreCurrentBlock(int n) {
  BlockRecord& r = program_.Block(n);
  r.source = view_.copy.Source();
  r.code = view_.copy.Code();
  r.codeFromFailedCompile = view_.copy.CodeFromFailedCompile();
  r.ppu = PpuSetOf(view_.fields.PpuListCaption());
  std::string cpu = view_.fields.CpuAddress();
  view_.fields.SetCpuAddress(PadToFourDigits(cpu));
  r.cpuAddress = cpu;
  std::string ppu = view_.fields.PpuAddress();
  view_.fields.SetPpuAddress(PadToFourDigits(ppu));
  r.ppuAddress = ppu;
  r.wordCount = view_.fields.WordCount();
  StoredChanged(n);
}

void BlockModel::ShowBlock(int n) {
  BlockRecord& r = program_.Block(n);
  view_.copy.SetSource(r.source, n);
  view_.copy.SetCode(r.code, r.codeFromFailedCompile);
  view_.fields.SetPpuListCaption(r.PpuList());
  view_.fields.SetPpuBoxes(r.ppu);
  view_.fields.SetCpuAddress(PadToFourDigits(r.cpuAddress));
  view_.fields.SetPpuAddress(PadToFourDigits(r.ppuAddress));
  view_.fields.SetWordCount(r.wordCount);
  // At the first run the main window is not shown yet: no caret, no focus.
  if (!firstRun_) {
    view_.copy.SourceCaretToStart();
    view_.copy.FocusSource();
  }
  currentBlock_ = n;
  StoredChanged(n);
  view_.tabs.BlockShown(n);
}

void BlockModel::Cleared(int n) {
  view_.copy.BlockCleared(n);
  StoredChanged(n);
}

void BlockModel::EnableBlock(int n) {
  for (StoredBlocksView* v : storedViews_) v->SetBlockEnabled(n, true);
}

void BlockModel::DisableBlock(int n) {
  for (StoredBlocksView* v : storedViews_) v->SetBlockEnabled(n, false);
}

void BlockModel::StoredChanged(int n) {
  for (StoredBlocksView* v : storedViews_) v->StoredBlockChanged(n);
}

void BlockModel::SetStoredPpus(int n, const PpuSet& set) {
  program_.Block(n).ppu = set;
}

void BlockModel::SetStoredAddresses(int n, std::string cpuAddress, std::string ppuAddress) {
  BlockRecord& r = program_.Block(n);
  r.cpuAddress = std::move(cpuAddress);
  r.ppuAddress = std::move(ppuAddress);
}

void BlockModel::SetStoredSource(int n, Lines source) {
  program_.Block(n).source = std::move(source);
}

void BlockModel::PaintLamps() {
  for (int k = 0; k < BlockCount; ++k) {
    view_.tabs.SetLamp(k, k <= LastBlock() ? LampColor::White : LampColor::Hidden);
  }
}

void BlockModel::NewProgram() {
  if (!firstRun_) {
    view_.program.SetHeader({});
    view_.program.SetGlobalText({});
  }
  program_.ClearBlocks();
  for (int k = 0; k < BlockCount; ++k) Cleared(k);
  for (int k = 1; k < BlockCount; ++k) DisableBlock(k);
  while (view_.tabs.TabCount() > 1) view_.tabs.RemoveLastTab();
  view_.tabs.SelectTab(0);
  currentBlock_ = 0;
  EnableBlock(0);
  program_.Block(0).source = firstRun_ ? Program::FirstRunSource() : Program::NewProgramSource();
  ShowBlock(0);
  firstRun_ = false;
  PaintLamps();
  Saved();
}

void BlockModel::SetModified(bool modified) {
  modified_ = modified;
  view_.program.ProgramChanged(modified);
}

void BlockModel::TakeProgramFields() {
  program_.SetHeader(view_.program.Header());
  program_.SetGlobal(view_.program.GlobalText());
  program_.SetMemory(view_.program.MemoryMode() == 0 ? MemoryMode::Common
                                                     : MemoryMode::Distributed);
}

Lines BlockModel::WriteProgramFile() {
  TakeProgramFields();
  return q41::WriteProgramFile(program_);
}

Lines BlockModel::WriteProgramFile(std::optional<MarkerClash>& clash) {
  TakeProgramFields();
  return q41::WriteProgramFile(program_, clash);
}

Lines BlockModel::ProgramFileNow(bool storeIsCurrent) {
  if (storeIsCurrent) return WriteProgramFile();
  BlockRecord& stored = program_.Block(currentBlock_);
  // The working copy stands in for the stored block while the file is written.
  BlockRecord working;
  working.source = view_.copy.Source();
  working.ppu = PpuSetOf(view_.fields.PpuListCaption());
  working.cpuAddress = view_.fields.CpuAddress();
  PadToFourDigits(working.cpuAddress);
  working.ppuAddress = view_.fields.PpuAddress();
  PadToFourDigits(working.ppuAddress);
  std::swap(stored, working);
  Lines lines = WriteProgramFile();
  std::swap(stored, working);
  return lines;
}

void BlockModel::ReadProgramFile(Lines lines) {
  TakeProgramFields();
  ProgramRead read = q41::ReadProgramFile(std::move(lines), program_);
  // The program is its file's from here on.
  Saved();
  if (read.memoryRefused) {
    view_.program.MemoryTypeRefused(Message(settings_.language, MsgBadMemoryType) +
                                    *read.memoryRefused);
  } else {
    view_.program.SetMemoryMode(static_cast<int>(read.program.Memory()));
  }
  program_ = std::move(read.program);
  layout_ = std::move(read.layout);
  for (int k = 0; k < BlockCount; ++k) {
    Cleared(k);
    DisableBlock(k);
  }
  while (view_.tabs.TabCount() > 1) view_.tabs.RemoveLastTab();
  view_.tabs.SelectTab(0);
  PaintLamps();
  if (read.marked) {
    view_.program.SetHeader(program_.Header());
    view_.program.SetGlobalText(program_.Global());
  }
  for (int n = 0; n <= LastBlock(); ++n) {
    if (n > 0) view_.tabs.AddTab(BlockCaption(n));
    EnableBlock(n);
  }
  ShowBlock(0);
}

void BlockModel::SwitchToBlock(int tab) {
  StoreCurrentBlock(currentBlock_);
  ShowBlock(tab);
}

void BlockModel::AddBlock() {
  if (view_.tabs.TabCount() >= BlockCount) return;
  StoreCurrentBlock(currentBlock_);
  // A source of one line, even an empty one, is not empty.
  if (program_.Block(LastBlock()).source.empty()) {
    view_.questions.NewBlockRestricted();
    return;
  }
  const int added = view_.tabs.TabCount();
  view_.tabs.AddTab(BlockCaption(added));
  view_.tabs.SelectTab(added);
  program_.AddBlock();
  Cleared(LastBlock());
  ShowBlock(LastBlock());
  EnableBlock(LastBlock());
  Edited();
}

void BlockModel::DeleteLastBlock() {
  if (view_.tabs.TabCount() <= 1) return;
  StoreCurrentBlock(currentBlock_);
  const int last = LastBlock();
  if (!program_.Block(last).source.empty() && !view_.questions.Ask(Question::DeleteBlock, last))
    return;
  program_.DeleteLastBlock();
  Cleared(last);
  DisableBlock(last);
  view_.tabs.RemoveLastTab();
  if (last == currentBlock_) {
    ShowBlock(last - 1);
    view_.tabs.SelectTab(last - 1);
  }
  Edited();
}

bool BlockModel::AskNewProgram() {
  if (!program_.Block(0).source.empty() && !view_.questions.Ask(Question::ClearProgram, 0))
    return false;
  NewProgram();
  return true;
}

namespace {

// The line a status selects as a whole is the fault's; a success selects none.
int FaultLineOf(const StatusReport& status) {
  return status.selection.kind == Selection::Kind::Line ? status.selection.row + 1 : 0;
}

}  // namespace

void BlockModel::Record(int n, SourceText source, const CompileOutcome& outcome) {
  CompileHistory& h = program_.Block(n).history;
  h.compiled = true;
  h.source.clear();
  h.source.reserve(source.size());
  for (std::size_t k = 0; k < source.size(); ++k) h.source.emplace_back(source[k]);
  h.global = view_.program.GlobalText();
  h.code = outcome.code;
  h.wordSourceLine = outcome.wordSourceLine;
  h.faultLine = FaultLineOf(outcome.status);
  h.succeeded = outcome.succeeded;
  h.fault = outcome.succeeded ? std::string() : outcome.status.errCaption;
  h.faultLineCompiled = outcome.succeeded ? 0 : h.faultLine;
  view_.display.CompileRecorded(n);
}

void BlockModel::CompileBlock() {
  const Lines source = view_.copy.Source();
  Record(currentBlock_, source,
         q41::CompileBlock(view_, workspace_, settings_.Options(), currentBlock_, source));
}

void BlockModel::CompileOnly() {
  // The code comes from the text for compilation, which the user made from this text.
  const Lines source = view_.copy.Source();
  Record(currentBlock_, source, q41::CompileOnly(view_, workspace_, settings_.Options(), source));
}

void BlockModel::PreprocessOnly() {
  const StatusReport status = q41::PreprocessOnly(view_, workspace_, settings_.language);
  program_.Block(currentBlock_).history.faultLine = FaultLineOf(status);
  view_.display.CompileRecorded(currentBlock_);
}

void BlockModel::FaultMoved(int block, int line) {
  program_.Block(block).history.faultLine = line;
}

// Compile all as the main window shows it: each block shown in the working copy before it
// is compiled, its outcome in the compile controls, its lamp, and its history kept.
class BlockModel::CompileAllDisplay : public CompileAllObserver {
 public:
  explicit CompileAllDisplay(BlockModel& model) : model_(model) {}
  void CodeCleared() override {
    for (int k = 0; k < BlockCount; ++k) model_.StoredChanged(k);
    model_.PaintLamps();
  }
  void BlockStarting(int block) override {
    model_.view_.tabs.SelectTab(block);
    model_.ShowBlock(block);
    StartCompileDisplay(model_.view_, model_.workspace_);
  }
  void BlockDone(int block, SourceText source, const CompileOutcome& outcome,
                 const CompileWorkspace& workspace) override {
    ShowCompileOutcome(model_.view_, workspace, block, source, outcome);
    model_.view_.fields.SetWordCount(WordCountText(outcome.code.size()));
    model_.Record(block, source, outcome);
  }

 private:
  BlockModel& model_;
};

bool BlockModel::CompileAll() {
  StoreCurrentBlock(currentBlock_);
  TakeProgramFields();
  CompileAllDisplay display(*this);
  CompileAllRequest request;
  request.options = settings_.Options();
  request.warnings = &view_.display.Warnings();
  request.observer = &display;
  const CompileAllOutcome all = q41::CompileAll(program_, workspace_, request);
  for (int k = 0; k < static_cast<int>(all.blocks.size()); ++k) StoredChanged(k);
  // The focus only: the failing line stays selected.
  if (!all.succeeded) view_.copy.FocusSource();
  return all.succeeded;
}

bool BlockModel::PrepareCodeFile() {
  StoreCurrentBlock(currentBlock_);
  TakeProgramFields();
  for (int n = 0; n <= LastBlock(); ++n) {
    const std::optional<CodeGap> gap = CodeGapOf(program_, n, true);
    if (!gap) continue;
    const Question question = *gap == CodeGap::FailedCompile ? Question::FailedBlockCode
                              : *gap == CodeGap::NoCode      ? Question::EmptyBlockCode
                                                             : Question::StaleBlockCode;
    if (!view_.questions.Ask(question, n)) return false;
  }
  return true;
}

Lines BlockModel::WriteCodeFile() {
  TakeProgramFields();
  return q41::WriteCodeFile(program_);
}

}  // namespace q41

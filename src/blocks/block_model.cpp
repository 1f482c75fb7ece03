#include "blocks/block_model.hpp"

#include "blocks/block_marker.hpp"
#include "blocks/compile_commands.hpp"
#include "common/number_text.hpp"

namespace q41 {

std::string PpuListText(const PpuSet& set) {
  std::string digits;
  for (int k = 3; k >= 0; --k) {
    if (set[static_cast<std::size_t>(k)]) digits += static_cast<char>('1' + k);
  }
  PadToFourDigits(digits);
  return digits;
}

PpuSet PpuSetOf(std::string_view text) {
  PpuSet set{};
  for (char c : text.substr(0, 4)) {
    if (c >= '1' && c <= '4') set[static_cast<std::size_t>(c - '1')] = true;
  }
  return set;
}

std::string BlockRecord::PpuList() const {
  return PpuListText(ppu);
}

void BlockModel::StoreCurrentBlock(int n) {
  BlockRecord& r = BlockStore[static_cast<std::size_t>(n)];
  if (view_.HoldsBlockText()) {
    r.source = view_.Source();
    r.code = view_.Code();
    r.codeFromFailedCompile = view_.CodeFromFailedCompile();
  }
  r.ppu = PpuSetOf(view_.PpuListCaption());
  std::string cpu = view_.CpuAddress();
  view_.SetCpuAddress(PadToFourDigits(cpu));
  r.cpuAddress = cpu;
  std::string ppu = view_.PpuAddress();
  view_.SetPpuAddress(PadToFourDigits(ppu));
  r.ppuAddress = ppu;
  r.wordCount = view_.WordCount();
  StoredChanged(n);
}

void BlockModel::ShowBlock(int n) {
  BlockRecord& r = BlockStore[static_cast<std::size_t>(n)];
  if (view_.HoldsBlockText()) {
    view_.SetSource(r.source, n);
    view_.SetCode(r.code, r.codeFromFailedCompile);
  }
  view_.SetPpuListCaption(r.PpuList());
  view_.SetPpuBoxes(r.ppu);
  view_.SetCpuAddress(PadToFourDigits(r.cpuAddress));
  view_.SetPpuAddress(PadToFourDigits(r.ppuAddress));
  view_.SetWordCount(r.wordCount);
  // At the first run the main window is not shown yet: no caret, no focus.
  if (!FirstRun) {
    view_.SourceCaretToStart();
    view_.FocusSource();
  }
  CurrentBlock = n;
  StoredChanged(n);
  view_.BlockShown(n);
}

void BlockModel::ClearBlock(int n) {
  BlockStore[static_cast<std::size_t>(n)] = BlockRecord{};
  view_.BlockCleared(n);
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
  BlockStore[static_cast<std::size_t>(n)].ppu = set;
}

void BlockModel::SetStoredAddresses(int n, std::string cpuAddress, std::string ppuAddress) {
  BlockRecord& r = BlockStore[static_cast<std::size_t>(n)];
  r.cpuAddress = std::move(cpuAddress);
  r.ppuAddress = std::move(ppuAddress);
}

void BlockModel::SetStoredSource(int n, Lines source) {
  BlockStore[static_cast<std::size_t>(n)].source = std::move(source);
}

void BlockModel::PaintLamps() {
  for (int k = 0; k < BlockCount; ++k) {
    view_.SetLamp(k, k <= LastBlock ? LampColor::White : LampColor::Hidden);
  }
}

SourceText BlockModel::StoredSource(int n) const {
  if (n == 0 && unmarked_ != nullptr) return *unmarked_;
  return BlockStore[static_cast<std::size_t>(n)].source;
}

void BlockModel::NewProgram() {
  unmarked_ = nullptr;
  if (!FirstRun) {
    view_.SetHeader({});
    view_.SetGlobalText({});
  }
  for (int k = 0; k < BlockCount; ++k) ClearBlock(k);
  for (int k = 1; k < BlockCount; ++k) DisableBlock(k);
  while (view_.TabCount() > 1) view_.RemoveLastTab();
  view_.SelectTab(0);
  CurrentBlock = 0;
  LastBlock = 0;
  EnableBlock(0);
  BlockStore[0].source = FirstRun ? Lines{";asm text", "", "hlt"} : Lines{"", "hlt"};
  ShowBlock(0);
  FirstRun = false;
  PaintLamps();
  Saved();
}

void BlockModel::SetModified(bool modified) {
  modified_ = modified;
  view_.ProgramChanged(modified);
}

Lines BlockModel::ProgramFileNow(bool storeIsCurrent) {
  if (storeIsCurrent || !view_.HoldsBlockText()) return WriteProgramFile();
  BlockRecord& stored = BlockStore[static_cast<std::size_t>(CurrentBlock)];
  // The working copy stands in for the stored block while the file is written.
  BlockRecord working;
  working.source = view_.Source();
  working.ppu = PpuSetOf(view_.PpuListCaption());
  working.cpuAddress = view_.CpuAddress();
  PadToFourDigits(working.cpuAddress);
  working.ppuAddress = view_.PpuAddress();
  PadToFourDigits(working.ppuAddress);
  std::swap(stored, working);
  Lines lines = WriteProgramFile();
  std::swap(stored, working);
  return lines;
}

void BlockModel::SwitchToBlock(int tab) {
  StoreCurrentBlock(CurrentBlock);
  ShowBlock(tab);
}

void BlockModel::AddBlock() {
  if (view_.TabCount() >= BlockCount) return;
  StoreCurrentBlock(CurrentBlock);
  // A source of one line, even an empty one, is not empty.
  if (BlockStore[static_cast<std::size_t>(LastBlock)].source.empty()) {
    view_.NewBlockRestricted();
    return;
  }
  const int added = view_.TabCount();
  view_.AddTab(BlockCaption(added));
  view_.SelectTab(added);
  ++LastBlock;
  ClearBlock(LastBlock);
  ShowBlock(LastBlock);
  EnableBlock(LastBlock);
  Edited();
}

void BlockModel::DeleteLastBlock() {
  if (view_.TabCount() <= 1) return;
  StoreCurrentBlock(CurrentBlock);
  if (!BlockStore[static_cast<std::size_t>(LastBlock)].source.empty() &&
      !view_.Ask(Question::DeleteBlock, LastBlock)) {
    return;
  }
  const bool deletingCurrent = LastBlock == CurrentBlock;
  ClearBlock(LastBlock);
  DisableBlock(LastBlock);
  view_.RemoveLastTab();
  if (deletingCurrent) {
    ShowBlock(LastBlock - 1);
    view_.SelectTab(LastBlock - 1);
  }
  --LastBlock;
  Edited();
}

bool BlockModel::AskNewProgram() {
  if (!BlockStore[0].source.empty() && !view_.Ask(Question::ClearProgram, 0)) return false;
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
  // A view without a working copy (the command-line tool) shows no history: a copy of a large
  // source would only cost time and memory.
  if (!view_.HoldsBlockText()) return;
  CompileHistory& h = BlockStore[static_cast<std::size_t>(n)].history;
  h.compiled = true;
  h.source.clear();
  h.source.reserve(source.size());
  for (std::size_t k = 0; k < source.size(); ++k) h.source.emplace_back(source[k]);
  h.global = view_.GlobalText();
  h.code = outcome.code;
  h.wordSourceLine = outcome.wordSourceLine;
  h.faultLine = FaultLineOf(outcome.status);
  h.succeeded = outcome.succeeded;
  h.fault = outcome.succeeded ? std::string() : outcome.status.errCaption;
  h.faultLineCompiled = outcome.succeeded ? 0 : h.faultLine;
  view_.CompileRecorded(n);
}

void BlockModel::CompileBlock() {
  const Lines source = view_.Source();
  Record(CurrentBlock, source,
         q41::CompileBlock(view_, workspace_, settings_.Options(), CurrentBlock, source));
}

void BlockModel::CompileOnly() {
  // The code comes from the text for compilation, which the user made from this text.
  const Lines source = view_.Source();
  Record(CurrentBlock, source, q41::CompileOnly(view_, workspace_, settings_.Options(), source));
}

void BlockModel::PreprocessOnly() {
  const StatusReport status = q41::PreprocessOnly(view_, workspace_, settings_.language);
  if (!view_.HoldsBlockText()) return;
  BlockStore[static_cast<std::size_t>(CurrentBlock)].history.faultLine = FaultLineOf(status);
  view_.CompileRecorded(CurrentBlock);
}

void BlockModel::FaultMoved(int block, int line) {
  BlockStore[static_cast<std::size_t>(block)].history.faultLine = line;
}

bool BlockModel::CompileAll() {
  StoreCurrentBlock(CurrentBlock);
  for (int k = 0; k < BlockCount; ++k) {
    BlockStore[static_cast<std::size_t>(k)].code.clear();
    BlockStore[static_cast<std::size_t>(k)].codeFromFailedCompile = false;
    StoredChanged(k);
  }
  PaintLamps();
  for (int k = 0; k <= LastBlock; ++k) {
    view_.SelectTab(k);
    ShowBlock(k);
    // What ShowBlock put in the working copy is the block's stored text: compiled where it
    // stands, it is never read back from the editor.
    CompileOutcome outcome =
        q41::CompileBlock(view_, workspace_, settings_.Options(), k, StoredSource(k));
    view_.SetWordCount(WordCountText(outcome.code.size()));
    Record(k, StoredSource(k), outcome);
    if (!outcome.succeeded) {
      view_.SetLineCaption(FailedBlockCaption(k, view_.LineCaption()));
      // The focus only: the failing line stays selected.
      view_.FocusSource();
      return false;
    }
    BlockRecord& r = BlockStore[static_cast<std::size_t>(k)];
    r.code = std::move(outcome.code);
    r.codeFromFailedCompile = false;
    r.wordCount = view_.WordCount();
    view_.BlockCompiled(k);
    StoredChanged(k);
  }
  return true;
}

}  // namespace q41

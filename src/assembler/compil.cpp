#include "assembler/compil.hpp"

#include <algorithm>
#include <array>

#include "assembler/compil_run.hpp"
#include "assembler/mnemonic.hpp"
#include "common/number_text.hpp"

namespace q41 {

AssembleResult Assemble(Lines& compText, SourceLineMap& lineMap, const Lines& glob,
                        SourceText source, LabelTable& labels, const AssemblerOptions& options,
                        AssemblerWarnings* warnings) {
  return AssemblyRun(compText, lineMap, glob, source, labels, options, warnings).Run();
}

AssembleResult AssemblyRun::Run() {
  CollectLabels();
  if (errorText_.empty()) EncodeInstructions();
  if (errorText_.empty()) ResolveReferences();
  if (errorText_.empty()) {
    if (!hltSeen_) Warn(std::string(NoHltWarning));
    status_.lineCaption = Message(options_.language, MsgSuccess);
    status_.errCaption.clear();
    status_.selection = {Selection::Kind::Clear, 0, 0};
  }
  std::vector<std::int32_t> wordSourceLine(wordLine_.size());
  for (std::size_t k = 0; k < wordLine_.size(); ++k) wordSourceLine[k] = lineMap_.Get(wordLine_[k]);
  return AssembleResult{std::move(code_), std::move(wordSourceLine), std::move(errorText_),
                        std::move(status_)};
}

void AssemblyRun::ReportAsmError(std::int64_t compLine) {
  const std::int32_t s = lineMap_.Get(compLine);
  const bool known = s >= 1 && static_cast<std::size_t>(s) <= source_.size();
  status_.lineCaption = DecimalText(s) + ":  ";
  if (known) status_.lineCaption += source_[static_cast<std::size_t>(s - 1)];
  status_.errCaption = errorText_;
  if (known) {
    status_.selection = {Selection::Kind::Line, s - 1,
                         static_cast<int>(source_[static_cast<std::size_t>(s - 1)].size())};
  } else {
    status_.selection = {Selection::Kind::Clear, 0, 0};
  }
}

// Pass 1. Constant definitions leave the text as they are read. Rather than deleting two
// lines from the middle of the text each time (quadratic on a long block), the kept lines
// are moved down behind the reading point as it advances: the text and the line map come
// out exactly as if each definition had been deleted on the spot, in one sweep.
void AssemblyRun::CollectLabels() {
  labels_.Reset();
  const std::string badGlobal = labels_.LoadGlobalLabels(glob_, options_.language, errorText_);
  if (!errorText_.empty()) {
    status_.lineCaption = "GLOBAL: " + badGlobal;
    status_.errCaption = errorText_;
    return;
  }

  const std::size_t count = compText_.size();
  // Room for every name at once (the preprocessor ends each name's line with its ":" or
  // "="): a table grown on the way would copy its rows, and touch twice the memory.
  std::size_t names = 0;
  for (const std::string& line : compText_) {
    names += !line.empty() && (line.back() == ':' || line.back() == '=') ? 1 : 0;
  }
  labels_.Reserve(names);
  std::size_t read = 0;
  std::size_t kept = 0;
  auto keep = [&](std::size_t from) {
    if (kept != from) {
      compText_[kept] = std::move(compText_[from]);
      lineMap_.Set(kept + 1, lineMap_.Get(static_cast<std::int64_t>(from) + 1));
    }
    ++kept;
  };

  std::size_t restFrom = count;
  while (read < count) {
    const std::size_t lineAt = read++;
    const std::string& line = compText_[lineAt];
    // The first ":", or else the first "=".
    std::size_t pos = std::string::npos;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == ':') {
        pos = i;
        break;
      }
      if (line[i] == '=' && pos == std::string::npos) pos = i;
    }
    if (pos == std::string::npos) {
      keep(lineAt);
      continue;
    }
    const bool constant = line[pos] == '=';
    const int row = labels_.AddNewName(line.substr(0, pos));
    if (row < 0) {
      Fail(Compose(options_.language, MsgDuplicateLabel, labels_.Row(-row).name));
      ReportAsmError(static_cast<std::int64_t>(lineAt) + 1);
      restFrom = lineAt;
      break;
    }
    const std::string& name = labels_.Row(row).name;
    labels_.Row(row).kind = constant && !name.empty() && name.front() == '@' ? '@'
                            : constant                                       ? '='
                                                                             : ':';
    if (!constant) {
      labelLineRows_.push_back(row);
      keep(lineAt);
      continue;
    }
    // The value stands on the next line; a definition on the last line has none, and the
    // fault is then shown at the definition itself.
    std::int64_t lastRead = static_cast<std::int64_t>(lineAt) + 1;
    std::string value;
    if (read < count) {
      value = compText_[read++];
      ++lastRead;
    }
    if (!NormalizeNumber(value, options_.language, errorText_)) {
      ReportAsmError(lastRead);
      restFrom = lineAt;
      break;
    }
    labels_.Row(row).SetValue(value);
  }
  for (std::size_t from = restFrom; from < count; ++from) keep(from);
  compText_.resize(kept);
}

void AssemblyRun::EncodeInstructions() {
  code_.reserve(compText_.size());
  wordLine_.reserve(compText_.size());
  std::size_t nextLabelLine = 0;
  for (std::size_t at = 0; at < compText_.size() && errorText_.empty(); ++at) {
    const std::string& line = compText_[at];
    const auto compLine = static_cast<std::int32_t>(at + 1);
    compLine_ = compLine;
    const auto colon = line.find(':');
    if (colon != std::string::npos) {
      // A label line ends at its colon. Text after it ("B: NOP" when a source line held two
      // labels) would otherwise vanish without a word of code, or give its address to
      // another label: it is refused as part of the label's name.
      if (colon + 1 != line.size()) {
        Fail(Compose(options_.language, MsgBadIdentifierSymbol, line));
        ReportAsmError(compLine);
        continue;
      }
      // Pass 1 gave this line, the next label line of the text, its own row.
      const int row = labelLineRows_[nextLabelLine++];
      labels_.Row(row).SetValue(HexWordText(2 * static_cast<std::int64_t>(code_.size())));
      continue;
    }

    // An unknown name ends the pass at once: it has no word, not even an empty one.
    if (!EncodeInstruction(line)) {
      ReportAsmError(compLine);
      return;
    }
    // The words of a failing line are kept too, so the user sees how far it got.
    for (std::string* w : {&word_, &ext1_, &ext2_}) {
      if (w != &word_ && w->empty()) continue;
      code_.push_back(std::move(*w));
      wordLine_.push_back(compLine);
    }
    if (!errorText_.empty()) ReportAsmError(compLine);
  }
}

bool AssemblyRun::EncodeInstruction(const std::string& line) {
  wholeLine_ = &line;
  shortConstKind_ = 0;
  byteOperand_ = 0;
  word_.clear();
  ext1_.clear();
  ext2_.clear();

  const auto blank = line.find(Blank);
  const std::string_view name = std::string_view(line).substr(0, blank);
  mnemonic_ = LookupMnemonic(name);
  if (mnemonic_ == nullptr) {
    Fail(Compose(options_.language, MsgUnknownOperation, name));
    return false;
  }
  word_.assign(mnemonic_->templ);
  operands_.clear();
  if (blank != std::string::npos) operands_.assign(line, blank + 1);
  hltSeen_ = hltSeen_ || mnemonic_->halts;

  // One handler for each way of reading the operands, in the order of OperandForm.
  static constexpr std::array<void (AssemblyRun::*)(), OperandFormCount> Encoders = {
      &AssemblyRun::EncodeNoOperand,  &AssemblyRun::EncodeTwoOperands, &AssemblyRun::EncodeInOut,
      &AssemblyRun::EncodeInOut,      &AssemblyRun::EncodeJump,        &AssemblyRun::EncodeBranch,
      &AssemblyRun::EncodeOneOperand, &AssemblyRun::EncodeDataWord,
  };
  (this->*Encoders[static_cast<std::size_t>(mnemonic_->form)])();
  return true;
}

void AssemblyRun::ResolveReferences() {
  std::size_t nextRef = 0;
  for (std::size_t k = 0; k < code_.size(); ++k) {
    std::string& word = code_[k];
    const auto at = word.find('@');
    if (at == std::string::npos) continue;
    const std::string_view name = std::string_view(word).substr(at + 1);
    // The placeholders come in the order pass 2 made them, each with the row it found: a
    // row of this name is the one a lookup would find, since pass 2 adds none.
    int row = nextRef < refRows_.size() ? refRows_[nextRef++] : 0;
    if (row == 0 || labels_.Row(row).name != name) row = labels_.FindLabel(name);
    // Pass 2 only writes placeholders for names it found; an unknown one is left empty.
    const std::string value(row != 0 ? labels_.Row(row).Value() : std::string_view());
    if (at == 0) {
      word = value;
      continue;
    }
    const std::int64_t target = ParseNumber(value + "H").value;
    const std::int64_t displacement = target - (2 * static_cast<std::int64_t>(k) + 2);
    if (displacement > 126 || displacement < -128) {
      Fail(Compose(options_.language, MsgDisplacementTooLong));
      ReportAsmError(wordLine_[k]);
      return;
    }
    const std::string digits = HexWordText(displacement < 0 ? 65536 + displacement : displacement);
    word.resize(std::min<std::size_t>(at, 2));
    word += digits.substr(2);
  }
}

}  // namespace q41

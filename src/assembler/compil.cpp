#include "assembler/compil.hpp"

#include <algorithm>
#include <array>

#include "assembler/compil_run.hpp"
#include "assembler/mnemonic.hpp"
#include "common/number_text.hpp"
#include "preprocessor/preproc.hpp"

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
    const std::string& line = compText_[static_cast<std::size_t>(compLine - 1)];
    status_.place = PlaceInSource(source_, lineMap_, compLine, line, faultAt_, faultLength_);
  } else {
    status_.selection = {Selection::Kind::Clear, 0, 0};
  }
}

bool AssemblyRun::Normalize(std::string& text, std::size_t at) {
  QuotedSpan quoted;
  if (NormalizeNumber(text, options_.language, errorText_, &quoted)) return true;
  faultAt_ = at + quoted.at;
  faultLength_ = quoted.length;
  return false;
}

namespace {

// Moves the lines pass 1 keeps down over the definitions it took out, each with its entry in
// the line map, so that the text and the map come out as if every definition had been
// deleted where it stood.
class KeptLines {
 public:
  KeptLines(Lines& text, SourceLineMap& lineMap) : text_(text), lineMap_(lineMap) {}

  void Keep(std::size_t from) {
    if (kept_ != from) {
      text_[kept_] = std::move(text_[from]);
      lineMap_.Copy(from + 1, kept_ + 1);
    }
    ++kept_;
  }
  // Keeps every line from `from` on and cuts the text after the last line kept.
  void KeepRestFrom(std::size_t from) {
    for (; from < text_.size(); ++from) Keep(from);
    text_.resize(kept_);
  }

 private:
  Lines& text_;
  SourceLineMap& lineMap_;
  std::size_t kept_ = 0;
};

// How many names the text defines: the preprocessor ends each name's line with its ":" or
// "=".
std::size_t CountNames(const Lines& text) {
  std::size_t names = 0;
  for (const std::string& line : text) {
    names += !line.empty() && (line.back() == ':' || line.back() == '=') ? 1 : 0;
  }
  return names;
}

// Where a defined name ends: the first ":", or else the first "="; npos on a line that
// defines none.
std::size_t NameEnd(const std::string& line) {
  std::size_t pos = std::string::npos;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ':') return i;
    if (line[i] == '=' && pos == std::string::npos) pos = i;
  }
  return pos;
}

}  // namespace

// Pass 1. Constant definitions leave the text as they are read. Rather than deleting two
// lines from the middle of the text each time (quadratic on a long block), the kept lines
// are moved down behind the reading point as it advances, in one sweep.
void AssemblyRun::CollectLabels() {
  labels_.Reset();
  if (!ReadGlobalLabels()) return;
  // Room for every name at once: a table grown on the way would copy its rows, and touch
  // twice the memory.
  labels_.Reserve(CountNames(compText_));
  KeptLines kept(compText_, lineMap_);
  const std::size_t count = compText_.size();
  std::size_t restFrom = count;
  for (std::size_t read = 0; read < count;) {
    const std::size_t lineAt = read++;
    const std::size_t nameEnd = NameEnd(compText_[lineAt]);
    if (nameEnd == std::string::npos) {
      kept.Keep(lineAt);
      continue;
    }
    const bool constant = compText_[lineAt][nameEnd] == '=';
    const int row = DefineName(lineAt, nameEnd, constant);
    if (row == 0 || (constant && !ReadConstantValue(row, lineAt, read))) {
      restFrom = lineAt;
      break;
    }
    if (!constant) {
      labelLineRows_.push_back(row);
      kept.Keep(lineAt);
    }
  }
  kept.KeepRestFrom(restFrom);
}

bool AssemblyRun::ReadGlobalLabels() {
  const std::string badGlobal =
      labels_.LoadGlobalLabels(glob_, options_.language, errorText_, &status_.place);
  if (errorText_.empty()) return true;
  status_.lineCaption = "GLOBAL: " + badGlobal;
  status_.errCaption = errorText_;
  return false;
}

int AssemblyRun::DefineName(std::size_t lineAt, std::size_t nameEnd, bool constant) {
  const int row = labels_.AddNewName(compText_[lineAt].substr(0, nameEnd));
  if (row < 0) {
    Fail(Compose(options_.language, MsgDuplicateLabel, labels_.Row(-row).name), 0, nameEnd);
    ReportAsmError(static_cast<std::int64_t>(lineAt) + 1);
    return 0;
  }
  const std::string& name = labels_.Row(row).name;
  labels_.Row(row).kind = constant && !name.empty() && name.front() == '@' ? '@'
                          : constant                                       ? '='
                                                                           : ':';
  return row;
}

bool AssemblyRun::ReadConstantValue(int row, std::size_t lineAt, std::size_t& read) {
  // A definition on the last line has no value, and the fault is then shown at the
  // definition itself.
  std::int64_t lastRead = static_cast<std::int64_t>(lineAt) + 1;
  std::string value;
  if (read < compText_.size()) {
    value = compText_[read++];
    ++lastRead;
  }
  // The value is a line of its own; without one, the fault is the definition's, whole.
  if (!Normalize(value, 0)) {
    ReportAsmError(lastRead);
    return false;
  }
  labels_.Row(row).SetValue(value);
  return true;
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
        Fail(Compose(options_.language, MsgBadIdentifierSymbol, line), 0, line.size());
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
    Fail(Compose(options_.language, MsgUnknownOperation, name), 0, name.size());
    return false;
  }
  word_.assign(mnemonic_->templ);
  operands_.clear();
  operandsAt_ = line.size();
  if (blank != std::string::npos) {
    operands_.assign(line, blank + 1);
    operandsAt_ = blank + 1;
  }
  hltSeen_ = hltSeen_ || mnemonic_->halts;

  EncodeOperands();
  return true;
}

// One handler for each way of reading the operands. The switch names every form and has no
// default, so a form added without its handler is a warning, and so a failed build.
void AssemblyRun::EncodeOperands() {
  switch (mnemonic_->form) {
    case OperandForm::None:
      return EncodeNoOperand();
    case OperandForm::SourceDestination:
      return EncodeTwoOperands();
    case OperandForm::PortDestination:
    case OperandForm::SourcePort:
      return EncodeInOut();
    case OperandForm::Jump:
      return EncodeJump();
    case OperandForm::Branch:
      return EncodeBranch();
    case OperandForm::One:
      return EncodeOneOperand();
    case OperandForm::Value:
      return EncodeDataWord();
  }
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
      // The target is what is too far: the branch's operand.
      const std::string& line = compText_[static_cast<std::size_t>(wordLine_[k] - 1)];
      const std::size_t blank = line.find(Blank);
      const std::size_t operand = blank == std::string::npos ? 0 : blank + 1;
      Fail(Compose(options_.language, MsgDisplacementTooLong), operand, line.size() - operand);
      ReportAsmError(wordLine_[k]);
      return;
    }
    const std::string digits = HexWordText(displacement < 0 ? 65536 + displacement : displacement);
    word.resize(std::min<std::size_t>(at, 2));
    word += digits.substr(2);
  }
}

}  // namespace q41

// Operand readers and the group handlers of pass 2. A handler works on the first word (a
// copy of the template that it overwrites character by character), two extension words and
// the operand text. A fault does not stop a handler unless a step says so: the last
// diagnostic of the line is the one the user sees.

#include "assembler/compil_run.hpp"
#include "assembler/mnemonic.hpp"
#include "common/number_text.hpp"

namespace q41 {
namespace {

// Both operands have the same width when the two size bits of the flags agree.
bool SameWidth(int flags) {
  return ((flags >> 3) & 1) == ((flags >> 2) & 1);
}

bool IsCodeWithWord(char code) {
  return code == 'D' || code == 'E';
}

}  // namespace

char AssemblyRun::ParseConstOperand(std::string& text, std::size_t at) {
  const Language lang = options_.language;
  text.erase(0, 1);
  if (text.empty()) {
    Fail(Compose(lang, MsgNoValueAfterHash), at, 1);
    return 'D';
  }
  ++at;  // the value after the "#"
  if (text.front() != '-' && !IsDecimalDigit(text.front())) {
    // A name: its value goes into the extension word. This is also why a hexadecimal
    // number must begin with a decimal digit (0FFH, not FFH).
    if (const int row = labels_.FindLabel(text); row != 0) {
      text.insert(0, 1, '@');
      refRows_.push_back(row);
    } else {
      Fail(Compose(lang, MsgLabelNotFound, text), at, text.size());
    }
    return 'D';
  }
  if (!Normalize(text, at)) return 'D';
  constDigits_ = text;
  shortConstKind_ = 0;
  if (!options_.useShortConst) return 'D';
  if (text.compare(0, 3, "000") == 0) {
    shortConstKind_ = 2;
    return 'K';
  }
  if (text.compare(0, 3, "FFF") == 0 && text[3] != '0') {
    shortConstKind_ = 3;
    text[3] = HexDigit(16 - HexDigitValue(text[3]));
    return 'K';
  }
  return 'D';
}

char AssemblyRun::ParseOperand(std::string& text, std::size_t at) {
  const Language lang = options_.language;
  if (text.empty() || text == "%") {
    Fail(Compose(lang, MsgMissedOperand), at, text.size());
    return NoCode;
  }
  byteOperand_ = 0;
  if (text.back() == '%') {
    byteOperand_ = 1;
    text.pop_back();
  }
  if (const auto reg = LookupRegister(text)) return *reg;
  if (text.front() == '#') return ParseConstOperand(text, at) == 'D' ? 'D' : text[3];

  const int row = labels_.FindLabel(text);
  if (row == 0) {
    Fail(Compose(lang, MsgLabelNotFound, text), at, text.size());
    return NoCode;
  }
  // A bare name means the memory word at that address. For a jump or a plain constant the
  // value itself was more likely meant, so ask the user to look again.
  const std::string& line = *wholeLine_;
  if (StartsWith(line, "J") || StartsWith(line, "CALL") || labels_.Row(row).kind == '=') {
    Warn(line + ":\n" + text + "\nor #" + text + "?", lineMap_.Get(compLine_));
  }
  text.insert(0, 1, '@');
  refRows_.push_back(row);
  return 'E';
}

void AssemblyRun::ParsePort(std::string& text, std::size_t at) {
  const Language lang = options_.language;
  const std::string written = text;
  if (text.empty() || text == "P" || text == "P.") {
    Fail(text.empty() ? Compose(lang, MsgMissedOperand) : Compose(lang, MsgMissedOperand, text), at,
         text.size());
    return;
  }
  // Ports may be written P.n, Pn or n.
  if (StartsWith(text, "P.")) text.erase(0, 2);
  if (StartsWith(text, "P")) text.erase(0, 1);
  std::string numberError;
  if (!NormalizeNumber(text, lang, numberError) || text.compare(0, 3, "000") != 0) {
    Fail(Compose(lang, MsgBadPort, written), at, written.size());
  }
}

void AssemblyRun::EncodeNoOperand() {
  if (!operands_.empty()) {
    Fail(Compose(options_.language, MsgExtraOperand, operands_), operandsAt_, operands_.size());
  }
}

void AssemblyRun::SetFlagsDigit(int flags) {
  if (flags != 0) word_[0] = HexDigit(flags);
}

bool AssemblyRun::SplitOperands(std::string& first, std::string& second) {
  const auto comma = operands_.find(',');
  if (comma == std::string::npos) {
    Fail(Compose(options_.language, MsgCommaNotFound, operands_), operandsAt_, operands_.size());
    return false;
  }
  first = operands_.substr(0, comma);
  second = operands_.substr(comma + 1);
  return true;
}

void AssemblyRun::EncodeTwoOperands() {
  const Language lang = options_.language;
  std::string source;
  std::string dest;
  if (!SplitOperands(source, dest)) return;
  const std::size_t destAt = operandsAt_ + source.size() + 1;

  const char c1 = ParseOperand(source, operandsAt_);
  int flags = 8 * byteOperand_;
  if (c1 != NoCode) {
    word_[2] = c1;
    if (IsCodeWithWord(c1) && shortConstKind_ == 0) ext1_ = source;
  }
  if (!dest.empty() && dest.front() == '#') {
    Fail(Compose(lang, MsgConstForbidden, dest), destAt, dest.size());
    return;
  }
  const char c2 = ParseOperand(dest, destAt);
  flags += 4 * byteOperand_ + shortConstKind_;
  if (c2 != NoCode) {
    word_[3] = c2;
    if (c2 == 'E') (ext1_.empty() ? ext1_ : ext2_) = dest;
  }
  if (flags == 0) return;
  SetFlagsDigit(flags);
  // MOV alone may move a byte into a word.
  if (SameWidth(flags) || (mnemonic_->movesByteIntoWord && flags == 8)) return;
  // Neither operand alone is at fault: both are marked.
  Fail(ComposePair(lang, MsgMixingByteWord, source, dest), operandsAt_, operands_.size());
}

void AssemblyRun::EncodeInOut() {
  const Language lang = options_.language;
  std::string first;
  std::string second;
  if (!SplitOperands(first, second)) return;
  const std::size_t secondAt = operandsAt_ + first.size() + 1;
  int flags = 0;

  if (mnemonic_->form == OperandForm::PortDestination) {  // IN port,destination
    ParsePort(first, operandsAt_);
    if (!errorText_.empty()) return;
    word_[2] = first[3];
    if (!second.empty() && second.front() == '#') {
      Fail(Compose(lang, MsgConstForbidden, second), secondAt, second.size());
      return;
    }
    const char c2 = ParseOperand(second, secondAt);
    flags = 4 * byteOperand_;
    if (c2 != NoCode) {
      word_[3] = c2;
      if (c2 == 'E') ext1_ = second;
    }
  } else {  // OUT source,port
    const char c1 = ParseOperand(first, operandsAt_);
    flags = 8 * byteOperand_ + shortConstKind_;
    if (!errorText_.empty()) return;
    word_[2] = c1;
    if (IsCodeWithWord(c1) && shortConstKind_ == 0) ext1_ = first;
    ParsePort(second, secondAt);
    if (!errorText_.empty()) return;
    word_[3] = second[3];
  }
  if (flags == 0) return;
  SetFlagsDigit(flags);
  // The port has no size bit, so any byte operand mixes widths.
  if (!SameWidth(flags)) {
    Fail(ComposePair(lang, MsgMixingByteWord, first, second), operandsAt_, operands_.size());
  }
}

void AssemblyRun::EncodeJump() {
  char code = ParseOperand(operands_, operandsAt_);
  if (!errorText_.empty()) return;
  if (shortConstKind_ != 0) {
    // The condition code fills character 1, leaving no room for short-constant flags: the
    // constant goes whole into the extension word.
    code = 'D';
    operands_ = constDigits_;
  }
  word_[3] = code;
  if (IsCodeWithWord(code)) ext1_ = operands_;
}

void AssemblyRun::EncodeBranch() {
  const int row = labels_.FindLabel(operands_);
  if (row == 0) {
    Fail(Compose(options_.language, MsgLabelNotFound, operands_), operandsAt_, operands_.size());
    return;
  }
  refRows_.push_back(row);
  word_ += '@';
  word_ += operands_;
}

void AssemblyRun::EncodeOneOperand() {
  const Language lang = options_.language;
  if (operands_.empty()) {
    Fail(Compose(lang, MsgMissedOperand));
    return;
  }
  if (operands_.front() == '#' && !mnemonic_->takesConstant) {
    Fail(Compose(lang, MsgConstForbidden, operands_), operandsAt_, operands_.size());
    return;
  }
  const std::size_t written = operands_.size();
  char code = ParseOperand(operands_, operandsAt_);
  if (byteOperand_ == 1 && !mnemonic_->takesByte) {
    Fail(Compose(lang, MsgByteForbidden), operandsAt_, written);
    return;
  }
  if (shortConstKind_ != 0) {
    // One-operand instructions have no short form.
    code = 'D';
    operands_ = constDigits_;
  }
  if (byteOperand_ == 1) word_[0] = 'C';
  if (code != NoCode) {
    word_[3] = code;
    if (IsCodeWithWord(code)) ext1_ = operands_;
  }
}

void AssemblyRun::EncodeDataWord() {
  std::size_t at = operandsAt_;
  if (!operands_.empty() && operands_.front() == '#') {
    operands_.erase(0, 1);
    ++at;
  }
  Normalize(operands_, at);
  word_ = operands_;
}

}  // namespace q41

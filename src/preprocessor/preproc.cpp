#include "preprocessor/preproc.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "common/number_text.hpp"

namespace q41 {
namespace {

// The most words all "RW " blocks of a block may reserve together: the whole 64 KB address
// space. More could never be loaded, and expanding them would exhaust memory.
constexpr std::int64_t MaxReservedWords = 32768;

// The characters that wake a stage, one bit each, by character code: a lookup per character
// instead of a branch per class. Every character but a blank and ";" counts as text.
enum : std::uint16_t {
  IsBlank = 1,
  IsHash = 2,
  IsColon = 4,
  IsEquals = 8,
  IsD = 16,  // "D" or "d", the start of a string directive
  IsComma = 32,
  IsPercent = 64,
  IsText = 128,
  IsComment = 256,
};
constexpr std::array<std::uint16_t, 256> CharClasses = [] {
  std::array<std::uint16_t, 256> table{};
  for (auto& bits : table) bits = IsText;
  table[static_cast<unsigned char>(Blank)] = IsBlank;
  table[';'] = IsComment;
  table['#'] |= IsHash;
  table[':'] |= IsColon;
  table['='] |= IsEquals;
  table['D'] |= IsD;
  table['d'] |= IsD;
  table[','] |= IsComma;
  table['%'] |= IsPercent;
  return table;
}();

struct LineChars {
  std::uint16_t bits = 0;
  bool Has(std::uint16_t which) const { return (bits & which) != 0; }
};

LineChars Scan(std::string_view line) {
  LineChars chars;
  for (char c : line) chars.bits |= CharClasses[static_cast<unsigned char>(c)];
  return chars;
}

// The last blank of the run of blanks that starts at `at`. Runs of blanks are long (the
// indentation, the gap before a comment): eight bytes are compared at a time.
std::size_t LastBlankOfRun(std::string_view line, std::size_t at) {
  static_assert(std::endian::native == std::endian::little,
                "the first byte of eight is read as the lowest");
  constexpr std::uint64_t Blanks = 0x2020202020202020ULL;
  std::size_t next = at + 1;
  while (next + 8 <= line.size()) {
    std::uint64_t word;
    std::memcpy(&word, line.data() + next, sizeof word);
    const std::uint64_t other = word ^ Blanks;
    if (other != 0) return next + static_cast<std::size_t>(std::countr_zero(other)) / 8 - 1;
    next += 8;
  }
  while (next < line.size() && line[next] == Blank) ++next;
  return next - 1;
}

// The string directive: "DS" after an optional label, and then at least one character
// (the blank after "DS" when there is one). Gives the label and what follows "DS".
bool IsStringDirective(std::string_view line, std::string_view& label, std::string_view& rest) {
  const auto colon = line.find(':');
  rest = line;
  label = {};
  if (colon != std::string_view::npos) {
    label = rest.substr(0, colon);
    rest.remove_prefix(colon + 1);
  }
  while (!rest.empty() && rest.front() == Blank) rest.remove_prefix(1);
  if (rest.size() < 3 || UpperAscii(rest[0]) != 'D' || UpperAscii(rest[1]) != 'S') return false;
  rest.remove_prefix(2);
  return true;
}

bool IsStringDirective(std::string_view line) {
  std::string_view label;
  std::string_view rest;
  return IsStringDirective(line, label, rest);
}

// KeepColumns: the run reads one line for ReadSourceLine. It writes no text for compilation
// and keeps, beside the line being read, the column each of its bytes came from. A template,
// so that the preprocessor proper carries none of that: it is the same code with that part
// compiled out.
template <bool KeepColumns>
class PreprocessRun {
 public:
  PreprocessRun(SourceText source, Lines& compText, SourceLineMap& lineMap, Language language)
      : source_(source), compText_(compText), lineMap_(lineMap), language_(language) {}

  void KeepReading(LineReading& reading) { reading_ = &reading; }

  PreprocessResult Run() {
    const auto count = source_.size();
    compText_.reserve(compText_.size() + count);
    lineMap_.Reserve(compText_.size() + count);
    while (sourceLineNo_ < count && result_.errorText.empty()) {
      piece_ = 0;
      made_ = false;
      std::string_view written;
      LineChars chars = ReadLine(written);
      // Blanks alone, or nothing, before any comment: no stage makes text of that.
      if (!chars.Has(IsText)) continue;
      if (chars.Has(IsHash) || (chars.Has(IsD) && IsStringDirective(written))) {
        // A string or a character constant keeps its case, and a string its blanks: such a
        // line goes through the stages one by one, as written. No stage after the string
        // stage adds a blank, "#", ":", "=", "," or "%".
        line_.assign(written);
        if constexpr (KeepColumns) KeepColumnsAsWritten(written.size());
        if (chars.Has(IsD) && ExpandString()) chars = Scan(line_);
        if (chars.Has(IsBlank)) {
          FoldBlanks();
          FindSeparators(chars);
          NormaliseSeparators(chars);
        }
        if (chars.Has(IsHash)) ReplaceCharConstant();
        MakeUpper(line_);
        FindSeparators(chars);
      }
      if (chars.Has(IsColon | IsEquals)) SplitName();
      ExpandReservedWords();
      if (!line_.empty()) EmitLine(line_);
    }
    if (!result_.errorText.empty()) {
      const auto row = sourceLineNo_ - 1;
      result_.status.selection = {Selection::Kind::Line, static_cast<int>(row),
                                  static_cast<int>(source_[row].size())};
      if constexpr (!KeepColumns) result_.status.place = PlaceOfFault(row);
    }
    return std::move(result_);
  }

 private:
  template <bool>
  friend class PreprocessRun;

  // The place of the fault on source line `row` (0-based). The run kept no columns, so the
  // faulty line goes once more through the same stages, alone and keeping them, with the
  // words "RW " reserved before it: the same stage raises the same fault there and places
  // it. Only a failed run pays for this, and for one line.
  SourcePlace PlaceOfFault(std::size_t row) const {
    const LineViews line{source_[row]};
    Lines text;
    SourceLineMap lineMap;
    LineReading reading;
    PreprocessRun<true> again(line, text, lineMap, language_);
    again.KeepReading(reading);
    again.reservedWords_ = reservedWords_;
    SourcePlace place = again.Run().status.place;
    if (place.line == 0) place.length = static_cast<int>(source_[row].size());
    place.line = static_cast<std::int32_t>(row + 1);
    return place;
  }

  // Where bytes [at, at + length) of line_ stand on the line being read (a reading only).
  // The length constant of a string is made, not written: its faults belong to the
  // directive and its string.
  SourcePlace PlaceOnLine(std::size_t at, std::size_t length) const {
    SourcePlace place;
    place.line = static_cast<std::int32_t>(sourceLineNo_);
    if (reading_->isString) {
      place.start = static_cast<int>(reading_->stringDirectiveAt);
      place.length = static_cast<int>(reading_->codeEnd - reading_->stringDirectiveAt);
    } else if (at < columns_.size()) {
      const std::size_t last = std::min(at + std::max<std::size_t>(length, 1), columns_.size()) - 1;
      place.start = static_cast<int>(columns_[at]);
      place.length = static_cast<int>(columns_[last] + 1 - columns_[at]);
    }
    return place;
  }

  static std::uint32_t Column(std::size_t at) { return static_cast<std::uint32_t>(at); }

  // `at`: where the text stands in line_, for the columns a reading keeps.
  template <typename Text>
  void EmitLine(Text&& text, std::size_t at = 0) {
    if constexpr (KeepColumns) {
      KeepPiece(text, at);
      return;
    }
    compText_.emplace_back(std::forward<Text>(text));
    lineMap_.Set(compText_.size(), static_cast<std::int32_t>(sourceLineNo_),
                 made_ ? SourceLineMap::Made : piece_++);
  }

  // What a reading adds to the stages.
  void KeepColumnsAsWritten(std::size_t size) {
    columns_.resize(size);
    for (std::size_t k = 0; k < size; ++k) columns_[k] = Column(k);
  }
  void EraseColumns(std::size_t at, std::size_t count) {
    const auto from = columns_.begin() + static_cast<std::ptrdiff_t>(at);
    columns_.erase(from, from + static_cast<std::ptrdiff_t>(count));
  }
  // The code that replaced the three characters of a character constant from `at` on: its
  // first digit stands for the opening quote, the others for the closing one.
  void KeepColumnsOfCode(std::size_t at, std::size_t digits) {
    const std::uint32_t closing = columns_[at + 2];
    EraseColumns(at + 1, 2);
    columns_.insert(columns_.begin() + static_cast<std::ptrdiff_t>(at + 1), digits - 1, closing);
  }
  // Of a string only its label is a piece; the label was kept when it was read.
  void KeepPiece(std::string_view text, std::size_t at) {
    if (reading_->isString) return;
    const auto from = columns_.begin() + static_cast<std::ptrdiff_t>(at);
    reading_->pieces.push_back(
        {std::string(text), {from, from + static_cast<std::ptrdiff_t>(text.size())}});
  }

  // A stage's fault replaces any earlier one of the same line. The message quotes bytes
  // [at, at + length) of line_.
  void Fault(std::string errorText, const std::string& shownLine, std::size_t at,
             std::size_t length) {
    if constexpr (KeepColumns) result_.status.place = PlaceOnLine(at, length);
    result_.errorText = std::move(errorText);
    result_.status.lineCaption =
        DecimalText(static_cast<std::int64_t>(sourceLineNo_)) + ": " + shownLine;
    result_.status.errCaption = result_.errorText;
  }

  // Reading the next line, and stage 1: a ";" starts a comment wherever it stands, inside a
  // string too. `written` is the text before it as written. For a line without a string or
  // a character constant, the one pass that reads it also does stages 3 and 5: line_ gets
  // the text without leading, trailing or repeated blanks and without a blank beside the
  // first of each separator, in upper case. The result tells which characters the text holds; where
  // it holds a string or a character constant, line_ is of no use.
  LineChars ReadLine(std::string_view& written) {
    const std::string_view line = source_[sourceLineNo_++];
    LineChars chars;
    // The copy goes to a buffer that only ever grows, so that no line pays for filling it.
    if (readBuffer_.size() < line.size()) readBuffer_.resize(line.size());
    if constexpr (KeepColumns) columns_.resize(line.size());
    char* out = readBuffer_.data();
    std::size_t kept = 0;
    std::size_t end = 0;
    const std::size_t size = line.size();
    firstAt_.fill(std::string::npos);
    // Stage 5 as the line is read: no blank on either side of the first ",", ":", "=" and
    // "%" (a blank that touches one of them goes, whatever the others do).
    bool afterSeparator = false;
    for (; end < size; ++end) {
      const char c = line[end];
      const std::uint16_t bits = CharClasses[static_cast<unsigned char>(c)];
      if ((bits & (IsBlank | IsComment)) != 0) {
        if (bits == IsComment) break;
        // A run of blanks (the indentation, the gap before a comment) leaves one at most.
        chars.bits |= IsBlank;
        end = LastBlankOfRun(line, end);
        if (kept == 0 || afterSeparator) continue;
        if constexpr (KeepColumns) columns_[kept] = Column(end);
        out[kept++] = Blank;
        continue;
      }
      chars.bits |= bits;
      afterSeparator = (bits & Separators) != 0 && FirstSeparator(c);
      if (afterSeparator) {
        if (kept > 0 && out[kept - 1] == Blank) --kept;
        NoteSeparator(c, kept);
      }
      if constexpr (KeepColumns) columns_[kept] = Column(end);
      out[kept++] = UpperAscii(c);
    }
    if (kept > 0 && out[kept - 1] == Blank) --kept;
    line_.assign(out, kept);
    written = line.substr(0, end);
    if constexpr (KeepColumns) {
      columns_.resize(kept);
      reading_->codeEnd = end;
    }
    return chars;
  }

  // Stage 2: "DS" and a string, with an optional label before it. Each pair of characters
  // becomes one data word, the first character in the low byte. True when it was a string.
  bool ExpandString() {
    std::string_view label;
    std::string_view rest;
    if (!IsStringDirective(line_, label, rest)) return false;
    const auto directiveAt = static_cast<std::size_t>(rest.data() - line_.data()) - 2;
    if (!rest.empty() && rest.front() == Blank) rest.remove_prefix(1);
    if constexpr (KeepColumns) {
      // The line is still as written here, so a byte's place in it is its column.
      if (!label.empty()) {
        std::string piece = line_.substr(0, label.size() + 1);
        KeepPiece(MakeUpper(piece), 0);
      }
      reading_->isString = true;
      reading_->stringDirectiveAt = directiveAt;
      reading_->stringAt = static_cast<std::size_t>(rest.data() - line_.data());
    }

    std::string upperLabel(label);
    MakeUpper(upperLabel);
    if (!upperLabel.empty()) EmitLine(upperLabel + ":");
    made_ = true;
    const std::size_t n = rest.size();
    for (std::size_t i = 0; i < n; i += 2) {
      const std::string low = HexWordText(Code(rest[i])).substr(2);
      const std::string high = i + 1 < n ? HexWordText(Code(rest[i + 1])).substr(2) : "00";
      EmitLine("DW " + high + low + "H");
    }
    line_ = upperLabel.empty()
                ? std::string()
                : "LEN(" + upperLabel + ")=" + DecimalText(static_cast<std::int64_t>(n));
    // The length constant is made, not written: its faults belong to the directive.
    if constexpr (KeepColumns) columns_.assign(line_.size(), Column(directiveAt));
    return true;
  }

  // Stage 3: no leading, trailing or repeated blanks,
  void FoldBlanks() {
    std::size_t kept = 0;
    if constexpr (KeepColumns) {
      FoldBlanksKeepingColumns();
      return;
    }
    for (char c : line_) {
      if (c == Blank && (kept == 0 || line_[kept - 1] == Blank)) continue;
      line_[kept++] = c;
    }
    if (kept > 0 && line_[kept - 1] == Blank) --kept;
    line_.resize(kept);
  }
  void FoldBlanksKeepingColumns() {
    std::size_t kept = 0;
    for (std::size_t k = 0; k < line_.size(); ++k) {
      const char c = line_[k];
      if (c == Blank && (kept == 0 || line_[kept - 1] == Blank)) continue;
      columns_[kept] = columns_[k];
      line_[kept++] = c;
    }
    if (kept > 0 && line_[kept - 1] == Blank) --kept;
    line_.resize(kept);
    columns_.resize(kept);
  }

  // Where the first ",", ":", "=" and "%" of line_ stand (npos for none): reading a line
  // notes them as it copies, and the stages keep them in step, so that no stage has to
  // search the line again.
  static constexpr std::array<char, 4> SeparatorChars = {',', ':', '=', '%'};
  static constexpr std::uint16_t Separators = IsComma | IsColon | IsEquals | IsPercent;
  void NoteSeparator(char c, std::size_t at) {
    for (std::size_t k = 0; k < SeparatorChars.size(); ++k) {
      if (c == SeparatorChars[k] && firstAt_[k] == std::string::npos) firstAt_[k] = at;
    }
  }
  bool FirstSeparator(char c) const {
    for (std::size_t k = 0; k < SeparatorChars.size(); ++k) {
      if (c == SeparatorChars[k]) return firstAt_[k] == std::string::npos;
    }
    return false;
  }
  void FindSeparators(LineChars chars) {
    firstAt_.fill(std::string::npos);
    if (chars.Has(Separators)) {
      for (std::size_t k = 0; k < SeparatorChars.size(); ++k) {
        firstAt_[k] = line_.find(SeparatorChars[k]);
      }
    }
  }
  void EraseAt(std::size_t at) {
    line_.erase(at, 1);
    if constexpr (KeepColumns) EraseColumns(at, 1);
    for (std::size_t& p : firstAt_) {
      if (p != std::string::npos && p > at) --p;
    }
  }

  // and no blank on either side of the first ",", ":", "=" and "%".
  void NormaliseSeparators(LineChars chars) {
    if (!chars.Has(Separators)) return;
    for (std::size_t k = 0; k < SeparatorChars.size(); ++k) {
      const std::size_t at = firstAt_[k];
      if (at == std::string::npos) continue;
      if (at + 1 < line_.size() && line_[at + 1] == Blank) EraseAt(at + 1);
      if (at > 0 && line_[at - 1] == Blank) EraseAt(at - 1);
    }
  }

  // Stage 4: the first #'c' becomes # and the decimal code of c.
  void ReplaceCharConstant() {
    const auto at = line_.find("#'");
    if (at == std::string::npos) return;
    if (at + 3 < line_.size() && line_[at + 3] == '\'') {
      const std::string code = DecimalText(Code(line_[at + 2]));
      line_.replace(at + 1, 3, code);
      if constexpr (KeepColumns) KeepColumnsOfCode(at + 1, code.size());
      return;
    }
    Fault(Compose(language_, MsgInvalidValue, line_.substr(at, 5)), line_, at, 5);
  }

  // A label or constant name, separator included. A blank or a comma makes it unreadable
  // to the assembler; a leading digit or "-" would make it look like a number.
  // `at`: where the name stands in line_.
  bool CheckIdentifier(const std::string& name, const std::string& shownLine, std::size_t at) {
    const bool badSymbol = name.find_first_of(" ,") != std::string::npos;
    const bool badStart = name.front() == '-' || IsDecimalDigit(name.front());
    if (badSymbol)
      Fault(Compose(language_, MsgBadIdentifierSymbol, name), shownLine, at, name.size());
    if (badStart)
      Fault(Compose(language_, MsgIdentifierStartsBadly, name), shownLine, at, name.size());
    return !badSymbol && !badStart;
  }

  // Stage 6: a label ("NAME:") and then a constant name ("NAME=") go onto lines of their
  // own; what remains of a definition is its value.
  // A fault shows the line as it was; the names leave it only at the end.
  void SplitName() {
    const auto colon = firstAt_[1];
    std::size_t taken = 0;
    if (colon != std::string::npos) {
      std::string name = line_.substr(0, colon + 1);
      if (!CheckIdentifier(name, line_, 0)) return;
      EmitLine(std::move(name), 0);
      taken = colon + 1;
    }
    // The first "=" of the line, unless it stands in the label's name.
    const auto equals = firstAt_[2] == std::string::npos || firstAt_[2] >= taken
                            ? firstAt_[2]
                            : line_.find('=', taken);
    if (equals != std::string::npos) {
      std::string name = line_.substr(taken, equals + 1 - taken);
      if (CheckIdentifier(name, line_, taken)) {
        EmitLine(std::move(name), taken);
        taken = equals + 1;
      }
    }
    line_.erase(0, taken);
    if constexpr (KeepColumns) EraseColumns(0, taken);
  }

  // Stage 7: "RW " and a count becomes that many reserved words "DW AE97H".
  void ExpandReservedWords() {
    // Every line comes here: three characters compared in place, not a library call.
    if (line_.size() < 3 || line_[0] != 'R' || line_[1] != 'W' || line_[2] != Blank) return;
    const std::string shown = line_;
    std::string countText = line_.substr(3);
    const ParsedNumber count = ParseNumber(countText);
    // Each fault is about the count.
    const std::size_t countSize = countText.size();
    if (count.failed) {
      Fault(Message(language_, MsgBadNumberSymbol) + " " + countText, shown, 3, countSize);
    } else if (count.value == 0) {
      Fault(Compose(language_, MsgInvalidValue, "0"), shown, 3, countSize);
    } else if (count.value < 0 || count.value > MaxReservedWords - reservedWords_) {
      Fault(Compose(language_, MsgConstTooLarge, countText), shown, 3, countSize);
    } else if constexpr (KeepColumns) {
      // A reading keeps the directive as written, not the words it stands for.
      reading_->reservedWords = true;
      return;
    } else {
      line_ = "DW AE97H";
      reservedWords_ += count.value;
      made_ = true;
      for (std::int32_t k = 1; k < count.value; ++k) EmitLine(line_);
      return;
    }
    line_ = std::move(countText);
    if constexpr (KeepColumns) EraseColumns(0, 3);
  }

  SourceText source_;
  Lines& compText_;
  SourceLineMap& lineMap_;
  const Language language_;
  std::size_t sourceLineNo_ = 0;
  std::int64_t reservedWords_ = 0;
  std::string line_;
  std::string readBuffer_;
  std::array<std::size_t, 4> firstAt_{};
  PreprocessResult result_;
  // Which piece of its source line the next line written is, unless the line being read
  // now makes its lines (a string, "RW ").
  std::uint8_t piece_ = 0;
  bool made_ = false;
  LineReading* reading_ = nullptr;
  std::vector<std::uint32_t> columns_;  // with reading_: the column of each byte of line_
};

}  // namespace

PreprocessResult Preprocess(SourceText source, Lines& compText, SourceLineMap& lineMap,
                            Language language) {
  return PreprocessRun<false>(source, compText, lineMap, language).Run();
}

LineReading ReadSourceLine(std::string_view line, Language language) {
  LineReading reading;
  const LineViews source{line};
  Lines compText;
  SourceLineMap lineMap;
  PreprocessRun<true> run(source, compText, lineMap, language);
  run.KeepReading(reading);
  reading.errorText = run.Run().errorText;
  return reading;
}

namespace {

// The bytes [from, to) of `line` between their first and last non-blank.
SourcePlace TrimmedPlace(std::string_view line, std::size_t from, std::size_t to) {
  while (from < to && line[from] == Blank) ++from;
  while (to > from && line[to - 1] == Blank) --to;
  return {false, 0, static_cast<int>(from), static_cast<int>(to - from)};
}

// The bytes of `piece` from `at` on, `length` of them (all, for none), on its line.
SourcePlace PieceBytes(const ReadPiece& piece, std::size_t at, std::size_t length) {
  const std::size_t size = piece.columns.size();
  if (at >= size || length == 0) {
    at = 0;
    length = size;
  }
  const std::size_t last = std::min(at + length, size) - 1;
  return {false, 0, static_cast<int>(piece.columns[at]),
          static_cast<int>(piece.columns[last] + 1 - piece.columns[at])};
}

}  // namespace

SourcePlace PlaceInSource(SourceText source, const SourceLineMap& lineMap, std::int64_t compLine,
                          std::string_view compiled, std::size_t at, std::size_t length) {
  const std::int32_t sourceLine = lineMap.Get(compLine);
  if (sourceLine < 1 || static_cast<std::size_t>(sourceLine) > source.size()) return {};
  const std::string_view line = source[static_cast<std::size_t>(sourceLine - 1)];
  const LineReading reading = ReadSourceLine(line, Language::English);
  const std::uint8_t piece = lineMap.Piece(compLine);
  SourcePlace place = TrimmedPlace(line, 0, reading.codeEnd);
  if (piece == SourceLineMap::Made && reading.isString) {
    place = {false, 0, static_cast<int>(reading.stringDirectiveAt),
             static_cast<int>(reading.codeEnd - reading.stringDirectiveAt)};
  } else if (piece == SourceLineMap::Made && reading.reservedWords && !reading.pieces.empty()) {
    place = PieceBytes(reading.pieces.back(), 0, 0);
  } else if (piece < reading.pieces.size() && reading.pieces[piece].text == compiled &&
             !compiled.empty()) {
    place = PieceBytes(reading.pieces[piece], at, length);
  }
  place.line = sourceLine;
  return place;
}

}  // namespace q41

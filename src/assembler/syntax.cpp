#include "assembler/syntax.hpp"

#include <algorithm>
#include <string>

#include "assembler/mnemonic.hpp"
#include "common/text.hpp"

namespace q41 {
namespace {

bool IsSeparator(char c) {
  return c == Blank || c == ',' || c == '\t';
}

std::string Upper(std::string_view text) {
  std::string out(text);
  return MakeUpper(out);
}

bool IsMnemonic(std::string_view word) {
  return LookupMnemonic(Upper(word)) != nullptr;
}

// A register operand, with or without its byte mark.
bool IsRegister(std::string_view word) {
  if (!word.empty() && word.back() == '%') word.remove_suffix(1);
  return LookupRegister(Upper(word)).has_value();
}

// A port of IN and OUT: P.n or Pn (a bare number is a number anyway).
bool IsPort(std::string_view word) {
  if (word.size() < 2 || (word[0] != 'P' && word[0] != 'p')) return false;
  word.remove_prefix(word[1] == '.' ? 2 : 1);
  return !word.empty() && IsDecimalDigit(word.front());
}

bool StartsNumber(std::string_view word) {
  if (!word.empty() && word.front() == '#') word.remove_prefix(1);
  if (!word.empty() && word.front() == '-') word.remove_prefix(1);
  return !word.empty() && IsDecimalDigit(word.front());
}

class LineReader {
 public:
  explicit LineReader(std::string_view line) : line_(line) {
    const auto semicolon = line.find(';');
    code_ = semicolon == std::string_view::npos ? line.size() : semicolon;
  }

  std::vector<SyntaxSpan> Read() {
    SkipSeparators();
    ReadDefinitions();
    SkipSeparators();
    const std::size_t wordStart = at_;
    const std::string_view word = NextWord();
    if (!word.empty()) {
      const std::string upper = Upper(word);
      if (upper == "DS") {
        Add(wordStart, word.size(), SyntaxKind::Mnemonic);
        // The string is the rest of the line before the comment, after one blank.
        std::size_t from = at_;
        if (from < code_ && line_[from] == Blank) ++from;
        // Its trailing blanks show no colour; a span that ends on them and touches the
        // comment's would leave the comment uncoloured on screen.
        std::size_t to = code_;
        while (to > from && line_[to - 1] == Blank) --to;
        if (from < to) Add(from, to - from, SyntaxKind::Text);
        at_ = code_;
      } else if (upper == "RW") {
        Add(wordStart, word.size(), SyntaxKind::ReservedWords);
      } else if (IsMnemonic(word)) {
        Add(wordStart, word.size(), SyntaxKind::Mnemonic);
        inOut_ = upper == "IN" || upper == "OUT";
      } else {
        at_ = wordStart;  // no operation: what follows is read as operands
      }
    }
    ReadOperands();
    if (code_ < line_.size()) Add(code_, line_.size() - code_, SyntaxKind::Comment);
    return std::move(spans_);
  }

 private:
  void Add(std::size_t start, std::size_t length, SyntaxKind kind) {
    spans_.push_back({static_cast<int>(start), static_cast<int>(length), kind});
  }

  void SkipSeparators() {
    while (at_ < code_ && IsSeparator(line_[at_])) ++at_;
  }

  // The word from here to the next separator (or ":" or "=").
  std::string_view NextWord() {
    const std::size_t start = at_;
    while (at_ < code_ && !IsSeparator(line_[at_]) && line_[at_] != ':' && line_[at_] != '=') {
      ++at_;
    }
    return line_.substr(start, at_ - start);
  }

  // "NAME:" (one or more) and then "NAME =" at the start of the line.
  void ReadDefinitions() {
    for (;;) {
      const std::size_t start = at_;
      const std::string_view name = NextWord();
      std::size_t after = at_;
      while (after < code_ && line_[after] == Blank) ++after;
      if (!name.empty() && after < code_ && line_[after] == ':') {
        Add(start, after + 1 - start, SyntaxKind::LabelDefinition);
        at_ = after + 1;
        SkipSeparators();
        continue;
      }
      if (!name.empty() && after < code_ && line_[after] == '=') {
        Add(start, after + 1 - start, SyntaxKind::ConstantDefinition);
        at_ = after + 1;
        return;
      }
      at_ = start;
      return;
    }
  }

  void ReadOperands() {
    while (at_ < code_) {
      SkipSeparators();
      if (at_ >= code_) break;
      const std::size_t start = at_;
      // A character constant may hold a blank or a comma: it is read whole.
      if (line_.compare(at_, 2, "#'") == 0) {
        at_ = std::min(code_, at_ + 4);
        Add(start, at_ - start, SyntaxKind::Text);
        continue;
      }
      while (at_ < code_ && !IsSeparator(line_[at_])) ++at_;
      const std::string_view word = line_.substr(start, at_ - start);
      if (IsRegister(word)) {
        Add(start, word.size(), SyntaxKind::Register);
      } else if (StartsNumber(word) || (inOut_ && IsPort(word))) {
        Add(start, word.size(), SyntaxKind::Number);
      } else {
        std::size_t nameStart = start;
        std::string_view name = word;
        if (name.front() == '#') {
          ++nameStart;
          name.remove_prefix(1);
        }
        if (!name.empty() && name.back() == '%') name.remove_suffix(1);
        if (!name.empty()) Add(nameStart, name.size(), SyntaxKind::LabelUse);
      }
    }
  }

  std::string_view line_;
  std::size_t code_ = 0;  // where the comment starts (the line's end without one)
  std::size_t at_ = 0;
  bool inOut_ = false;  // the operation is IN or OUT, whose operands include a port
  std::vector<SyntaxSpan> spans_;
};

}  // namespace

std::vector<SyntaxSpan> SyntaxSpans(std::string_view line) {
  return LineReader(line).Read();
}

}  // namespace q41

#include "language/tokens.hpp"

#include <string>

#include "assembler/mnemonic.hpp"
#include "common/number_text.hpp"
#include "common/text.hpp"
#include "preprocessor/preproc.hpp"

namespace q41 {
namespace {

bool StartsNumber(std::string_view text) {
  return !text.empty() && (text.front() == '-' || IsDecimalDigit(text.front()));
}

bool EndsName(const std::string& piece, char separator) {
  return !piece.empty() && piece.back() == separator;
}

class TokenReader {
 public:
  TokenReader(std::string_view line, const LineReading& reading) : line_(line), reading_(reading) {}

  // The spans of the code before the comment; none when the line would be refused.
  std::vector<SyntaxSpan> Read() {
    if (!reading_.errorText.empty()) return {};
    if (reading_.isString) {
      ReadString();
      return std::move(spans_);
    }
    const auto& pieces = reading_.pieces;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
      const ReadPiece& piece = pieces[k];
      if (EndsName(piece.text, ':')) {
        AddPiece(piece, 0, piece.text.size(), SyntaxKind::LabelDefinition);
      } else if (EndsName(piece.text, '=')) {
        AddPiece(piece, 0, piece.text.size(), SyntaxKind::ConstantDefinition);
        // What follows is the value, which the assembler reads as a number.
        if (++k < pieces.size() && !ReadValue(pieces[k])) return {};
      } else if (!ReadStatement(piece)) {
        return {};
      }
    }
    return std::move(spans_);
  }

 private:
  void Add(std::size_t start, std::size_t end, SyntaxKind kind) {
    if (end > start) {
      spans_.push_back({static_cast<int>(start), static_cast<int>(end - start), kind});
    }
  }
  // Bytes [from, to) of a piece, as the columns of the line they came from.
  void AddPiece(const ReadPiece& piece, std::size_t from, std::size_t to, SyntaxKind kind) {
    if (to > from) Add(piece.columns[from], piece.columns[to - 1] + 1, kind);
  }

  void ReadString() {
    if (!reading_.pieces.empty()) {
      const ReadPiece& label = reading_.pieces.front();
      AddPiece(label, 0, label.text.size(), SyntaxKind::LabelDefinition);
    }
    Add(reading_.stringDirectiveAt, reading_.stringDirectiveAt + 2, SyntaxKind::Mnemonic);
    // The string runs to the comment, trailing blanks and all; they show no colour, since a
    // span that ends on them and touches the comment's would leave the comment uncoloured.
    std::size_t end = reading_.codeEnd;
    while (end > reading_.stringAt && line_[end - 1] == Blank) --end;
    Add(reading_.stringAt, end, SyntaxKind::Text);
  }

  bool ReadValue(const ReadPiece& piece) {
    std::string value = piece.text;
    std::string error;
    if (!NormalizeNumber(value, Language::English, error)) return false;
    AddPiece(piece, 0, piece.text.size(), SyntaxKind::Number);
    return true;
  }

  bool ReadStatement(const ReadPiece& piece) {
    const std::string& text = piece.text;
    const std::size_t blank = std::min(text.find(Blank), text.size());
    if (reading_.reservedWords) {
      AddPiece(piece, 0, blank, SyntaxKind::ReservedWords);
      AddPiece(piece, blank + 1, text.size(), SyntaxKind::Number);
      return true;
    }
    const MnemonicEntry* m = LookupMnemonic(std::string_view(text).substr(0, blank));
    if (m == nullptr) return false;
    AddPiece(piece, 0, blank, SyntaxKind::Mnemonic);
    if (blank == text.size() || m->form == OperandForm::None) return true;
    const std::size_t from = blank + 1;
    const bool twoOperands = m->form == OperandForm::SourceDestination ||
                             m->form == OperandForm::PortDestination ||
                             m->form == OperandForm::SourcePort;
    const std::size_t comma = twoOperands ? text.find(',', from) : std::string::npos;
    if (comma == std::string::npos) {
      ReadOperand(piece, from, text.size(), false);
      return true;
    }
    ReadOperand(piece, from, comma, m->form == OperandForm::PortDestination);
    ReadOperand(piece, comma + 1, text.size(), m->form == OperandForm::SourcePort);
    return true;
  }

  void ReadOperand(const ReadPiece& piece, std::size_t from, std::size_t to, bool port) {
    const std::string_view text = std::string_view(piece.text).substr(from, to - from);
    if (text.empty()) return;
    if (port) {
      AddPiece(piece, from, to, SyntaxKind::Number);
      return;
    }
    std::string_view body = text;
    if (body.back() == '%') body.remove_suffix(1);
    if (LookupRegister(body)) {
      AddPiece(piece, from, to, SyntaxKind::Register);
    } else if (text.front() == '#') {
      // The preprocessor put the code of a character constant in its place.
      const std::size_t hash = piece.columns[from];
      if (hash + 1 < line_.size() && line_[hash + 1] == '\'' && StartsNumber(text.substr(1))) {
        AddPiece(piece, from, to, SyntaxKind::Text);
      } else if (StartsNumber(text.substr(1))) {
        AddPiece(piece, from, to, SyntaxKind::Number);
      } else if (text.size() > 1 && text[1] != '\'') {
        AddPiece(piece, from + 1, from + body.size(), SyntaxKind::LabelUse);
      }
    } else if (StartsNumber(text)) {
      AddPiece(piece, from, to, SyntaxKind::Number);
    } else {
      AddPiece(piece, from, from + body.size(), SyntaxKind::LabelUse);
    }
  }

  std::string_view line_;
  const LineReading& reading_;
  std::vector<SyntaxSpan> spans_;
};

}  // namespace

std::vector<SyntaxSpan> LineTokens(std::string_view line) {
  const LineReading reading = ReadSourceLine(line, Language::English);
  std::vector<SyntaxSpan> spans = TokenReader(line, reading).Read();
  if (reading.codeEnd < line.size()) {
    spans.push_back({static_cast<int>(reading.codeEnd),
                     static_cast<int>(line.size() - reading.codeEnd), SyntaxKind::Comment});
  }
  return spans;
}

std::vector<SyntaxSpan> GlobalLineTokens(std::string_view line) {
  const std::size_t first = line.find_first_not_of(Blank);
  if (first == std::string_view::npos) return {};
  if (line[first] == ';') {
    return {{static_cast<int>(first), static_cast<int>(line.size() - first), SyntaxKind::Comment}};
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos || equals == first) return {};
  std::vector<SyntaxSpan> spans{{static_cast<int>(first), static_cast<int>(equals + 1 - first),
                                 SyntaxKind::ConstantDefinition}};
  const std::size_t from = line.find_first_not_of(Blank, equals + 1);
  if (from == std::string_view::npos) return spans;
  const std::size_t to = line.find_last_not_of(Blank) + 1;
  std::string value;
  for (char c : line.substr(from, to - from)) {
    if (c != Blank) value += UpperAscii(c);
  }
  std::string error;
  if (NormalizeNumber(value, Language::English, error)) {
    spans.push_back({static_cast<int>(from), static_cast<int>(to - from), SyntaxKind::Number});
  }
  return spans;
}

}  // namespace q41

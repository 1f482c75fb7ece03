#include "language/queries.hpp"

#include <algorithm>
#include <mutex>

#include "assembler/mnemonic.hpp"
#include "blocks/reference.hpp"
#include "common/cp1251.hpp"
#include "common/number_text.hpp"

namespace q41 {
namespace {

bool Covers(const SourcePlace& place, bool inGlobal, std::int32_t line, int column) {
  return place.inGlobal == inGlobal && place.line == line && column >= place.start &&
         column <= place.start + place.length;
}

bool IsWordChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAscii(c);
  return out;
}

// Windows-1251 text of a UTF-8 literal of ours (every one of them fits the code page).
std::string Local(const char* utf8) {
  return Utf8ToCp1251(utf8);
}

const std::string& ReferenceHtml(const std::string& mnemonic, Language language) {
  static std::once_flag once[2];
  static std::vector<ReferenceEntry> entries[2];
  const int k = language == Language::English ? 1 : 0;
  std::call_once(once[k], [&] { entries[k] = InstructionReference(language); });
  static const std::string none;
  for (const ReferenceEntry& e : entries[k]) {
    if (e.key == mnemonic) return e.html;
  }
  return none;
}

}  // namespace

std::string DescribeName(const NameFacts& n, Language language, const FileLineOf& fileLine) {
  const bool constant = n.kind == SyntaxKind::ConstantDefinition;
  std::string text = n.name + ": " +
                     Local(constant ? Bilingual{"константа", "constant"}.In(language)
                                    : Bilingual{"метка", "label"}.In(language));
  if (!n.value.empty()) {
    text += ", " +
            Local(constant ? Bilingual{"значение", "value"}.In(language)
                           : Bilingual{"адрес", "address"}.In(language)) +
            " " + n.value + "H";
  }
  // Appended piece by piece: a literal joined to a temporary string trips a false warning
  // of GCC 12's optimiser (-Wrestrict) in the Release build.
  text += '\n';
  if (!n.defined) {
    text += Local(Bilingual{"не определена", "not defined"}.In(language));
  } else {
    const std::optional<std::int32_t> inFile =
        fileLine ? fileLine(n.definition) : std::optional<std::int32_t>();
    text += Local(
        n.definition.inGlobal && !inFile
            ? Bilingual{"определена в GLOBAL, строка ", "defined in GLOBAL, line "}.In(language)
            : Bilingual{"определена в строке ", "defined on line "}.In(language));
    text += DecimalText(inFile.value_or(n.definition.line));
  }
  return text;
}

namespace {

// "#5", "-12", "0FFH", "#-3": the value as a word, in decimal, hexadecimal and signed.
std::optional<std::string> NumberHover(std::string_view token) {
  if (!token.empty() && token.front() == '#') token.remove_prefix(1);
  bool negative = false;
  if (!token.empty() && token.front() == '-') {
    negative = true;
    token.remove_prefix(1);
  }
  const ParsedNumber parsed = ParseNumber(Upper(token));
  if (parsed.failed) return std::nullopt;
  const auto word = static_cast<std::uint16_t>(negative ? -parsed.value : parsed.value);
  std::string text = DecimalText(word) + " = " + HexWordText(word) + "H = ";
  if (word >= 0x8000) text += '-';
  text += DecimalText(word >= 0x8000 ? 0x10000 - word : word);
  return text;
}

}  // namespace

const NameFacts* NameAt(const BlockFacts& facts, bool inGlobal, std::int32_t line, int column) {
  for (const NameFacts& n : facts.names) {
    if (n.defined && Covers(n.definition, inGlobal, line, column)) return &n;
    for (const SourcePlace& use : n.uses) {
      if (Covers(use, inGlobal, line, column)) return &n;
    }
  }
  return nullptr;
}

std::vector<SourcePlace> PlacesOf(const NameFacts& name) {
  std::vector<SourcePlace> places;
  if (name.defined) places.push_back(name.definition);
  places.insert(places.end(), name.uses.begin(), name.uses.end());
  return places;
}

std::optional<Hover> HoverAt(const BlockFacts& facts, std::string_view text, std::int32_t line,
                             int column, Language language, const FileLineOf& fileLine) {
  for (const SyntaxSpan& span : LineTokens(text)) {
    if (column < span.start || column > span.start + span.length) continue;
    Hover hover{{}, false, span.start, span.length};
    const std::string_view token =
        text.substr(static_cast<std::size_t>(span.start), static_cast<std::size_t>(span.length));
    switch (span.kind) {
      case SyntaxKind::Mnemonic:
        hover.text = ReferenceHtml(Upper(token), language);
        hover.html = true;
        break;
      case SyntaxKind::Register: {
        std::string reg = Upper(token);
        if (!reg.empty() && reg.back() == '%') reg.pop_back();
        if (const auto code = LookupRegister(reg)) {
          hover.text = reg + ": " + Local(Bilingual{"код ", "code "}.In(language)) + *code;
        }
        break;
      }
      case SyntaxKind::Number:
        if (auto value = NumberHover(token)) hover.text = *value;
        break;
      case SyntaxKind::LabelDefinition:
      case SyntaxKind::LabelUse:
      case SyntaxKind::ConstantDefinition:
        if (const NameFacts* n = NameAt(facts, false, line, column)) {
          hover.text = DescribeName(*n, language, fileLine);
        }
        break;
      default:
        break;
    }
    if (hover.text.empty()) return std::nullopt;
    return hover;
  }
  return std::nullopt;
}

std::string_view WordBefore(std::string_view line, int column) {
  auto end = static_cast<std::size_t>(std::clamp(column, 0, static_cast<int>(line.size())));
  std::size_t begin = end;
  while (begin > 0 && IsWordChar(line[begin - 1])) --begin;
  return line.substr(begin, end - begin);
}

CompletionPlace CompletionPlaceAt(std::string_view line, int column) {
  const std::string_view word = WordBefore(line, column);
  const std::string_view before = line.substr(0, static_cast<std::size_t>(column) - word.size());
  CompletionPlace place = CompletionPlace::Operation;
  for (const SyntaxSpan& span : LineTokens(before)) {
    switch (span.kind) {
      case SyntaxKind::Comment:
        return CompletionPlace::Comment;
      case SyntaxKind::Mnemonic:
      case SyntaxKind::ConstantDefinition:
      case SyntaxKind::ReservedWords:
        place = CompletionPlace::Operand;
        break;
      default:
        break;
    }
  }
  return place;
}

std::vector<Completion> CompletionsFor(const BlockFacts& facts, std::string_view prefix,
                                       CompletionPlace place, Language language,
                                       const FileLineOf& fileLine) {
  const std::string upper = Upper(prefix);
  auto matches = [&upper](std::string_view word) { return word.substr(0, upper.size()) == upper; };
  std::vector<Completion> out;
  if (place == CompletionPlace::Comment) return out;
  if (place == CompletionPlace::Operation) {
    for (const MnemonicEntry& m : Mnemonics) {
      if (!matches(m.name)) continue;
      out.push_back({std::string(m.name),
                     Local(Bilingual{"команда, шаблон ", "instruction, template "}.In(language)) +
                         std::string(m.templ),
                     CompletionKind::Mnemonic});
    }
    return out;
  }
  for (const RegisterEntry& r : RegisterCodes) {
    if (!matches(r.name)) continue;
    out.push_back({std::string(r.name),
                   Local(Bilingual{"регистр, код ", "register, code "}.In(language)) + r.code,
                   CompletionKind::Register});
  }
  for (const NameFacts& n : facts.names) {
    if (!n.defined || !matches(n.name)) continue;
    const bool constant = n.kind == SyntaxKind::ConstantDefinition;
    std::string detail = DescribeName(n, language, fileLine);
    std::replace(detail.begin(), detail.end(), '\n', ';');
    out.push_back({n.name, detail, constant ? CompletionKind::Constant : CompletionKind::Label});
  }
  return out;
}

}  // namespace q41

#include "language/queries.hpp"

#include <algorithm>
#include <limits>
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

namespace {

// "label, address 0004H", "constant, value 0005H": what the name is and, once the check has
// reached it, its value. A name nothing defines has no kind yet: it is only a name.
std::string KindAndValue(const NameFacts& n, Language language) {
  if (!n.defined) return Local(Bilingual{"имя", "name"}.In(language));
  const bool constant = n.kind == SyntaxKind::ConstantDefinition;
  std::string text = Local(constant ? Bilingual{"константа", "constant"}.In(language)
                                    : Bilingual{"метка", "label"}.In(language));
  if (n.value.empty()) return text;
  text += ", ";
  text += Local(constant ? Bilingual{"значение", "value"}.In(language)
                         : Bilingual{"адрес", "address"}.In(language));
  text += ' ';
  text += n.value;
  // A GLOBAL value the label table could not read stands as "????", no number.
  if (n.value.find('?') == std::string::npos) text += 'H';
  return text;
}

// Where the name is defined: a line of its block, of GLOBAL (`globalLine` tells which one
// there too) or of the file an editor shows.
std::string DefinedWhere(const NameFacts& n, Language language, const FileLineOf& fileLine,
                         bool globalLine) {
  if (!n.defined) return Local(Bilingual{"не определено", "not defined"}.In(language));
  const std::optional<std::int32_t> inFile =
      fileLine ? fileLine(n.definition) : std::optional<std::int32_t>();
  if (n.definition.inGlobal && !inFile) {
    const Bilingual inGlobal =
        globalLine ? Bilingual{"определена в GLOBAL, строка ", "defined in GLOBAL, line "}
                   : Bilingual{"определена в GLOBAL", "defined in GLOBAL"};
    std::string text = Local(inGlobal.In(language));
    if (globalLine) text += DecimalText(n.definition.line);
    return text;
  }
  return Local(Bilingual{"определена в строке ", "defined on line "}.In(language)) +
         DecimalText(inFile.value_or(n.definition.line));
}

}  // namespace

std::string DescribeName(const NameFacts& n, Language language, const FileLineOf& fileLine) {
  // Appended piece by piece: a literal joined to a temporary string trips a false warning
  // of GCC 12's optimiser (-Wrestrict) in the Release build.
  std::string text = n.name;
  text += ": ";
  text += KindAndValue(n, language);
  text += '\n';
  text += DefinedWhere(n, language, fileLine, true);
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

std::optional<Hover> GlobalHoverAt(const BlockFacts& facts, std::string_view text,
                                   std::int32_t line, int column, Language language,
                                   const FileLineOf& fileLine) {
  for (const SyntaxSpan& span : GlobalLineTokens(text)) {
    if (column < span.start || column > span.start + span.length) continue;
    Hover hover{{}, false, span.start, span.length};
    if (span.kind == SyntaxKind::Number) {
      std::string value;
      for (char c : text.substr(static_cast<std::size_t>(span.start),
                                static_cast<std::size_t>(span.length))) {
        if (c != ' ') value += c;
      }
      if (auto number = NumberHover(value)) hover.text = *number;
    } else if (const NameFacts* n = NameAt(facts, true, line, column)) {
      hover.text = DescribeName(*n, language, fileLine);
      hover.start = n->definition.start;
      hover.length = n->definition.length;
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

namespace {

// What may stand as operand `index` (0 the first) of `m`: a port or a number no name, a
// branch's target a label alone.
CompletionPlace OperandPlace(const MnemonicEntry& m, int index) {
  switch (m.form) {
    case OperandForm::None:
    case OperandForm::Value:
      return CompletionPlace::Nothing;
    case OperandForm::PortDestination:
      return index == 0 ? CompletionPlace::Nothing : CompletionPlace::Operand;
    case OperandForm::SourcePort:
      return index == 1 ? CompletionPlace::Nothing : CompletionPlace::Operand;
    case OperandForm::Branch:
      return index == 0 ? CompletionPlace::Label : CompletionPlace::Nothing;
    case OperandForm::SourceDestination:
      return index <= 1 ? CompletionPlace::Operand : CompletionPlace::Nothing;
    case OperandForm::Jump:
    case OperandForm::One:
      return index == 0 ? CompletionPlace::Operand : CompletionPlace::Nothing;
  }
  return CompletionPlace::Nothing;
}

}  // namespace

CompletionPlace CompletionPlaceAt(std::string_view line, int column) {
  const std::string_view word = WordBefore(line, column);
  const std::string_view before = line.substr(0, static_cast<std::size_t>(column) - word.size());
  CompletionPlace place = CompletionPlace::Operation;
  const MnemonicEntry* mnemonic = nullptr;
  std::size_t operandsFrom = 0;
  bool inText = false;  // the character before the word is a string's or a character's
  for (const SyntaxSpan& span : LineTokens(before)) {
    inText = span.kind == SyntaxKind::Text &&
             static_cast<std::size_t>(span.start + span.length) == before.size();
    switch (span.kind) {
      case SyntaxKind::Comment:
        return CompletionPlace::Comment;
      case SyntaxKind::Mnemonic:
        mnemonic = LookupMnemonic(Upper(before.substr(static_cast<std::size_t>(span.start),
                                                      static_cast<std::size_t>(span.length))));
        operandsFrom = static_cast<std::size_t>(span.start + span.length);
        place = CompletionPlace::Operand;
        break;
      // A constant's value and a count of reserved words are numbers.
      case SyntaxKind::ConstantDefinition:
      case SyntaxKind::ReservedWords:
        place = CompletionPlace::Nothing;
        break;
      default:
        break;
    }
  }
  if (inText) return CompletionPlace::Nothing;
  if (place == CompletionPlace::Operand) {
    // A string's directive ("DS") is no instruction: its text is no operand.
    if (mnemonic == nullptr) return CompletionPlace::Nothing;
    const auto commas =
        std::count(before.begin() + static_cast<std::ptrdiff_t>(operandsFrom), before.end(), ',');
    place = OperandPlace(*mnemonic, static_cast<int>(commas));
  }
  // After "#" stands a value: a name of either kind, or a number.
  if (before.ends_with('#')) {
    return place == CompletionPlace::Operand ? CompletionPlace::Value : CompletionPlace::Nothing;
  }
  return place;
}

std::string InTypedCase(std::string_view word, std::string_view typed) {
  // What was typed stays as typed; the rest follows the case of its last letter.
  const auto letter = std::find_if(typed.rbegin(), typed.rend(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
  const bool lower = letter != typed.rend() && *letter >= 'a';
  std::string out(typed.substr(0, std::min(typed.size(), word.size())));
  for (char c : word.substr(out.size())) {
    out += lower && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return out;
}

namespace {

// Gathers the words offered, the first `limit` of them in full.
class Offer {
 public:
  Offer(std::string_view prefix, std::size_t limit) : upper_(Upper(prefix)), limit_(limit) {}

  bool Matches(std::string_view word) const { return word.substr(0, upper_.size()) == upper_; }
  // `make` builds the completion, only while there is room for it.
  template <typename Make>
  void Add(const Make& make) {
    if (list_.words.size() < limit_) {
      list_.words.push_back(make());
    } else {
      ++list_.more;
    }
  }
  CompletionList Take() { return std::move(list_); }

 private:
  std::string upper_;
  std::size_t limit_;
  CompletionList list_;
};

// The names defined in the block (`inGlobal` false) or in GLOBAL that match.
void OfferNames(Offer& offer, const BlockFacts& facts, bool inGlobal, bool labelsOnly,
                Language language, const FileLineOf& fileLine) {
  for (const NameFacts& n : facts.names) {
    if (!n.defined || n.definition.inGlobal != inGlobal || !offer.Matches(n.name)) continue;
    if (labelsOnly && n.kind != SyntaxKind::LabelDefinition) continue;
    offer.Add([&] {
      std::string detail = KindAndValue(n, language);
      detail += "; ";
      detail += DefinedWhere(n, language, fileLine, false);
      const bool constant = n.kind == SyntaxKind::ConstantDefinition;
      return Completion{n.name, detail,
                        constant ? CompletionKind::Constant : CompletionKind::Label};
    });
  }
}

}  // namespace

CompletionList CompletionsFor(const BlockFacts& facts, std::string_view prefix,
                              CompletionPlace place, Language language, std::size_t limit,
                              const FileLineOf& fileLine) {
  Offer offer(prefix, limit);
  if (place == CompletionPlace::Comment || place == CompletionPlace::Nothing) return offer.Take();
  if (place == CompletionPlace::Operation) {
    for (const MnemonicEntry& m : Mnemonics) {
      if (!offer.Matches(m.name)) continue;
      offer.Add([&] {
        return Completion{
            std::string(m.name),
            Local(Bilingual{"команда, шаблон ", "instruction, template "}.In(language)) +
                std::string(m.templ),
            CompletionKind::Mnemonic};
      });
    }
    return offer.Take();
  }
  if (place == CompletionPlace::Operand) {
    for (const RegisterEntry& r : RegisterCodes) {
      if (!offer.Matches(r.name)) continue;
      offer.Add([&] {
        return Completion{
            std::string(r.name),
            Local(Bilingual{"регистр, код ", "register, code "}.In(language)) + r.code,
            CompletionKind::Register};
      });
    }
  }
  // The block's own names before GLOBAL's, which may be many and are shared by every block;
  // GLOBAL defines constants alone, and a branch's target is a label.
  const bool labelsOnly = place == CompletionPlace::Label;
  OfferNames(offer, facts, false, labelsOnly, language, fileLine);
  if (!labelsOnly) OfferNames(offer, facts, true, false, language, fileLine);
  return offer.Take();
}

std::vector<Completion> CompletionsFor(const BlockFacts& facts, std::string_view prefix,
                                       CompletionPlace place, Language language,
                                       const FileLineOf& fileLine) {
  return CompletionsFor(facts, prefix, place, language, std::numeric_limits<std::size_t>::max(),
                        fileLine)
      .words;
}

}  // namespace q41

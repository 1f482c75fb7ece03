#include "language/rename.hpp"

#include <algorithm>
#include <map>

#include "assembler/mnemonic.hpp"
#include "common/cp1251.hpp"
#include "language/queries.hpp"

namespace q41 {
namespace {

// Words the preprocessor or the program file reads as its own, though no instruction.
constexpr std::string_view Directives[] = {"DS", "RW", "GLOBAL"};

bool IsLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 192 || c == 168 ||
         c == 184;
}

bool IsNameChar(unsigned char c) {
  return IsLetter(c) || (c >= '0' && c <= '9');
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAscii(c);
  return out;
}

std::string Refusal(std::string_view name, Bilingual text, Language language) {
  std::string out(name);
  out += Utf8ToCp1251(text.In(language));
  return out;
}

bool Defines(const ProgramFacts& program, const std::string& upper) {
  return std::any_of(program.facts.begin(), program.facts.end(), [&](const BlockFacts& f) {
    return std::any_of(f.names.begin(), f.names.end(),
                       [&](const NameFacts& n) { return n.defined && n.name == upper; });
  });
}

// The string's label whose length constant is `length`, in the block of both.
const NameFacts* LabelOfLength(const BlockFacts& facts, const NameFacts& length) {
  const auto found = std::find_if(facts.names.begin(), facts.names.end(), [&](const NameFacts& n) {
    return n.defined && n.name == length.lengthOf;
  });
  return found == facts.names.end() ? nullptr : &*found;
}

// `file` with `text` written over each place.
Lines Rewritten(const Lines& file, const ProgramFacts& program,
                const std::vector<ProgramPlace>& places, const std::string& text) {
  std::map<std::size_t, std::vector<SourcePlace>> byLine;
  for (const ProgramPlace& p : places) {
    if (const auto line = program.FileLine(p.block, p.place.inGlobal, p.place.line)) {
      byLine[*line].push_back(p.place);
    }
  }
  Lines out = file;
  for (auto& [line, onLine] : byLine) {
    if (line >= out.size()) continue;
    std::sort(onLine.begin(), onLine.end(),
              [](const SourcePlace& a, const SourcePlace& b) { return a.start > b.start; });
    for (const SourcePlace& p : onLine) {
      out[line].replace(static_cast<std::size_t>(p.start), static_cast<std::size_t>(p.length),
                        text);
    }
  }
  return out;
}

bool IsHexWord(const std::string& word) {
  return word.size() == 4 && std::all_of(word.begin(), word.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
         });
}

// Whether two readings of a program compile to the same code, block by block. A failed
// compile's words that still wait for a label's address hold its name: those are alike when
// both wait.
bool SameCode(const ProgramFacts& a, const ProgramFacts& b) {
  if (a.facts.size() != b.facts.size()) return false;
  for (std::size_t k = 0; k < a.facts.size(); ++k) {
    const BlockFacts& x = a.facts[k];
    const BlockFacts& y = b.facts[k];
    if (x.compiled != y.compiled || x.code.size() != y.code.size() ||
        x.fault.has_value() != y.fault.has_value())
      return false;
    if (x.fault && x.fault->place.line != y.fault->place.line) return false;
    for (std::size_t w = 0; w < x.code.size(); ++w) {
      if (x.code[w] != y.code[w] && (x.compiled || IsHexWord(x.code[w]) || IsHexWord(y.code[w])))
        return false;
    }
  }
  return true;
}

}  // namespace

NamedPlaces NamedPlacesAt(const ProgramFacts& program, std::size_t fileLine, int column) {
  NamedPlaces out;
  const auto where = program.PlaceOf(fileLine);
  if (!where || program.facts.empty()) return out;
  const int block = where->inGlobal ? 0 : where->block;
  out.name =
      NameAt(program.facts[static_cast<std::size_t>(block)], where->inGlobal, where->line, column);
  if (out.name == nullptr) return out;
  if (!(out.name->defined && out.name->definition.inGlobal)) {
    for (const SourcePlace& p : PlacesOf(*out.name)) out.places.push_back({block, p});
    return out;
  }
  out.places.push_back({0, out.name->definition});
  for (std::size_t b = 0; b < program.facts.size(); ++b) {
    for (const NameFacts& n : program.facts[b].names) {
      if (n.name != out.name->name) continue;
      for (const SourcePlace& use : n.uses) out.places.push_back({static_cast<int>(b), use});
    }
  }
  return out;
}

std::string NameRefusal(const ProgramFacts& program, const NameFacts& name,
                        std::string_view newName, Language language) {
  if (newName.empty()) {
    return Utf8ToCp1251(
        Bilingual{"Имя не может быть пустым", "A name cannot be empty"}.In(language));
  }
  const auto first = static_cast<unsigned char>(newName.front());
  if (first == '#') {
    return Refusal(newName, {": имя пишется без \"#\"", ": a name is written without \"#\""},
                   language);
  }
  if (!IsLetter(first)) {
    return Refusal(newName,
                   {": имя начинается с буквы или \"_\"", ": a name begins with a letter or \"_\""},
                   language);
  }
  if (!std::all_of(newName.begin(), newName.end(),
                   [](char c) { return IsNameChar(static_cast<unsigned char>(c)); })) {
    return Refusal(newName,
                   {": в имени могут быть только буквы, цифры и \"_\"",
                    ": a name holds letters, digits and \"_\" only"},
                   language);
  }
  const std::string upper = Upper(newName);
  if (LookupRegister(upper)) {
    return Refusal(newName, {": это регистр", " is a register"}, language);
  }
  if (LookupMnemonic(upper) != nullptr ||
      std::find(std::begin(Directives), std::end(Directives), upper) != std::end(Directives)) {
    return Refusal(newName, {": это зарезервированное слово", " is a reserved word"}, language);
  }
  if (upper != name.name && Defines(program, upper)) {
    return Refusal(newName, {": такое имя уже определено", " is already defined"}, language);
  }
  return {};
}

RenamePlan PlanRename(const Lines& file, const ProgramFacts& program, std::size_t fileLine,
                      int column, std::string_view newName, const AssemblerOptions& options) {
  RenamePlan plan;
  NamedPlaces named = NamedPlacesAt(program, fileLine, column);
  if (named.name != nullptr && !named.name->lengthOf.empty()) {
    const int block = named.places.front().block;
    const NameFacts* label =
        LabelOfLength(program.facts[static_cast<std::size_t>(block)], *named.name);
    named = {label, {}};
    if (label != nullptr) {
      for (const SourcePlace& p : PlacesOf(*label)) named.places.push_back({block, p});
    }
  }
  if (named.name == nullptr) {
    plan.refusal =
        Utf8ToCp1251(Bilingual{"Здесь нет метки или константы", "No label or constant here"}.In(
            options.language));
    return plan;
  }
  plan.refusal = NameRefusal(program, *named.name, newName, options.language);
  if (!plan.refusal.empty()) return plan;
  const int block = named.places.front().block;
  for (const SourcePlace& p : named.name->inLengths) named.places.push_back({block, p});
  // The last word is the assembler's: the program with the new name compiles as before.
  const Lines renamed = Rewritten(file, program, named.places, std::string(newName));
  if (!SameCode(program, ReadProgram(renamed, options, program.unmarkedGlobal))) {
    plan.refusal = Refusal(newName,
                           {": с этим именем программа собралась бы иначе",
                            ": with this name the program would not compile to the same code"},
                           options.language);
    return plan;
  }
  plan.places = std::move(named.places);
  return plan;
}

}  // namespace q41

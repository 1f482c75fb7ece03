// Colouring: the kind of every span on a table of lines.

#include "language/tokens.hpp"

#include "assembler/mnemonic.hpp"
#include "blocks/compile.hpp"
#include "common/number_text.hpp"
#include "preprocessor/preproc.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

namespace q41 {
namespace {

using K = SyntaxKind;

// Each span as its text and kind, so that a table row reads like the line.
std::vector<std::pair<std::string, K>> Parts(std::string_view line) {
  std::vector<std::pair<std::string, K>> parts;
  for (const SyntaxSpan& s : LineTokens(line)) {
    parts.emplace_back(std::string(line.substr(static_cast<std::size_t>(s.start),
                                               static_cast<std::size_t>(s.length))),
                       s.kind);
  }
  return parts;
}

TEST(Tokens, KindOfEachSpan) {
  struct Row {
    std::string line;
    std::vector<std::pair<std::string, K>> parts;
  };
  const std::vector<Row> rows = {
      {"start: mov #5,r0 ; five",
       {{"start:", K::LabelDefinition},
        {"mov", K::Mnemonic},
        {"#5", K::Number},
        {"r0", K::Register},
        {"; five", K::Comment}}},
      {"  ADD (R1), r2%", {{"ADD", K::Mnemonic}, {"(R1)", K::Register}, {"r2%", K::Register}}},
      {"C0 = 0FFH", {{"C0 =", K::ConstantDefinition}, {"0FFH", K::Number}}},
      {"N=-12", {{"N=", K::ConstantDefinition}, {"-12", K::Number}}},
      {"  bne L0", {{"bne", K::Mnemonic}, {"L0", K::LabelUse}}},
      {"  mov #C0, r1", {{"mov", K::Mnemonic}, {"C0", K::LabelUse}, {"r1", K::Register}}},
      {"  out #'A', p.3", {{"out", K::Mnemonic}, {"#'A'", K::Text}, {"p.3", K::Number}}},
      // A character constant may be a blank or a comma.
      {"  mov #' ',r0", {{"mov", K::Mnemonic}, {"#' '", K::Text}, {"r0", K::Register}}},
      {"msg: DS hello, world",
       {{"msg:", K::LabelDefinition}, {"DS", K::Mnemonic}, {"hello, world", K::Text}}},
      // The first ";" starts the comment, inside a string too.
      {"ds a;b", {{"ds", K::Mnemonic}, {"a", K::Text}, {";b", K::Comment}}},
      {"m2: ds Hello, Q41! ; \xEF\xF0\xE8",
       {{"m2:", K::LabelDefinition},
        {"ds", K::Mnemonic},
        {"Hello, Q41!", K::Text},
        {"; \xEF\xF0\xE8", K::Comment}}},
      {"  rw 10", {{"rw", K::ReservedWords}, {"10", K::Number}}},
      {"  dw 1234h", {{"dw", K::Mnemonic}, {"1234h", K::Number}}},
      // As the preprocessor reads them: "DS" and any character is a string, the first ";"
      // starts a comment even right after a word or inside a character constant, and a line
      // the preprocessor or the assembler refuses shows no colour but its comment's.
      {"dsx", {{"ds", K::Mnemonic}, {"x", K::Text}}},
      {"  dsHello", {{"ds", K::Mnemonic}, {"Hello", K::Text}}},
      {"x: dsab", {{"x:", K::LabelDefinition}, {"ds", K::Mnemonic}, {"ab", K::Text}}},
      {"RW,3", {}},
      {"hlt;c", {{"hlt", K::Mnemonic}, {";c", K::Comment}}},
      {"mov r0,r1;c",
       {{"mov", K::Mnemonic}, {"r0", K::Register}, {"r1", K::Register}, {";c", K::Comment}}},
      {"ds Hello; world", {{"ds", K::Mnemonic}, {"Hello", K::Text}, {"; world", K::Comment}}},
      {"s2: ds ab;cd ef",
       {{"s2:", K::LabelDefinition}, {"ds", K::Mnemonic}, {"ab", K::Text}, {";cd ef", K::Comment}}},
      {"ds \xCF\xF0\xE8\xE2\xE5\xF2;\xEC\xE8\xF0",
       {{"ds", K::Mnemonic}, {"\xCF\xF0\xE8\xE2\xE5\xF2", K::Text}, {";\xEC\xE8\xF0", K::Comment}}},
      {"mov #';', r2 ; c", {{";', r2 ; c", K::Comment}}},
      {"\tmov r0,r1", {}},
      {"a: b: hlt", {}},
      {"x: rw 2", {{"x:", K::LabelDefinition}, {"rw", K::ReservedWords}, {"2", K::Number}}},
      {"N = name", {}},
      {"; only a comment", {{"; only a comment", K::Comment}}},
      {"", {}},
      {"   ", {}},
  };
  for (const Row& row : rows) EXPECT_EQ(Parts(row.line), row.parts) << row.line;
}

// Every mnemonic of the table, in either case, is one.
TEST(Tokens, EveryMnemonicOfTheTable) {
  for (const auto& entry : Mnemonics) {
    std::string lower(entry.name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string& name : {std::string(entry.name), lower}) {
      const auto spans = LineTokens("  " + name);
      ASSERT_EQ(spans.size(), 1u) << name;
      EXPECT_EQ(spans[0].kind, name == "RW" ? K::ReservedWords : K::Mnemonic) << name;
    }
  }
}

// The token reader against the preprocessor and the assembler themselves, on generated and
// mutated lines: wherever the two could disagree (where the comment starts, what is a
// string, which names are defined, which word is the operation, whether the line is
// refused, what RW expands to), the compiled result decides.
class AgainstTheTranslator {
 public:
  void Check(const std::string& line) {
    SCOPED_TRACE("line: \"" + line + "\"");
    const std::vector<SyntaxSpan> spans = LineTokens(line);
    Lines out;
    const bool preprocessed = Preprocessed(line, out);
    const std::size_t semicolon = std::min(line.find(';'), line.size());
    // In order, apart, inside the line; the comment from the first ";" to the end.
    int end = 0;
    for (const SyntaxSpan& s : spans) {
      ASSERT_GE(s.start, end);
      ASSERT_GT(s.length, 0);
      end = s.start + s.length;
      ASSERT_LE(static_cast<std::size_t>(end), s.kind == K::Comment ? line.size() : semicolon);
    }
    const bool hasComment = !spans.empty() && spans.back().kind == K::Comment;
    ASSERT_EQ(hasComment, semicolon < line.size());
    if (hasComment) {
      ASSERT_EQ(static_cast<std::size_t>(spans.back().start), semicolon);
    }
    // The preprocessor ignores what the comment holds.
    Lines code;
    ASSERT_EQ(Preprocessed(line.substr(0, semicolon), code), preprocessed);
    ASSERT_EQ(code, out);

    std::vector<std::string> names;
    std::string mnemonic;
    std::size_t codeSpans = 0;
    const SyntaxSpan* text = nullptr;
    const SyntaxSpan* reserved = nullptr;
    const SyntaxSpan* count = nullptr;
    for (const SyntaxSpan& s : spans) {
      const std::string raw = Squeezed(
          line.substr(static_cast<std::size_t>(s.start), static_cast<std::size_t>(s.length)));
      codeSpans += s.kind != K::Comment ? 1 : 0;
      if (s.kind == K::LabelDefinition || s.kind == K::ConstantDefinition) names.push_back(raw);
      if (s.kind == K::Mnemonic) mnemonic = raw;
      if (s.kind == K::Text && mnemonic == "DS") text = &s;
      if (s.kind == K::ReservedWords) reserved = &s;
      if (s.kind == K::Number && reserved != nullptr) count = &s;
    }
    if (!preprocessed) {
      ASSERT_EQ(codeSpans, 0u);
      return;
    }
    std::vector<std::string> outNames;
    std::vector<std::string> statements;
    for (const std::string& o : out) {
      const bool name = !o.empty() && (o.back() == ':' || o.back() == '=');
      if (name && o.rfind("LEN(", 0) != 0) outNames.push_back(Squeezed(o));
      if (!name) statements.push_back(o);
    }
    // A line shows colour only if it compiles past its operation; one that fails on an
    // unknown operation shows none.
    const std::string fault = CompileFault(line);
    const bool hasCode = line.find_first_not_of(' ') < semicolon;
    if (hasCode && codeSpans == 0) {
      ASSERT_FALSE(fault.empty());
    }
    if (fault.rfind(Message(Language::English, MsgUnknownOperation), 0) == 0) {
      ASSERT_EQ(codeSpans, 0u);
    }
    if (codeSpans == 0) return;
    // A character constant in a name stands there as its code.
    ASSERT_EQ(names.size(), outNames.size());
    for (std::size_t k = 0; k < names.size(); ++k) {
      if (names[k].find("#'") == std::string::npos) {
        ASSERT_EQ(names[k], outNames[k]);
      } else {
        ASSERT_EQ(names[k].back(), outNames[k].back());
      }
    }
    if (mnemonic == "DS") {
      // The data words hold the string as written, to the comment.
      std::string decoded;
      for (const std::string& word : statements) {
        if (word.rfind("DW ", 0) != 0) continue;  // the value of the length constant
        ASSERT_EQ(word.size(), 8u);
        decoded += static_cast<char>(ParseNumber(word.substr(5, 2) + "H").value);
        decoded += static_cast<char>(ParseNumber(word.substr(3, 2) + "H").value);
      }
      if (text == nullptr) {
        ASSERT_EQ(decoded.find_first_not_of(std::string(" \0", 2)), std::string::npos);
        return;
      }
      const std::string string = line.substr(static_cast<std::size_t>(text->start),
                                             semicolon - static_cast<std::size_t>(text->start));
      ASSERT_EQ(decoded.substr(0, string.size()), string);
      return;
    }
    if (reserved != nullptr) {
      ASSERT_NE(count, nullptr);
      const std::string countText = Squeezed(line.substr(static_cast<std::size_t>(count->start),
                                                         static_cast<std::size_t>(count->length)));
      ASSERT_EQ(statements,
                Lines(static_cast<std::size_t>(ParseNumber(countText).value), "DW AE97H"));
      return;
    }
    ASSERT_LE(statements.size(), 1u);
    if (!mnemonic.empty()) {
      ASSERT_EQ(statements.size(), 1u);
      ASSERT_EQ(statements[0].substr(0, statements[0].find(' ')), mnemonic);
    }
  }

 private:
  static bool Preprocessed(const std::string& line, Lines& out) {
    SourceLineMap map;
    return Preprocess(Lines{line}, out, map, Language::English).Succeeded();
  }

  static std::string CompileFault(const std::string& line) {
    CompileWorkspace workspace;
    const CompileOutcome outcome = CompileSource(
        workspace, Lines{line}, {}, AssemblerOptions{Language::English, true}, nullptr);
    return outcome.succeeded ? std::string() : outcome.status.errCaption;
  }

  // As the preprocessor passes it on: blanks gone, a..z upper-cased.
  static std::string Squeezed(std::string_view text) {
    std::string out;
    for (char c : text) {
      if (c != ' ') out += UpperAscii(c);
    }
    return out;
  }
};

TEST(Tokens, AgreeWithTheTranslatorOnGeneratedAndMutatedLines) {
  // clang-format off
  const std::vector<std::string> seeds = {
      "dsx", "  dsHello", "x: dsab", "RW,3", "hlt;c", "mov r0,r1;c", "ds Hello; world",
      "s2: ds ab;cd ef", "ds \xCF\xF0\xE8\xE2\xE5\xF2;\xEC\xE8\xF0", "mov #';', r2 ; c",
      "\tmov r0,r1", "start: mov #5,r0 ; five", "  out #'A', p.3", "  in p.2, r1%", "C0 = 0FFH",
      "x: rw 3", "a: b: hlt", "  push #-1", "  not (r2)%", "  bne L0", "msg: DS hello, world",
      "  mov #' ',r0", "  jmp #L1", "  dw 1234H", "n=-12 ; c"};
  const std::vector<std::string> parts = {
      "", " ", "  ", "\t", ";", ",", ":", "=", "#", "'", "%", "x", "L0", "d", "s", "ds", "DS",
      "rw", "RW", "r1", "(r2)", "p.3", "5", "-3", "0FFH", "#'A'", "#' '", "mov", "hlt", "in",
      "out", "jmp", "bne", "dw", "push", "not", "\xEC\xE8\xF0", "#5", "@"};
  // clang-format on
  std::mt19937 random(41);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  AgainstTheTranslator check;
  for (const std::string& seed : seeds) check.Check(seed);
  for (int round = 0; round < 20000 && !HasFatalFailure(); ++round) {
    std::string line;
    if (round % 2 == 0) {
      for (std::size_t k = 1 + pick(8); k > 0; --k) line += parts[pick(parts.size())];
    } else {
      // A seed with a few bytes changed, put in or taken out.
      line = seeds[pick(seeds.size())];
      for (std::size_t k = 1 + pick(3); k > 0; --k) {
        const std::string& part = parts[pick(parts.size())];
        const std::size_t at = pick(line.size() + 1);
        if (pick(3) == 0 && at < line.size()) {
          line.erase(at, 1);
        } else {
          line.insert(at, part);
        }
      }
    }
    check.Check(line);
  }
}

}  // namespace
}  // namespace q41

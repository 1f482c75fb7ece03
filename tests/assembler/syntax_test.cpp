// Colouring: the kind of every span on a table of lines.

#include "assembler/syntax.hpp"

#include "assembler/mnemonic.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace q41 {
namespace {

using K = SyntaxKind;

// Each span as its text and kind, so that a table row reads like the line.
std::vector<std::pair<std::string, K>> Parts(std::string_view line) {
  std::vector<std::pair<std::string, K>> parts;
  for (const SyntaxSpan& s : SyntaxSpans(line)) {
    parts.emplace_back(std::string(line.substr(static_cast<std::size_t>(s.start),
                                               static_cast<std::size_t>(s.length))),
                       s.kind);
  }
  return parts;
}

TEST(Syntax, KindOfEachSpan) {
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
      {"a: b: hlt", {{"a:", K::LabelDefinition}, {"b:", K::LabelDefinition}, {"hlt", K::Mnemonic}}},
      {"; only a comment", {{"; only a comment", K::Comment}}},
      {"", {}},
      {"   ", {}},
  };
  for (const Row& row : rows) EXPECT_EQ(Parts(row.line), row.parts) << row.line;
}

// Every mnemonic of the table, in either case, is one.
TEST(Syntax, EveryMnemonicOfTheTable) {
  for (const auto& entry : Mnemonics) {
    std::string lower(entry.name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string& name : {std::string(entry.name), lower}) {
      const auto spans = SyntaxSpans("  " + name);
      ASSERT_EQ(spans.size(), 1u) << name;
      EXPECT_EQ(spans[0].kind, name == "RW" ? K::ReservedWords : K::Mnemonic) << name;
    }
  }
}

}  // namespace
}  // namespace q41

// The language service's facts of a block: the first fault's place, the names, the listing.

#include "language/service.hpp"

#include <algorithm>

#include <gtest/gtest.h>

#include "language/queries.hpp"

namespace q41 {
namespace {

const AssemblerOptions English{Language::English, true};

// The text a place marks.
std::string Marked(const SourcePlace& p, const Lines& source, const Lines& glob) {
  if (p.line == 0) return "(no line)";
  const std::string& line = (p.inGlobal ? glob : source)[static_cast<std::size_t>(p.line - 1)];
  return (p.inGlobal ? "GLOBAL " : "") + std::to_string(p.line) + ": " +
         line.substr(static_cast<std::size_t>(p.start), static_cast<std::size_t>(p.length));
}

// The first fault's line and the text the mark covers, by the stage that finds it.
TEST(Service, FirstFaultMarksTheOffendingText) {
  struct Row {
    Lines source;
    Lines glob;
    std::string marked;
  };
  const std::vector<Row> rows = {
      {{"  hlt", "\tmov r0,r1 ; tab"}, {}, "2: \tmov"},
      {{"  mov r0, nowhere ; c"}, {}, "1: nowhere"},
      {{"start: hlt", "  frob r1"}, {}, "2: frob"},
      {{"  mov #'ab', r0"}, {}, "1: #'ab'"},
      {{"9x: hlt"}, {}, "1: 9x:"},
      {{"  hlt"}, {"A = 1", "  b = zz"}, "GLOBAL 2: zz"},
      {{"  rw 40000"}, {}, "1: 40000"},
  };
  for (const Row& row : rows) {
    const BlockFacts facts = ReadBlock(row.source, row.glob, English);
    ASSERT_TRUE(facts.fault.has_value()) << row.marked;
    EXPECT_EQ(Marked(facts.fault->place, row.source, row.glob), row.marked)
        << facts.fault->errCaption;
  }
  EXPECT_FALSE(ReadBlock(Lines{"  hlt"}, {}, English).fault.has_value());
}

TEST(Service, NamesWithDefinitionsUsesAndValues) {
  const Lines glob = {"  Port = 3"};
  const Lines source = {"start: mov #Five, r0", "Five = 5",   "  bne start",
                        "  out r0, p.2",        "msg: ds hi", "  hlt"};
  const BlockFacts facts = ReadBlock(source, glob, English);
  ASSERT_TRUE(facts.compiled);
  auto find = [&](const std::string& name) {
    for (const NameFacts& n : facts.names) {
      if (n.name == name) return n;
    }
    return NameFacts{};
  };
  const NameFacts start = find("START");
  EXPECT_EQ(Marked(start.definition, source, glob), "1: start");
  ASSERT_EQ(start.uses.size(), 1u);
  EXPECT_EQ(Marked(start.uses[0], source, glob), "3: start");
  EXPECT_EQ(start.value, "0000");
  const NameFacts five = find("FIVE");
  EXPECT_EQ(five.kind, SyntaxKind::ConstantDefinition);
  EXPECT_EQ(Marked(five.definition, source, glob), "2: Five");
  EXPECT_EQ(Marked(five.uses.at(0), source, glob), "1: Five");
  EXPECT_EQ(five.value, "0005");
  EXPECT_EQ(Marked(find("PORT").definition, source, glob), "GLOBAL 1: Port");
  EXPECT_EQ(find("PORT").value, "0003");
  EXPECT_EQ(Marked(find("MSG").definition, source, glob), "5: msg");
}

// Rows carry their line as a number: past 99,999, where the printed column is full, too.
TEST(Service, ListingRowsKeepTheLineNumber) {
  Lines source(100'002, "");
  source[100'000] = "  mov #1234h, (r1)";
  source[100'001] = "  ds abcdefghij";
  std::vector<std::int32_t> wordSourceLine = {100'001, 100'001, 100'002, 100'002,
                                              100'002, 100'002, 100'002};
  const Lines code(wordSourceLine.size(), "0000");
  const std::vector<ListingRow> rows = ListingRows(source.size(), code.size(), wordSourceLine);
  ASSERT_EQ(rows.size(), 100'003u);
  EXPECT_EQ(rows[100'000].sourceLine, 100'001);
  EXPECT_EQ(rows[100'001].sourceLine, 100'002);
  EXPECT_EQ(rows[100'002].sourceLine, 100'002);
  EXPECT_TRUE(rows[100'002].continuation);
  EXPECT_EQ(rows[100'002].firstWord, 6u);
  EXPECT_EQ(ListingRowText(rows[100'000], source, code),
            "100001 0000 0000 0000              mov #1234h, (r1)");
}

// Where the operation goes only operations are offered, among the operands only registers
// and names, in a comment nothing.
TEST(Service, CompletionOffersWhatMayStandWhereTheWordIs) {
  const BlockFacts facts = ReadBlock(Lines{"LOOP: NOP", "  HLT"}, {"LIMIT=20"}, English);
  const struct {
    const char* line;
    CompletionPlace place;
  } table[] = {
      {"  mo", CompletionPlace::Operation},      {"L1:  jm", CompletionPlace::Operation},
      {"J", CompletionPlace::Operation},         {"  mov #L", CompletionPlace::Operand},
      {"  mov r0, r", CompletionPlace::Operand}, {"X = L", CompletionPlace::Operand},
      {"  dw L", CompletionPlace::Operand},      {"  hlt ; mo", CompletionPlace::Comment},
  };
  for (const auto& row : table) {
    const std::string line = row.line;
    const int column = static_cast<int>(line.size());
    EXPECT_EQ(CompletionPlaceAt(line, column), row.place) << line;
    const auto offered =
        CompletionsFor(facts, WordBefore(line, column), row.place, Language::English);
    const auto operations = std::count_if(offered.begin(), offered.end(), [](const Completion& c) {
      return c.kind == CompletionKind::Mnemonic;
    });
    EXPECT_EQ(operations == 0, row.place != CompletionPlace::Operation) << line;
    EXPECT_EQ(offered.empty(), row.place == CompletionPlace::Comment) << line;
  }
}

}  // namespace
}  // namespace q41

// The language service's facts of a block: the first fault's place, the names, the listing.

#include "language/service.hpp"

#include <algorithm>

#include <gtest/gtest.h>

#include "common/cp1251.hpp"
#include "language/queries.hpp"
#include "marked.hpp"

namespace q41 {
namespace {

const AssemblerOptions English{Language::English, true};

using test::Marked;

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

// Where the operation goes only operations are offered, among the operands registers and
// names, right after "#" names alone, as a branch's target labels alone, in a comment, a
// port, a number, a string or an operand too many nothing; asked with no word begun, all
// that may stand there.
TEST(Service, CompletionOffersWhatMayStandWhereTheWordIs) {
  const BlockFacts facts = ReadBlock(Lines{"LOOP: NOP", "  HLT"}, {"LIMIT=20"}, English);
  const struct {
    const char* line;
    CompletionPlace place;
    bool operations, registers, names;
  } table[] = {
      {"  mo", CompletionPlace::Operation, true, false, false},
      {"L1:  jm", CompletionPlace::Operation, true, false, false},
      {"J", CompletionPlace::Operation, true, false, false},
      {"  ", CompletionPlace::Operation, true, false, false},
      {"  mov #L", CompletionPlace::Value, false, false, true},
      {"  mov #", CompletionPlace::Value, false, false, true},
      {"  mov r0, #", CompletionPlace::Value, false, false, true},
      {"  mov ", CompletionPlace::Operand, false, true, true},
      {"  mov r0, r", CompletionPlace::Operand, false, true, false},
      {"X = L", CompletionPlace::Nothing, false, false, false},
      {"  dw L", CompletionPlace::Nothing, false, false, false},
      {"  bne L", CompletionPlace::Label, false, false, true},
      {"  bne #", CompletionPlace::Nothing, false, false, false},
      {"  out r0, p", CompletionPlace::Nothing, false, false, false},
      {"  in p.1, r", CompletionPlace::Operand, false, true, false},
      {"  hlt r", CompletionPlace::Nothing, false, false, false},
      {"  mov r0, r1, r", CompletionPlace::Nothing, false, false, false},
      {"X: ds L", CompletionPlace::Nothing, false, false, false},
      {"  hlt ; mo", CompletionPlace::Comment, false, false, false},
      {"  hlt ; #", CompletionPlace::Comment, false, false, false},
  };
  for (const auto& row : table) {
    const std::string line = row.line;
    const int column = static_cast<int>(line.size());
    EXPECT_EQ(CompletionPlaceAt(line, column), row.place) << line;
    const auto offered =
        CompletionsFor(facts, WordBefore(line, column), row.place, Language::English);
    const auto count = [&offered](CompletionKind kind) {
      return std::count_if(offered.begin(), offered.end(),
                           [kind](const Completion& c) { return c.kind == kind; });
    };
    EXPECT_EQ(count(CompletionKind::Mnemonic) > 0, row.operations) << line;
    EXPECT_EQ(count(CompletionKind::Register) > 0, row.registers) << line;
    EXPECT_EQ(count(CompletionKind::Label) + count(CompletionKind::Constant) > 0, row.names)
        << line;
  }
}

// However many names match, the first `limit` of them are told in full and the rest only
// counted; the block's own names come before GLOBAL's.
TEST(Service, CompletionShowsTheFirstWordsAndCountsTheRest) {
  Lines glob = {";Global"};
  Lines source;
  for (int k = 0; k < 3000; ++k) glob.push_back("G" + std::to_string(k) + "=" + std::to_string(k));
  for (int k = 0; k < 300; ++k) source.push_back("G" + std::to_string(k) + "X: NOP");
  const BlockFacts facts = ReadBlock(source, glob, English);
  for (const char* prefix : {"", "g", "G1", "G12", "G299", "G2999", "Z"}) {
    const std::vector<Completion> all =
        CompletionsFor(facts, prefix, CompletionPlace::Operand, Language::English);
    const auto firstGlobal = std::find_if(all.begin(), all.end(), [](const Completion& c) {
      return c.kind == CompletionKind::Constant;
    });
    EXPECT_TRUE(std::none_of(firstGlobal, all.end(), [](const Completion& c) {
      return c.kind != CompletionKind::Constant;
    })) << prefix;
    for (const std::size_t limit : {0, 1, 7, 200, 5000}) {
      const CompletionList shown =
          CompletionsFor(facts, prefix, CompletionPlace::Operand, Language::English, limit);
      const std::size_t count = std::min(limit, all.size());
      ASSERT_EQ(shown.words.size(), count) << prefix << " " << limit;
      EXPECT_EQ(shown.more, all.size() - count) << prefix << " " << limit;
      for (std::size_t k = 0; k < count; ++k) {
        EXPECT_EQ(shown.words[k].word, all[k].word);
        EXPECT_EQ(shown.words[k].detail, all[k].detail);
      }
    }
  }
}

// What a name is and where it is defined, in a line: a GLOBAL name as a constant defined in
// GLOBAL (its line told only as the file's, where an editor shows the file), a block's as
// defined on its line; in both languages.
TEST(Service, CompletionTellsWhatANameIsAndWhereItIsDefined) {
  const Lines source = {"LOOP: NOP", "K = 7", "  HLT"};
  const BlockFacts facts = ReadBlock(source, {";Global", "LIMIT = 5"}, English);
  // A GLOBAL value the label table cannot read ends the compile there.
  const BlockFacts unread = ReadBlock(source, {"BAD=12Z"}, English);
  const FileLineOf fileLine = [](const SourcePlace& p) -> std::optional<std::int32_t> {
    return p.line + (p.inGlobal ? 10 : 20);
  };
  const struct {
    const BlockFacts& facts;
    const char* word;
    Language language;
    bool inFile;
    const char* detail;  // UTF-8
  } table[] = {
      {facts, "LIMIT", Language::English, false, "constant, value 0005H; defined in GLOBAL"},
      {facts, "LIMIT", Language::English, true, "constant, value 0005H; defined on line 12"},
      {facts, "LIMIT", Language::Russian, false, "константа, значение 0005H; определена в GLOBAL"},
      {facts, "LOOP", Language::English, false, "label, address 0000H; defined on line 1"},
      {facts, "LOOP", Language::Russian, true, "метка, адрес 0000H; определена в строке 21"},
      {facts, "K", Language::English, false, "constant, value 0007H; defined on line 2"},
      {unread, "BAD", Language::English, false, "constant, value ????; defined in GLOBAL"},
      {unread, "LOOP", Language::English, false, "label; defined on line 1"},
  };
  for (const auto& row : table) {
    const std::vector<Completion> offered = CompletionsFor(
        row.facts, row.word, CompletionPlace::Value, row.language, row.inFile ? fileLine : nullptr);
    ASSERT_FALSE(offered.empty()) << row.word;
    EXPECT_EQ(Cp1251ToUtf8(offered.front().detail), row.detail);
  }
  // A name nothing defines has no kind to tell.
  const BlockFacts undefined = ReadBlock(Lines{"  JMP NOWHERE"}, {}, English);
  ASSERT_EQ(undefined.names.size(), 1u);
  EXPECT_EQ(DescribeName(undefined.names.front(), Language::English), "NOWHERE: name\nnot defined");
}

// A word offered goes on as the user writes it: what was typed as typed, the rest in the
// case of the last letter typed.
TEST(Service, CompletionGoesOnInTheCaseTyped) {
  const struct {
    const char *word, *typed, *shown;
  } table[] = {{"MOV", "mo", "mov"},   {"MOV", "MO", "MOV"},           {"LOOP", "Lo", "Loop"},
               {"LOOP", "lO", "lOOP"}, {"LEN(MSG)", "le", "len(msg)"}, {"R1", "", "R1"},
               {"G12", "g1", "g12"}};
  for (const auto& row : table) EXPECT_EQ(InTypedCase(row.word, row.typed), row.shown) << row.typed;
}

}  // namespace
}  // namespace q41

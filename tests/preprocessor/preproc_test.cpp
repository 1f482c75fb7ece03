#include "preprocessor/preproc.hpp"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "../support.hpp"

namespace q41 {
namespace {

using test::W;

struct Preprocessed {
  PreprocessResult result;
  Lines text;
  SourceLineMap map;
  std::vector<int> Map() const {
    std::vector<int> out;
    for (std::size_t k = 1; k <= text.size(); ++k) out.push_back(map.Get(static_cast<int>(k)));
    return out;
  }
};

Preprocessed PreprocessLines(const Lines& source, Language language = Language::English) {
  Preprocessed p;
  p.result = Preprocess(source, p.text, p.map, language);
  return p;
}

TEST(Preprocess, WorkedExample) {
  const auto p = PreprocessLines({"X: ds Hi ; greeting", "N = 5", "L1: mov r1, #'a'", "buf: rw 2"});
  EXPECT_TRUE(p.result.Succeeded());
  EXPECT_EQ(p.text, (Lines{"X:", "DW 6948H", "DW 0020H", "LEN(X)=", "3", "N=", "5",
                           "L1:", "MOV R1,#97", "BUF:", "DW AE97H", "DW AE97H"}));
  EXPECT_EQ(p.Map(), (std::vector<int>{1, 1, 1, 1, 1, 2, 2, 3, 3, 4, 4, 4}));
  EXPECT_EQ(p.result.status.lineCaption, "");
  EXPECT_EQ(p.result.status.selection.kind, Selection::Kind::Unchanged);
}

// Each row: source lines and the text for compilation they give, without a fault.
TEST(Preprocess, Transformations) {
  struct Row {
    Lines source;
    Lines text;
  };
  const Row rows[] = {
      {{}, {}},
      {{"; only a comment", "", "   "}, {}},
      {{"DSIZE=4"}, {"DW 5A49H", "DW 3D45H", "DW 0034H"}},  // "DS" needs no blank
      {{"ds ab"}, {"DW 6261H"}},                            // no label: no length
      {{"S: DS abc"}, {"S:", "DW 6261H", "DW 0063H", "LEN(S)=", "3"}},
      {{"E: DS "}, {"E:", "LEN(E)=", "0"}},
      {{"E: DS"}, {"E:", "DS"}},                             // two characters are not a string
      {{"1X: DS a"}, {"1X:", "DW 0061H", "LEN(1X)=", "1"}},  // a DS label is not checked
      {{"only:"}, {"ONLY:"}},
      {{"mov r1, r2"}, {"MOV R1,R2"}},
      {{"add r1, r2, r3"}, {"ADD R1,R2, R3"}},
      {{"mov\tr1,r2"}, {"MOV\tR1,R2"}},
      {{"  a :  b = 1 "}, {"A:", "B=", "1"}},
      {{"mov #'a',r0 ; c"}, {"MOV #97,R0"}},
      {{"mov #'a',#'b'"}, {"MOV #97,#'B'"}},  // only the first is replaced
      {{"C = #'A'"}, {"C=", "#65"}},
      {{"mov #' ',r0"}, {"MOV #32,R0"}},
      {{"mov #'\xFF',r0"}, {"MOV #255,R0"}},
      {{"rw 10H"}, Lines(16, "DW AE97H")},
      {{"RW5"}, {"RW5"}},
      {{"a: mov r0%, r1 %"}, {"A:", "MOV R0%,R1 %"}},
      {{":x"}, {":", "X"}},
  };
  for (const auto& row : rows) {
    const auto p = PreprocessLines(row.source);
    EXPECT_TRUE(p.result.Succeeded()) << row.source.front() << ": " << p.result.errorText;
    EXPECT_EQ(p.text, row.text) << (row.source.empty() ? "" : row.source.front());
  }
}

// Each row: one faulty source line (after a good first line), the English diagnostic, the
// LineLab caption and the text for compilation left behind.
TEST(Preprocess, FaultsStopAfterTheFaultyLine) {
  struct Row {
    std::string line;
    std::string error;
    std::string caption;
    Lines text;
  };
  const Row rows[] = {
      {"mov #'a,r0", "Invalid value: #'a,r", "2: mov #'a,r0", {"MOV #'A,R0"}},
      {"mov #';',r0", "Invalid value: #'", "2: mov #'", {"MOV #'"}},
      {"a b: nop", "Incorrect symbol in identifier: A B:", "2: A B:NOP", {"A B:NOP"}},
      {"1a: nop", "Identifier begins from figure or \"-\": 1A:", "2: 1A:NOP", {"1A:NOP"}},
      {"-a b=1", "Identifier begins from figure or \"-\": -A B=", "2: -A B=1", {"-A B=1"}},
      {"x: 2y=3", "Identifier begins from figure or \"-\": 2Y=", "2: X:2Y=3", {"X:", "2Y=3"}},
      {"rw 0", "Invalid value: 0", "2: RW 0", {"0"}},
      {"rw 1x", "Incorrect symbol in number 1X", "2: RW 1X", {"1X"}},
      {"rw 40000", "Too large const: 40000", "2: RW 40000", {"40000"}},
      {"rw 4294967295", "Too large const: 4294967295", "2: RW 4294967295", {"4294967295"}},
      {"a b: ds xy",
       "Incorrect symbol in identifier: LEN(A B)=",
       "2: LEN(A B)=2",
       {"A B:", "DW 7978H", "LEN(A B)=2"}},
      // Two faults on one line: the later stage's report stands.
      {"1a: mov #'x",
       "Identifier begins from figure or \"-\": 1A:",
       "2: 1A:MOV #'X",
       {"1A:MOV #'X"}},
  };
  for (const auto& row : rows) {
    const auto p = PreprocessLines({"nop", row.line, "hlt"});
    Lines text = {"NOP"};
    text.insert(text.end(), row.text.begin(), row.text.end());
    EXPECT_EQ(p.result.errorText, row.error) << row.line;
    EXPECT_EQ(p.result.status.errCaption, row.error) << row.line;
    EXPECT_EQ(p.result.status.lineCaption, row.caption) << row.line;
    EXPECT_EQ(p.text, text) << row.line;
    EXPECT_EQ(p.result.status.selection.kind, Selection::Kind::Line);
    EXPECT_EQ(p.result.status.selection.row, 1);
    EXPECT_EQ(p.result.status.selection.length, static_cast<int>(row.line.size()));
  }
}

// All "RW " blocks of a block together fill at most the 64 KB address space.
TEST(Preprocess, ReservedWordsFitTheAddressSpace) {
  auto p = PreprocessLines({"rw 32768"});
  EXPECT_TRUE(p.result.Succeeded());
  EXPECT_EQ(p.text.size(), 32768u);
  p = PreprocessLines({"a: rw 16384", "b: rw 16384", "c: rw 1", "rw 1"});
  EXPECT_EQ(p.result.errorText, "Too large const: 1");
  EXPECT_EQ(p.result.status.lineCaption, "3: RW 1");
  EXPECT_EQ(p.text.size(), 32768u + 4);  // two labels, then C: and the count text
  p = PreprocessLines(Lines(100000, "rw 32768"));
  EXPECT_EQ(p.result.status.lineCaption, "2: RW 32768");
}

TEST(Preprocess, RussianDiagnostics) {
  auto p = PreprocessLines({"rw 0"}, Language::Russian);
  EXPECT_EQ(p.result.errorText, W("Недопустимое значение: 0"));
  p = PreprocessLines({"rw 1x"}, Language::Russian);
  EXPECT_EQ(p.result.errorText, W("Недопустимый символ в числе 1X"));
  p = PreprocessLines({"a,b: nop"}, Language::Russian);
  EXPECT_EQ(p.result.errorText, W("Недопустимый символ в идентификаторе: A,B:"));
  EXPECT_EQ(p.result.status.lineCaption, "1: A,B:NOP");
}

TEST(Preprocess, LineNumbersHaveNoLeadingZeros) {
  Lines source(9, "nop");
  source.push_back("rw 0");
  const auto p = PreprocessLines(source);
  EXPECT_EQ(p.result.status.lineCaption, "10: RW 0");
}

// Reading skips a run of blanks eight bytes at a time: a run of any length, starting and
// ending anywhere within those stretches, reads as one blank would.
TEST(Preprocess, ARunOfBlanksReadsAsOne) {
  const char* const words[] = {"l1:", "mov", "r1,", "r2", "=", "5", ",", "%", ";c", "\t", "x"};
  std::mt19937 rng(41);
  auto pick = [&rng](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  for (int round = 0; round < 3000; ++round) {
    std::string spaced;
    std::string single;
    for (std::size_t w = pick(6); w > 0; --w) {
      const std::size_t blanks = pick(20);
      spaced += std::string(blanks, ' ');
      single += blanks > 0 ? " " : "";
      const char* word = words[pick(std::size(words))];
      spaced += word;
      single += word;
    }
    const std::size_t trailing = pick(20);
    spaced += std::string(trailing, ' ');
    single += trailing > 0 ? " " : "";
    const auto a = PreprocessLines({spaced});
    const auto b = PreprocessLines({single});
    ASSERT_EQ(a.text, b.text) << '"' << spaced << '"';
    ASSERT_EQ(a.result.errorText, b.result.errorText) << '"' << spaced << '"';
  }
}

TEST(Preprocess, AnyBytesAndHugeInputsAreSafe) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (const std::string& line : {all, std::string(100000, 'a'), std::string("\0\0#'", 4),
                                  std::string("#'"), std::string(100000, ' ') + "rw 3"}) {
    const auto p = PreprocessLines({line});
    if (!p.result.Succeeded()) {
      EXPECT_EQ(p.result.status.selection.length, static_cast<int>(line.size()));
    }
  }
  const auto p = PreprocessLines(Lines(1000000, "x: ds ab"));
  EXPECT_TRUE(p.result.Succeeded());
  EXPECT_EQ(p.text.size(), 4000000u);
  EXPECT_EQ(p.map.Get(4000000), 1000000);
}

}  // namespace
}  // namespace q41

// The assembler driver and its three passes.

#include "assembler/compil.hpp"

#include <gtest/gtest.h>

#include "../support.hpp"

namespace q41 {
namespace {

using test::AssembleText;

std::vector<std::string> Rows(const LabelTable& labels) {
  std::vector<std::string> rows;
  for (int r = 1; r <= labels.LabelCount(); ++r) {
    rows.push_back(labels.Row(r).name + " " + std::string(labels.Row(r).Kind()) + " " +
                   std::string(labels.Row(r).Value()));
  }
  return rows;
}

TEST(Assemble, WorkedExample) {
  const auto a = AssembleText(
      {"N=", "5", "START:", "MOV #N,R0", "LOOP:", "SUB #1,R0", "BNE LOOP", "HLT"}, test::English);
  EXPECT_TRUE(a.result.Succeeded());
  EXPECT_EQ(a.Code(), "01D0 0005 2310 4DFC AF18");
  EXPECT_EQ(Rows(a.labels), (std::vector<std::string>{"N = 0005", "START : 0000", "LOOP : 0004"}));
  EXPECT_EQ(a.compText, (Lines{"START:", "MOV #N,R0", "LOOP:", "SUB #1,R0", "BNE LOOP", "HLT"}));
  EXPECT_EQ(a.result.status.lineCaption, "Successful compilation");
  EXPECT_EQ(a.result.status.errCaption, "");
  EXPECT_EQ(a.result.status.selection.kind, Selection::Kind::Clear);
  EXPECT_TRUE(a.warnings.empty());
}

TEST(Assemble, EmptyTextWarnsAboutTheMissingHalt) {
  const auto a = AssembleText({}, test::English, {"A=1"});
  EXPECT_TRUE(a.result.Succeeded());
  EXPECT_TRUE(a.result.code.empty());
  EXPECT_EQ(Rows(a.labels), std::vector<std::string>{"A G 0001"});
  EXPECT_EQ(a.warnings, std::vector<std::string>{"No HLT command!"});
  const auto russian = AssembleText({"HLT"});
  EXPECT_EQ(russian.result.status.lineCaption, test::W("Успешная компиляция"));
  EXPECT_TRUE(russian.warnings.empty());
}

TEST(Assemble, LabelAddressesCountBytes) {
  const auto a =
      AssembleText({"FIRST:", "MOV #300,R0", "NOP", "LATER:", "N=", "7", "AFTER:", "HLT"});
  EXPECT_EQ(Rows(a.labels),
            (std::vector<std::string>{"FIRST : 0000", "LATER : 0006", "N = 0007", "AFTER : 0006"}));
  for (int r = 1; r <= a.labels.LabelCount(); ++r) {
    EXPECT_NE(a.labels.Row(r).Value(), "????");
    if (a.labels.Row(r).kind == ':') {
      EXPECT_EQ(std::stoi(std::string(a.labels.Row(r).Value()), nullptr, 16) % 2, 0);
    }
  }
}

// Branch displacements count from the word after the branch: -128 to 126 bytes.
TEST(Assemble, BranchDisplacementBounds) {
  auto forward = [](int nops) {
    Lines text = {"BR L"};
    text.insert(text.end(), static_cast<std::size_t>(nops), "NOP");
    text.push_back("L:");
    return AssembleText(text, test::English);
  };
  auto backward = [](int nops) {
    Lines text = {"L:"};
    text.insert(text.end(), static_cast<std::size_t>(nops), "NOP");
    text.push_back("BR L");
    return AssembleText(text, test::English);
  };
  EXPECT_EQ(forward(0).result.code.front(), "1D00");
  EXPECT_EQ(forward(63).result.code.front(), "1D7E");
  EXPECT_EQ(forward(64).result.errorText, "Too long displacement");
  EXPECT_EQ(backward(0).result.code.back(), "1DFE");
  EXPECT_EQ(backward(63).result.code.back(), "1D80");
  EXPECT_EQ(backward(64).result.errorText, "Too long displacement");
  EXPECT_EQ(backward(64).result.status.lineCaption, "66:  BR L");
}

TEST(Assemble, AFaultKeepsTheWordsSoFar) {
  // Pass 2: the failing line's own words are there too.
  auto a = AssembleText({"NOP", "MOV R0,#5", "HLT"}, test::English);
  EXPECT_EQ(a.Code(), "0000 0100");
  EXPECT_EQ(a.result.status.lineCaption, "2:  MOV R0,#5");
  EXPECT_EQ(a.result.status.errCaption, "Const is forbidden here: #5");
  EXPECT_EQ(a.result.status.selection.kind, Selection::Kind::Line);
  EXPECT_EQ(a.result.status.selection.row, 1);
  EXPECT_EQ(a.result.status.selection.length, 9);
  // An unknown name has no word of its own, not even an empty one.
  a = AssembleText({"NOP", "FOO"}, test::English);
  EXPECT_EQ(a.result.code, (Lines{"0000"}));
  EXPECT_EQ(a.result.wordSourceLine.size(), 1u);
  // Pass 3: the placeholders after the failing branch stay unresolved.
  Lines text = {"BR FAR", "JMP #FAR"};
  text.insert(text.end(), 70, "NOP");
  text.push_back("FAR:");
  a = AssembleText(text, test::English);
  EXPECT_EQ(a.result.code[0], "1D00@FAR");
  EXPECT_EQ(a.result.code[2], "@FAR");
  EXPECT_EQ(a.result.status.lineCaption, "1:  BR FAR");
}

TEST(Assemble, PassOneFaults) {
  struct Row {
    Lines text;
    Lines glob;
    std::string error;
    std::string caption;
  };
  const Row rows[] = {
      {{"A:", "NOP", "A:"}, {";Global"}, "Duplicate label name: A", "3:  A:"},
      {{"N=", "1", "N:"}, {";Global"}, "Duplicate label name: N", "3:  N:"},
      {{"G:"}, {"G=1"}, "Duplicate label name: G", "1:  G:"},
      {{"NOP", "N="}, {";Global"}, "Incorrect symbol in number: ", "2:  N="},
      {{"N=", "5Q"}, {";Global"}, "Incorrect symbol in number: 5Q", "2:  5Q"},
      {{"HLT"}, {"A=1", "junk"}, "\"=\" not found", "GLOBAL: JUNK"},
      {{"HLT"}, {"P = 1z2h"}, "Incorrect symbol in number: Z", "GLOBAL: P=1Z2H"},
  };
  for (const auto& row : rows) {
    const auto a = AssembleText(row.text, test::English, row.glob);
    EXPECT_EQ(a.result.errorText, row.error) << row.text.back();
    EXPECT_EQ(a.result.status.lineCaption, row.caption) << row.text.back();
    EXPECT_TRUE(a.result.code.empty());
  }
  const auto global = AssembleText({"HLT"}, test::English, {"junk"});
  EXPECT_EQ(global.result.status.selection.kind, Selection::Kind::Unchanged);
}

// A fault is shown with the source line the faulty line came from, also after constant
// definitions have left the text and whichever of a line's pieces was being read.
TEST(Assemble, FaultsAreTracedThroughTheLineMap) {
  Lines text = {"X:", "C=", "5", "N=", "1", "MOV R0,R1", "FOO"};
  SourceLineMap map;
  const int sources[] = {1, 1, 1, 2, 2, 3, 4};
  for (int k = 1; k <= 7; ++k) map.Set(static_cast<std::size_t>(k), sources[k - 1]);
  const LineViews source = {"x: c = 5", "n = 1", "mov r0,r1", "foo ; bar"};
  LabelTable labels;
  auto result = Assemble(text, map, {}, source, labels, test::English, nullptr);
  EXPECT_EQ(result.status.lineCaption, "4:  foo ; bar");
  EXPECT_EQ(result.status.selection.row, 3);
  EXPECT_EQ(text, (Lines{"X:", "MOV R0,R1", "FOO"}));
  EXPECT_EQ(map.Get(2), 3);
  EXPECT_EQ(map.Get(3), 4);

  // Assembling the shortened text again meets no constant definitions; the map still fits.
  result = Assemble(text, map, {}, source, labels, test::English, nullptr);
  EXPECT_EQ(result.status.lineCaption, "4:  foo ; bar");

  // A line beyond the map, or a source line that no longer exists: number and nothing else.
  text.push_back("BAD");
  text.erase(text.begin() + 2);
  result = Assemble(text, map, {}, Lines{"x: c = 5"}, labels, test::English, nullptr);
  EXPECT_EQ(result.status.lineCaption, "4:  ");
  EXPECT_EQ(result.status.selection.kind, Selection::Kind::Clear);
  text = Lines(8, "NOP");
  text.push_back("FOO");
  result = Assemble(text, map, {}, Lines{"x: c = 5"}, labels, test::English, nullptr);
  EXPECT_EQ(result.status.lineCaption, "0:  ");
}

// A label line ends at its colon: text after it is refused, never silently dropped, and
// never gives its address to another label.
TEST(Assemble, TextAfterALabelsColonIsAFault) {
  for (const Lines& text : {Lines{"A:", "B: NOP", "HLT"}, Lines{"=:", ":="}}) {
    const auto a = AssembleText(text, test::English);
    EXPECT_EQ(a.result.errorText, "Incorrect symbol in identifier: " + text[1]);
    EXPECT_EQ(a.result.status.lineCaption, "2:  " + text[1]);
  }
}

TEST(Assemble, LabelRowsOfAnEarlierRunStayUntilEmptied) {
  Lines first = {"A:", "B:", "C:", "HLT"};
  SourceLineMap map;
  LabelTable labels;
  Assemble(first, map, {}, Lines{}, labels, {}, nullptr);
  Lines second = {"Z:", "HLT"};
  Assemble(second, map, {}, Lines{}, labels, {}, nullptr);
  EXPECT_EQ(labels.LabelCount(), 1);
  EXPECT_EQ(labels.Row(1).name, "Z");
  EXPECT_EQ(labels.Row(2).name, "B");
  EXPECT_EQ(labels.FindLabel("B"), 0);
}

TEST(Assemble, ManyLabelsAndConstantsAssembleInOneSweep) {
  Lines text;
  for (int k = 0; k < 100000; ++k) {
    const std::string n = std::to_string(k);
    text.push_back("C" + n + "=");
    text.push_back(n == "0" ? "0" : "1");
    text.push_back("L" + n + ":");
  }
  text.push_back("JMP #L99999");
  text.push_back("HLT");
  const auto a = AssembleText(text, test::English);
  ASSERT_TRUE(a.result.Succeeded()) << a.result.errorText;
  EXPECT_EQ(a.labels.LabelCount(), 200000);
  EXPECT_EQ(a.compText.size(), 100002u);
  EXPECT_EQ(a.lineMap.Get(100002), 300002);
}

}  // namespace
}  // namespace q41

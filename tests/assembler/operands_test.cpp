// Operand parsing and instruction encoding, one row per instruction line (with the lines
// that define the labels it names). Short constants are on unless a row says otherwise.

#include <gtest/gtest.h>

#include "../support.hpp"

namespace q41 {
namespace {

using test::AssembleText;

struct EncodeCase {
  Lines text;
  std::string result;  // the code words, or the English diagnostic
  bool shortConst = true;
};

void Check(const EncodeCase& c) {
  AssemblerOptions options = test::English;
  options.useShortConst = c.shortConst;
  const auto a = AssembleText(c.text, options);
  const std::string got = a.result.Succeeded() ? a.Code() : a.result.errorText;
  EXPECT_EQ(got, c.result) << c.text.back();
}

TEST(Encode, TwoOperandGroup) {
  const EncodeCase cases[] = {
      {{"MOV R1,R2"}, "0112"},
      {{"MOV #5,R0"}, "2150"},
      {{"MOV #5,R0"}, "01D0 0005", false},
      {{"MOV #13,R0"}, "21D0"},
      {{"MOV #-1,R0"}, "3110"},
      {{"MOV #-15,R0"}, "31F0"},
      {{"MOV #-16,R0"}, "01D0 FFF0"},
      {{"MOV #16,R0"}, "01D0 0010"},
      {{"MOV #0FFH,(R1)"}, "01D5 00FF"},
      {{"MOV R0%,R1%"}, "C101"},
      {{"MOV R0%,R1"}, "8101"},
      {{"ADD R0%,R1"}, "Mixing byte and word: R0<=>R1"},
      {{"MOV R0,R1%"}, "Mixing byte and word: R0<=>R1"},
      {{"X:", "MOV X,Y", "Y:"}, "01EE 0000 0006"},
      {{"X:", "MOV #X,R0"}, "01D0 0000"},
      {{"X:", "ADD (R2),X"}, "026E 0000"},
      {{"MOV R0,#5"}, "Const is forbidden here: #5"},
      {{"MOV #32768,R0"}, "Too large const: 32768"},
      {{"MOV #-32768,R0"}, "01D0 8000"},
      {{"MOV R0"}, "\",\" not found: R0"},
      {{"MOV R0,R1,R2"}, "Label not found in the list: R1,R2"},
      {{"MOV #,R0"}, "No value after \"#\""},
      {{"MOV #Q,R0"}, "Label not found in the list: Q"},
      {{"MOV #FFH,R0"}, "Label not found in the list: FFH"},
      {{"MOV R0,"}, "Missed operand"},
      {{"MOV %,R0"}, "Missed operand"},
      {{"MOV #-,R0"}, "Incorrect symbol in number: "},
      {{"MOV R0, R1"}, "Label not found in the list:  R1"},
      {{"X:", "ADD X%,R0"}, "Mixing byte and word: @X<=>R0"},
      {{"X:", "MOV X%,R0"}, "81E0 0000"},
      // Both operands fail: the destination's diagnostic stands.
      {{"MOV A,B"}, "Label not found in the list: B"},
  };
  for (const auto& c : cases) Check(c);
}

TEST(Encode, InAndOut) {
  const EncodeCase cases[] = {
      {{"IN P.3,R0"}, "0A30"},
      {{"IN P3,R0"}, "0A30"},
      {{"IN 3,(R2)"}, "0A36"},
      {{"OUT R1,P.15"}, "0B1F"},
      {{"OUT #5,P.1"}, "2B51"},
      {{"OUT #-2,P.1"}, "3B21"},
      {{"OUT #300,P.1"}, "0BD1 012C"},
      {{"X:", "IN P.2,X"}, "0A2E 0000"},
      {{"IN P.16,R0"}, "Incorrect port: P.16"},
      {{"IN R0,P.1"}, "Incorrect port: R0"},
      {{"IN P.P,R0"}, "Incorrect port: P.P"},
      {{"IN P.-1,R0"}, "Incorrect port: P.-1"},
      {{"IN P.,R0"}, "Missed operand: P."},
      {{"IN ,R0"}, "Missed operand"},
      {{"IN P.1,R0%"}, "Mixing byte and word: 0001<=>R0"},
      {{"OUT R0%,P.1"}, "Mixing byte and word: R0<=>0001"},
      {{"IN P.1,#5"}, "Const is forbidden here: #5"},
      {{"IN P.1"}, "\",\" not found: P.1"},
      {{"OUT R0,P"}, "Missed operand: P"},
      // A lone "%" leaves no stale byte flag from an earlier line.
      {{"NOT R1%", "IN P.2,%"}, "Missed operand"},
  };
  for (const auto& c : cases) Check(c);
}

TEST(Encode, JumpsAndBranches) {
  const EncodeCase cases[] = {
      {{"LOOP:", "JMP #LOOP"}, "1C0D 0000"},
      {{"JMP #5"}, "1C0D 0005"},
      {{"JMP #-1"}, "1C0D FFFF"},
      {{"LOOP:", "NOP", "JMP LOOP"}, "0000 1C0E 0000"},
      {{"CALL (R1)"}, "9C05"},
      {{"JGE R2"}, "2C02"},
      {{"RET"}, "0C00"},
      {{"RET R0"}, "Extra operand: R0"},
      {{"JMP"}, "Missed operand"},
      {{"L:", "BR L"}, "1DFE"},
      {{"BNE L", "L:"}, "4D00"},
      {{"BR #LOOP"}, "Label not found in the list: #LOOP"},
      {{"L:", "BR L%"}, "Label not found in the list: L%"},
      {{"BRET"}, "0D00"},
      {{"BCALL F", "NOP", "F:"}, "9D02 0000"},
  };
  for (const auto& c : cases) Check(c);
}

TEST(Encode, OneOperandGroupAndNoOperand) {
  const EncodeCase cases[] = {
      {{"PUSH #5"}, "0E2D 0005"},
      {{"PUSH #-1"}, "0E2D FFFF"},
      {{"ADDSP #300"}, "0E4D 012C"},
      {{"PUSH R0%"}, "Byte addressing is forbidden here"},
      {{"NOT R1%"}, "CE11"},
      {{"SL (R0)"}, "0EA4"},
      {{"X:", "ASR X%"}, "CECE 0000"},
      {{"POP #1"}, "Const is forbidden here: #1"},
      {{"NOT #1"}, "Const is forbidden here: #1"},
      {{"PUSH"}, "Missed operand"},
      {{"PUSH %"}, "Missed operand"},
      {{"PAGE0"}, "0E00"},
      {{"MYPAGE"}, "0E01"},
      {{"PUSHPS R1"}, "Extra operand: R1"},
      {{"NOP"}, "0000"},
      {{"NOP R0"}, "Extra operand: R0"},
      {{"HLT"}, "AF18"},
      {{"HLT 1"}, "Extra operand: 1"},
      {{"LEN(MSG)=", "3", "PUSH #LEN(MSG)"}, "0E2D 0003"},
  };
  for (const auto& c : cases) Check(c);
}

TEST(Encode, DataWords) {
  const EncodeCase cases[] = {
      {{"DW #-1"}, "FFFF"},
      {{"DW 1234H"}, "1234"},
      {{"DW 00001234H"}, "1234"},
      {{"DW 12345H"}, "Too large const: 12345"},
      {{"DW"}, "Incorrect symbol in number: "},
      {{"DW 'A'"}, "Incorrect symbol in number: 'A'"},
      {{"MOVE R0,R1"}, "Unknown operation name: MOVE"},
      {{""}, "Unknown operation name: "},
  };
  for (const auto& c : cases) Check(c);
}

TEST(Encode, OperandWarningAsksAboutBareNames) {
  struct Row {
    Lines text;
    std::vector<std::string> warnings;
  };
  const Row rows[] = {
      {{"N=", "5", "MOV N,R0", "HLT"}, {"MOV N,R0:\nN\nor #N?"}},
      {{"@N=", "5", "MOV @N,R0", "HLT"}, {}},
      {{"L:", "JMP L", "CALL L", "MOV L,R0", "HLT"}, {"JMP L:\nL\nor #L?", "CALL L:\nL\nor #L?"}},
      {{"JMP #5"}, {"No HLT command!"}},
  };
  for (const auto& row : rows) {
    const auto a = AssembleText(row.text, test::English, {"G=1"});
    EXPECT_TRUE(a.result.Succeeded()) << a.result.errorText;
    EXPECT_EQ(a.warnings, row.warnings) << row.text.front();
  }
  const auto a = AssembleText({"N=", "5", "MOV N,R0", "HLT"});
  EXPECT_EQ(a.Code(), "01E0 0005 AF18");
}

TEST(Encode, RussianDiagnostics) {
  const auto a = AssembleText({"IN P.1,R0%"});
  EXPECT_EQ(a.result.errorText, test::W("Смешение byte and word: 0001<=>R0"));
  const auto b = AssembleText({"PUSH R0%"});
  EXPECT_EQ(b.result.errorText, test::W("Байтовая адресация здесь запрещена"));
}

}  // namespace
}  // namespace q41

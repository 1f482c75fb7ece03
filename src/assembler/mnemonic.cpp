#include "assembler/mnemonic.hpp"

namespace q41 {
namespace {

// Character 3 of a group E template is the operation.
constexpr bool OperationIn(std::string_view templ, std::string_view operations) {
  return operations.find(templ[2]) != std::string_view::npos;
}

// The one place that reads the group from a template. A jump or a branch with condition 0
// (RET, BRET), and operations 0, 8 and 9 of group E (PAGE0, PUSHPS, POPPS), take no operand.
constexpr MnemonicEntry Describe(std::string_view name, std::string_view templ) {
  MnemonicEntry m{name, templ};
  switch (templ[1]) {
    case '0':
      m.form = OperandForm::None;
      break;
    case 'F':
      m.form = OperandForm::None;
      m.halts = true;
      break;
    case 'W':
      m.form = OperandForm::Value;
      break;
    case 'A':
      m.form = OperandForm::PortDestination;
      break;
    case 'B':
      m.form = OperandForm::SourcePort;
      break;
    case 'C':
      m.form = templ[0] == '0' ? OperandForm::None : OperandForm::Jump;
      break;
    case 'D':
      m.form = templ[0] == '0' ? OperandForm::None : OperandForm::Branch;
      break;
    case 'E':
      m.form = OperationIn(templ, "089") ? OperandForm::None : OperandForm::One;
      m.takesConstant = OperationIn(templ, "2456");
      m.takesByte = OperationIn(templ, "1ABC");
      break;
    default:
      m.form = OperandForm::SourceDestination;
      m.movesByteIntoWord = templ[1] == '1';
      break;
  }
  return m;
}

}  // namespace

// Sized by the rows written, so that a row more or less than MnemonicCount fails to build.
const std::array<MnemonicEntry, MnemonicCount> Mnemonics = std::to_array<MnemonicEntry>({
    Describe("NOP", "0000"),   Describe("MOV", "0100"),   Describe("ADD", "0200"),
    Describe("SUB", "0300"),   Describe("CMP", "0400"),   Describe("MUL", "0500"),
    Describe("DIV", "0600"),   Describe("AND", "0700"),   Describe("OR", "0800"),
    Describe("XOR", "0900"),   Describe("IN", "0A00"),    Describe("OUT", "0B00"),
    Describe("HLT", "AF18"),   Describe("RET", "0C00"),   Describe("JMP", "1C00"),
    Describe("JGE", "2C00"),   Describe("JL", "3C00"),    Describe("JNE", "4C00"),
    Describe("JE", "5C00"),    Describe("JLE", "6C00"),   Describe("JG", "7C00"),
    Describe("CALL", "9C00"),  Describe("BRET", "0D00"),  Describe("BR", "1D00"),
    Describe("BGE", "2D00"),   Describe("BL", "3D00"),    Describe("BNE", "4D00"),
    Describe("BE", "5D00"),    Describe("BLE", "6D00"),   Describe("BG", "7D00"),
    Describe("BCALL", "9D00"), Describe("PAGE0", "0E00"), Describe("MYPAGE", "0E01"),
    Describe("DW", "0W"),      Describe("NOT", "0E10"),   Describe("PUSH", "0E20"),
    Describe("POP", "0E30"),   Describe("ADDSP", "0E40"), Describe("SUBSP", "0E50"),
    Describe("TOSP", "0E60"),  Describe("FRMSP", "0E70"), Describe("PUSHPS", "0E80"),
    Describe("POPPS", "0E90"), Describe("SL", "0EA0"),    Describe("SR", "0EB0"),
    Describe("ASR", "0EC0"),
});

const std::array<RegisterEntry, 8> RegisterCodes = {{
    {"R0", '0'},
    {"R1", '1'},
    {"R2", '2'},
    {"R3", '3'},
    {"(R0)", '4'},
    {"(R1)", '5'},
    {"(R2)", '6'},
    {"(R3)", '7'},
}};

namespace {

// Names are a few letters: the length and the first letter rule out nearly every entry
// before a comparison of the whole name is worth its call.
bool SameName(std::string_view entry, std::string_view name) {
  return entry.size() == name.size() && !name.empty() && entry.front() == name.front() &&
         entry == name;
}

}  // namespace

const MnemonicEntry* LookupMnemonic(std::string_view name) {
  for (const auto& entry : Mnemonics) {
    if (SameName(entry.name, name)) return &entry;
  }
  return nullptr;
}

std::optional<char> LookupRegister(std::string_view operand) {
  for (const auto& entry : RegisterCodes) {
    if (SameName(entry.name, operand)) return entry.code;
  }
  return std::nullopt;
}

}  // namespace q41

#include "assembler/mnemonic.hpp"

namespace q41 {

const std::array<MnemonicEntry, MnemonicCount> Mnemonics = {{
    {"NOP", "0000"},   {"MOV", "0100"},    {"ADD", "0200"},    {"SUB", "0300"},   {"CMP", "0400"},
    {"MUL", "0500"},   {"DIV", "0600"},    {"AND", "0700"},    {"OR", "0800"},    {"XOR", "0900"},
    {"IN", "0A00"},    {"OUT", "0B00"},    {"HLT", "AF18"},    {"RET", "0C00"},   {"JMP", "1C00"},
    {"JGE", "2C00"},   {"JL", "3C00"},     {"JNE", "4C00"},    {"JE", "5C00"},    {"JLE", "6C00"},
    {"JG", "7C00"},    {"CALL", "9C00"},   {"BRET", "0D00"},   {"BR", "1D00"},    {"BGE", "2D00"},
    {"BL", "3D00"},    {"BNE", "4D00"},    {"BE", "5D00"},     {"BLE", "6D00"},   {"BG", "7D00"},
    {"BCALL", "9D00"}, {"PAGE0", "0E00"},  {"MYPAGE", "0E01"}, {"DW", "0W"},      {"NOT", "0E10"},
    {"PUSH", "0E20"},  {"POP", "0E30"},    {"ADDSP", "0E40"},  {"SUBSP", "0E50"}, {"TOSP", "0E60"},
    {"FRMSP", "0E70"}, {"PUSHPS", "0E80"}, {"POPPS", "0E90"},  {"SL", "0EA0"},    {"SR", "0EB0"},
    {"ASR", "0EC0"},
}};

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

std::string_view LookupMnemonic(std::string_view name) {
  for (const auto& entry : Mnemonics) {
    if (SameName(entry.name, name)) return entry.templ;
  }
  return {};
}

namespace {

// Character 3 of a group E template: the operation.
bool OperationIn(std::string_view templ, std::string_view operations) {
  return templ.size() > 2 && templ[1] == 'E' && operations.find(templ[2]) != std::string_view::npos;
}

}  // namespace

bool TakesNoOperand(std::string_view templ) {
  switch (templ.size() > 1 ? templ[1] : '0') {
    case '0':
    case 'F':
      return true;
    case 'C':
    case 'D':
      return templ[0] == '0';
    default:
      return OperationIn(templ, "089");
  }
}

bool TakesConstant(std::string_view templ) {
  return OperationIn(templ, "2456");
}

bool TakesByte(std::string_view templ) {
  return OperationIn(templ, "1ABC");
}

std::optional<char> LookupRegister(std::string_view operand) {
  for (const auto& entry : RegisterCodes) {
    if (SameName(entry.name, operand)) return entry.code;
  }
  return std::nullopt;
}

}  // namespace q41

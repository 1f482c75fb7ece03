#pragma once
// The Q41 instruction set: 46 mnemonics, each with a four-character opcode template, and the
// eight register operands with the one-digit code each stands for in a code word. Both
// tables are constant.
//
// The template's second character is the instruction's group, and the group says how the
// operands are read. That is worked out once, here, into each entry's descriptor: the
// encoder, the instruction reference and the token reader all read the descriptor, so a
// change to how a group reads its operands is made in one place.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace q41 {

// How an instruction reads its operands.
enum class OperandForm : std::uint8_t {
  None,               // NOP, HLT, RET, BRET, PAGE0, MYPAGE, PUSHPS, POPPS
  SourceDestination,  // groups 1 to 9: source, destination
  PortDestination,    // group A (IN): port, destination
  SourcePort,         // group B (OUT): source, port
  Jump,               // group C: the target, any operand
  Branch,             // group D: a label name
  One,                // group E: one operand
  Value,              // DW: one number
};
inline constexpr std::size_t OperandFormCount = 8;

struct MnemonicEntry {
  std::string_view name;
  std::string_view templ;  // "0W" for DW, four hexadecimal digits otherwise
  OperandForm form = OperandForm::None;
  bool halts = false;              // HLT, which a block should hold somewhere
  bool takesConstant = false;      // a "#" operand: PUSH, ADDSP, SUBSP, TOSP of group E
  bool takesByte = false;          // a byte operand: NOT, SL, SR, ASR of group E
  bool movesByteIntoWord = false;  // MOV alone may move a byte into a word
};

inline constexpr std::size_t MnemonicCount = 46;
extern const std::array<MnemonicEntry, MnemonicCount> Mnemonics;

struct RegisterEntry {
  std::string_view name;
  char code;
};
extern const std::array<RegisterEntry, 8> RegisterCodes;

// The mnemonic that equals `name` whole and case-sensitively; null if none.
const MnemonicEntry* LookupMnemonic(std::string_view name);

// The code of the register operand that equals `operand` whole and exactly.
std::optional<char> LookupRegister(std::string_view operand);

}  // namespace q41

#pragma once
// The Q41 instruction set: 46 mnemonics, each with a four-character opcode template whose
// second character selects how the operands are read, and the eight register operands with
// the one-digit code each stands for in a code word. Both tables are constant.

#include <array>
#include <optional>
#include <string_view>

namespace q41 {

struct MnemonicEntry {
  std::string_view name;
  std::string_view templ;  // "0W" for DW, four hexadecimal digits otherwise
};

inline constexpr std::size_t MnemonicCount = 46;
extern const std::array<MnemonicEntry, MnemonicCount> Mnemonics;

struct RegisterEntry {
  std::string_view name;
  char code;
};
extern const std::array<RegisterEntry, 8> RegisterCodes;

// The template of the mnemonic that equals `name` whole and case-sensitively; empty if none.
std::string_view LookupMnemonic(std::string_view name);

// The code of the register operand that equals `operand` whole and exactly.
std::optional<char> LookupRegister(std::string_view operand);

// What a template tells of its operands. None for NOP, HLT, RET, BRET, PAGE0, MYPAGE, PUSHPS
// and POPPS: groups 0 and F, jumps and branches with condition 0, and operations 0, 8 and 9
// of the one-operand group E.
bool TakesNoOperand(std::string_view templ);
// In group E: the operations that take a constant (PUSH, ADDSP, SUBSP, TOSP), and those that
// take a byte operand (NOT, SL, SR, ASR).
bool TakesConstant(std::string_view templ);
bool TakesByte(std::string_view templ);

}  // namespace q41

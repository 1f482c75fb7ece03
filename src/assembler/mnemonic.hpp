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

}  // namespace q41

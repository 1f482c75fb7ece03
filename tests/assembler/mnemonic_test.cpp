#include "assembler/mnemonic.hpp"

#include "common/number_text.hpp"

#include <gtest/gtest.h>

#include <set>

namespace q41 {
namespace {

TEST(Mnemonics, LookupIsWholeAndCaseSensitive) {
  auto templ = [](std::string_view name) {
    const MnemonicEntry* m = LookupMnemonic(name);
    return m != nullptr ? m->templ : std::string_view("none");
  };
  EXPECT_EQ(templ("HLT"), "AF18");
  EXPECT_EQ(templ("BCALL"), "9D00");
  EXPECT_EQ(templ("DW"), "0W");
  EXPECT_EQ(templ("ASR"), "0EC0");
  EXPECT_EQ(templ("mov"), "none");
  EXPECT_EQ(templ("MOVE"), "none");
  EXPECT_EQ(templ(""), "none");
}

TEST(Mnemonics, TableIsWellFormed) {
  std::set<std::string_view> names;
  for (const auto& entry : Mnemonics) {
    names.insert(entry.name);
    if (entry.name == "DW") continue;
    ASSERT_EQ(entry.templ.size(), 4u) << entry.name;
    EXPECT_GE(HexDigitValue(entry.templ[1]), 0) << entry.name;
  }
  EXPECT_EQ(names.size(), MnemonicCount);
  EXPECT_EQ(Mnemonics[0].name, "NOP");
  EXPECT_EQ(Mnemonics[45].name, "ASR");
}

TEST(Registers, EightExactNames) {
  EXPECT_EQ(LookupRegister("R0"), '0');
  EXPECT_EQ(LookupRegister("(R3)"), '7');
  EXPECT_EQ(LookupRegister("R4"), std::nullopt);
  EXPECT_EQ(LookupRegister("R0+"), std::nullopt);
  EXPECT_EQ(LookupRegister("( R1)"), std::nullopt);
  EXPECT_EQ(LookupRegister("r1"), std::nullopt);
}

}  // namespace
}  // namespace q41

#include "assembler/mnemonic.hpp"

#include "common/number_text.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

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

// The lookups hash the name: every name of the tables, and every name one byte away from
// one (shorter, longer, one byte changed, zero bytes included), finds what a walk through
// the table finds.
TEST(Mnemonics, LookupsAgreeWithAWalkThroughTheTables) {
  auto walkMnemonic = [](std::string_view name) -> const MnemonicEntry* {
    for (const auto& entry : Mnemonics) {
      if (entry.name == name) return &entry;
    }
    return nullptr;
  };
  auto walkRegister = [](std::string_view name) -> std::optional<char> {
    for (const auto& entry : RegisterCodes) {
      if (entry.name == name) return entry.code;
    }
    return std::nullopt;
  };
  std::vector<std::string> names;
  for (const auto& entry : Mnemonics) names.emplace_back(entry.name);
  for (const auto& entry : RegisterCodes) names.emplace_back(entry.name);
  names.push_back("ABCDEFGH");
  names.push_back("ABCDEFGHI");
  std::vector<std::string> probes;
  for (const std::string& name : names) {
    probes.push_back(name);
    for (std::size_t k = 0; k <= name.size(); ++k) {
      probes.push_back(name.substr(0, k));
      for (const char c : {'\0', 'A', 'R', '0', ')', '\xFF'}) {
        probes.push_back(name.substr(0, k) + c + name.substr(k));
        if (k < name.size()) probes.push_back(name.substr(0, k) + c + name.substr(k + 1));
      }
    }
  }
  for (const std::string& probe : probes) {
    EXPECT_EQ(LookupMnemonic(probe), walkMnemonic(probe)) << probe;
    EXPECT_EQ(LookupRegister(probe), walkRegister(probe)) << probe;
  }
}

}  // namespace
}  // namespace q41

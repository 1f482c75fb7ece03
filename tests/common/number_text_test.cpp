#include "common/number_text.hpp"

#include <gtest/gtest.h>

#include "../support.hpp"

namespace q41 {
namespace {

// ParseNumber: decimal digits, or hexadecimal with a final upper-case H; no sign, no case.
TEST(ParseNumber, ReadsLiteralsAndRefusesEverythingElse) {
  struct Row {
    std::string text;
    std::int32_t value;
    bool failed;
  };
  const Row rows[] = {
      {"0", 0, false},
      {"007", 7, false},
      {"1F", 0, true},
      {"1FH", 31, false},
      {"H", 0, false},
      {"1AH2", 0, true},
      {"-5", 0, true},
      {"12 ", 0, true},
      {"ffH", 0, true},
      {"12h", 0, true},
      {"AE97H", 44695, false},
      {"", 0, true},  // an empty text is a bad number, never read past its end
      {std::string("1\0", 2), 0, true},
  };
  for (const auto& row : rows) {
    const auto parsed = ParseNumber(row.text);
    EXPECT_EQ(parsed.value, row.value) << row.text;
    EXPECT_EQ(parsed.failed, row.failed) << row.text;
  }
}

TEST(ParseNumber, WrapsModulo2To32) {
  EXPECT_EQ(ParseNumber("4294967296").value, 0);
  EXPECT_EQ(ParseNumber("4294967295").value, -1);
  EXPECT_EQ(ParseNumber("100000000H").value, 0);
  EXPECT_EQ(ParseNumber("FFFFFFFFH").value, -1);
  EXPECT_FALSE(ParseNumber(std::string(1000, '9')).failed);
}

TEST(NumberText, DecimalAndHexWords) {
  EXPECT_EQ(DecimalText(0), "0");
  EXPECT_EQ(DecimalText(1234), "1234");
  EXPECT_EQ(DecimalText(10), "10");
  EXPECT_EQ(HexWordText(0), "0000");
  EXPECT_EQ(HexWordText(10), "000A");
  EXPECT_EQ(HexWordText(255), "00FF");
  EXPECT_EQ(HexWordText(44695), "AE97");
  EXPECT_EQ(HexWordText(65536), "0000");
  EXPECT_EQ(HexWordText(70000), "1170");
}

// Addresses, PPU lists and word counts are padded in place; a longer text stays as it is.
TEST(NumberText, PadsToFourDigits) {
  for (const auto& [in, out] : std::vector<std::pair<std::string, std::string>>{
           {"12", "0012"}, {"", "0000"}, {"12345", "12345"}, {"7", "0007"}}) {
    std::string field = in;
    EXPECT_EQ(&PadToFourDigits(field), &field);
    EXPECT_EQ(field, out);
  }
}

// NormalizeNumber: the 16-bit two's complement, or the diagnostic and the offending text.
TEST(NormalizeNumber, ConvertsOrExplains) {
  struct Row {
    std::string text;
    std::string result;  // the four digits, or the English diagnostic
  };
  const Row rows[] = {
      {"5", "0005"},
      {"-1", "FFFF"},
      {"-32768", "8000"},
      {"32767", "7FFF"},
      {"32768", "Too large const: 32768"},
      {"-32769", "Too large const: 32769"},
      {"-0", "0000"},
      {"0FFH", "00FF"},
      {"00001234H", "1234"},
      {"12345H", "Too large const: 12345"},
      {"H", "0000"},
      {"1G2H", "Incorrect symbol in number: G"},
      {"GZ1H", "Incorrect symbol in number: Z"},  // the last bad character is named
      {"12Z", "Incorrect symbol in number: 12Z"},
      {"-12Z", "Incorrect symbol in number: 12Z"},
      {"12345678901", "Too large const: 12345678901"},
      {"4294967296", "Too large const: 4294967296"},  // wraps to 0, still too large
      {"000000000000000000005", "0005"},
      {"", "Incorrect symbol in number: "},
      {"-", "Incorrect symbol in number: "},
  };
  for (const auto& row : rows) {
    std::string text = row.text;
    std::string error;
    const bool ok = NormalizeNumber(text, Language::English, error);
    EXPECT_EQ(ok ? text : error, row.result) << row.text;
    EXPECT_EQ(ok, error.empty()) << row.text;
  }
}

TEST(NormalizeNumber, SpeaksTheInterfaceLanguage) {
  std::string text = "99999";
  std::string error;
  EXPECT_FALSE(NormalizeNumber(text, Language::Russian, error));
  EXPECT_EQ(error, test::W("Слишком большая константа: 99999"));
  text = "1Q";
  EXPECT_FALSE(NormalizeNumber(text, Language::Russian, error));
  EXPECT_EQ(error, test::W("Недопустимый символ в числе: 1Q"));
}

}  // namespace
}  // namespace q41

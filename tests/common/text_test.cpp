#include "common/text.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "common/cp1251.hpp"
#include "common/line_count.hpp"

namespace q41 {
namespace {

TEST(SplitLines, EveryLineBreakEndsALineAndAFinalOneAddsNone) {
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("\n"), Lines{""});
  EXPECT_EQ(SplitLines("a"), Lines{"a"});
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), Lines{"a"});
  EXPECT_EQ(SplitLines("a\n\r"), (Lines{"a", ""}));
  EXPECT_EQ(SplitLines("a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(SplitLines(std::string("a\0b\n", 4)), Lines{std::string("a\0b", 3)});
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

// The split reads sixteen bytes at a time: breaks at every place within and across those
// stretches (a CR LF split between two of them too), next to tabs, other control bytes and
// bytes above 127, against the plain rule.
TEST(SplitLines, AgreesWithTheByteByByteRuleEverywhere) {
  auto plain = [](std::string_view bytes) {
    Lines lines;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const char c = bytes[i];
      if (c == '\n' || c == '\r') {
        lines.push_back(std::exchange(line, {}));
        open = false;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      } else {
        line += c;
        open = true;
      }
    }
    if (open) lines.push_back(line);
    return lines;
  };
  const char alphabet[] = {'a',    ' ',    '\t',   '\0', '\x0c', '\x0e', '\x7f',
                           '\x80', '\xe0', '\xff', '\r', '\n',   '\r',   '\n'};
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(std::uniform_int_distribution<int>(0, 70)(rng), 'x');
    for (char& c : bytes) {
      c = alphabet[std::uniform_int_distribution<std::size_t>(0, sizeof alphabet - 1)(rng)];
    }
    ASSERT_EQ(SplitLines(bytes), plain(bytes)) << round;
    const LineViews views = SplitLineViews(bytes);
    ASSERT_EQ(Lines(views.begin(), views.end()), plain(bytes)) << round;
  }
}

// The count compares sixteen bytes at a time and adds its byte sums up every 255 rounds:
// lengths across both, with the byte sought everywhere or nowhere, against a plain count.
TEST(LineCount, CountsAsThePlainRuleDoes) {
  std::mt19937 rng(11);
  const std::size_t lengths[] = {0, 1, 15, 16, 17, 31, 4079, 4080, 4081, 4096, 8161, 20000};
  for (const std::size_t length : lengths) {
    for (const int density : {0, 1, 50, 100}) {
      std::string bytes(length, 'a');
      for (char& c : bytes) {
        if (std::uniform_int_distribution<int>(0, 99)(rng) < density) c = '\n';
      }
      const auto plain = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
      ASSERT_EQ(CountByte(bytes, '\n'), plain) << length << " " << density;
      EXPECT_EQ(ExpectedLineCount(bytes), plain > 0 ? plain + 1 : 1) << length;
    }
  }
  EXPECT_EQ(ExpectedLineCount("a\rb\rc"), 3u);  // CR alone ends the lines
  EXPECT_EQ(ExpectedLineCount("a\r\nb\r\n"), 3u);
}

TEST(Text, UpperCasesLatinLettersOnly) {
  std::string text = "mov r1,\xE0\xC0 z{";
  EXPECT_EQ(MakeUpper(text), "MOV R1,\xE0\xC0 Z{");
}

TEST(Cp1251, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(UnicodeToCp1251(Cp1251ToUnicode(static_cast<unsigned char>(b))), b);
  }
}

TEST(Cp1251, CyrillicAndWhatTheCodePageCannotHold) {
  EXPECT_EQ(Utf8ToCp1251("Ёё Яя №"), "\xA8\xB8 \xDF\xFF \xB9");
  EXPECT_EQ(Cp1251ToUtf8("\xC0"), "А");
  EXPECT_EQ(Utf8ToCp1251("a\xE2\x82\xAC"), "a\x88");  // the euro sign has a byte
  EXPECT_EQ(Utf8ToCp1251("中"), "?");
  EXPECT_EQ(Utf8ToCp1251("\xFF\xC3"), "??");  // malformed UTF-8 never crashes
  EXPECT_EQ(Utf8ToCp1251("😀"), "?");
}

}  // namespace
}  // namespace q41

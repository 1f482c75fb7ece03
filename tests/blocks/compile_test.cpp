#include "blocks/compile.hpp"

#include <gtest/gtest.h>

#include "../support.hpp"

namespace q41 {
namespace {

using test::W;

TEST(CompileSource, SourceToCodeAndLabels) {
  CompileWorkspace ws;
  const auto out = CompileSource(
      ws, Lines{"n = 5", "start: mov #n, r0", "loop: sub #1, r0", "  bne loop ; again", "hlt"},
      {";Global"}, test::English, nullptr);
  EXPECT_TRUE(out.preprocessed);
  EXPECT_TRUE(out.succeeded);
  EXPECT_EQ(out.code, (Lines{"01D0", "0005", "2310", "4DFC", "AF18"}));
  EXPECT_EQ(out.status.lineCaption, "Successful compilation");
  EXPECT_EQ(ws.compText, (Lines{"START:", "MOV #N,R0", "LOOP:", "SUB #1,R0", "BNE LOOP", "HLT"}));
}

TEST(CompileSource, PreprocessorFaultStopsBeforeTheAssembler) {
  CompileWorkspace ws;
  ws.labels.SetName(ws.labels.AddLabelRow(), "OLD");
  const auto out = CompileSource(ws, Lines{"nop", "rw 0", "hlt"}, {";Global"}, {}, nullptr);
  EXPECT_FALSE(out.preprocessed);
  EXPECT_FALSE(out.succeeded);
  EXPECT_EQ(out.status.lineCaption, "2: RW 0");
  EXPECT_EQ(out.status.errCaption, W("Недопустимое значение: 0"));
  EXPECT_EQ(ws.compText, (Lines{"NOP", "0"}));
  EXPECT_EQ(ws.labels.Row(1).name, "");  // the grid was emptied
  EXPECT_NE(out.status.lineCaption, Message(Language::Russian, MsgSuccess));
  EXPECT_EQ(FailedBlockCaption(1, out.status.lineCaption), "Bl.1; 2: RW 0");
}

TEST(CompileSource, AssemblerFaultShowsTheWholeSourceLine) {
  CompileWorkspace ws;
  const auto out = CompileSource(ws, Lines{"nop", "x: c = 1zz ; three pieces", "hlt"}, {";Global"},
                                 test::English, nullptr);
  EXPECT_TRUE(out.preprocessed);
  EXPECT_FALSE(out.succeeded);
  EXPECT_EQ(out.status.lineCaption, "2:  x: c = 1zz ; three pieces");
  EXPECT_EQ(out.status.errCaption, "Incorrect symbol in number: 1ZZ");
  EXPECT_EQ(FailedBlockCaption(2, out.status.lineCaption), "Bl.2; 2:  x: c = 1zz ; three pieces");
}

TEST(CompileSource, SuccessShowsTheExactMessage) {
  CompileWorkspace ws;
  const auto out = CompileSource(ws, Lines{"hlt"}, {}, {}, nullptr);
  EXPECT_TRUE(out.succeeded);
  EXPECT_EQ(out.status.lineCaption, Message(Language::Russian, MsgSuccess));
}

TEST(WordCount, HexWithAtLeastFourDigits) {
  EXPECT_EQ(WordCountText(0), "0000");
  EXPECT_EQ(WordCountText(1), "0001");
  EXPECT_EQ(WordCountText(26), "001A");
  EXPECT_EQ(WordCountText(32768), "8000");
  EXPECT_EQ(WordCountText(65536), "10000");
}

}  // namespace
}  // namespace q41

namespace q41 {
namespace {

// Whatever the bytes, the translator answers with code or with a diagnostic.
TEST(CompileSource, AnyBytesGetAnAnswer) {
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245U + 12345U;
    return static_cast<char>((seed >> 16) & 0xFF);
  };
  const std::string alphabet = "mov #'%:=,; rw ds DS hlt 0123456789ABCDEFH-P.R()\t\xC0\xFF";
  for (int round = 0; round < 300; ++round) {
    Lines source;
    for (int line = 0; line < 20; ++line) {
      std::string text;
      const int length = static_cast<unsigned char>(next()) % 40;
      for (int k = 0; k < length; ++k) {
        const char c = next();
        text += round % 2 == 0 ? c : alphabet[static_cast<unsigned char>(c) % alphabet.size()];
      }
      source.push_back(text);
    }
    CompileWorkspace ws;
    const auto out = CompileSource(ws, source, {";Global"}, test::English, nullptr);
    if (!out.succeeded) {
      EXPECT_FALSE(out.status.lineCaption.empty());
      EXPECT_FALSE(out.status.errCaption.empty());
    }
  }
}

TEST(CompileSource, HugeSourcesStayLinear) {
  Lines source(1000000, "; a comment line");
  source[500000] = "x: ds " + std::string(30000, 'z');
  source[600000] = "        mov r1,r2 ; " + std::string(100000, 'c');
  source.push_back("hlt");
  CompileWorkspace ws;
  const auto out = CompileSource(ws, source, {";Global"}, test::English, nullptr);
  EXPECT_TRUE(out.succeeded) << out.status.errCaption;
  EXPECT_EQ(out.code.size(), 15002u);
}

}  // namespace
}  // namespace q41

#include "blocks/compile.hpp"

#include <gtest/gtest.h>

#include "../support.hpp"

namespace q41 {
namespace {

using test::W;

TEST(CompileSource, SourceToCodeAndLabels) {
  CompileWorkspace ws;
  const auto out = CompileSource(
      ws, {"n = 5", "start: mov #n, r0", "loop: sub #1, r0", "  bne loop ; again", "hlt"},
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
  const auto out = CompileSource(ws, {"nop", "rw 0", "hlt"}, {";Global"}, {}, nullptr);
  EXPECT_FALSE(out.preprocessed);
  EXPECT_FALSE(out.succeeded);
  EXPECT_EQ(out.status.lineCaption, "2: RW 0");
  EXPECT_EQ(out.status.errCaption, W("Недопустимое значение: 0"));
  EXPECT_EQ(ws.compText, (Lines{"NOP", "0"}));
  EXPECT_EQ(ws.labels.Row(1).name, "");  // the grid was emptied
  EXPECT_FALSE(ShowsSuccess(out.status.lineCaption, Language::Russian));
  EXPECT_EQ(FailedBlockCaption(1, out.status.lineCaption), "Bl.1; 2: RW 0");
}

TEST(CompileSource, AssemblerFaultShowsTheWholeSourceLine) {
  CompileWorkspace ws;
  const auto out = CompileSource(ws, {"nop", "x: c = 1zz ; three pieces", "hlt"}, {";Global"},
                                 test::English, nullptr);
  EXPECT_TRUE(out.preprocessed);
  EXPECT_FALSE(out.succeeded);
  EXPECT_EQ(out.status.lineCaption, "2:  x: c = 1zz ; three pieces");
  EXPECT_EQ(out.status.errCaption, "Incorrect symbol in number: 1ZZ");
  EXPECT_EQ(FailedBlockCaption(2, out.status.lineCaption), "Bl.2; 2:  x: c = 1zz ; three pieces");
}

TEST(CompileSource, SuccessIsTheExactMessage) {
  CompileWorkspace ws;
  const auto out = CompileSource(ws, {"hlt"}, {}, {}, nullptr);
  EXPECT_TRUE(ShowsSuccess(out.status.lineCaption, Language::Russian));
  EXPECT_FALSE(ShowsSuccess(out.status.lineCaption, Language::English));
  EXPECT_FALSE(ShowsSuccess("", Language::Russian));
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

// The program core on its own: compile all against each block compiled alone, the program
// file read with and without markers, and what keeps a block's code out of the code file.

#include <gtest/gtest.h>

#include "../generated_program.hpp"
#include "../support.hpp"
#include "blocks/code_file.hpp"
#include "blocks/compile.hpp"
#include "blocks/program_file.hpp"
#include "common/number_text.hpp"

namespace q41 {
namespace {

// Block k of a compile all, against the same source compiled alone in a fresh workspace.
void ExpectSameAsAlone(const Program& before, const Program& after, const CompileOutcome& got,
                       int k, const std::string& where) {
  CompileWorkspace alone;
  test::RecordedWarnings warnings;
  CompileOutcome want =
      CompileSource(alone, before.Block(k).source, before.Global(), test::English, &warnings);
  if (!want.succeeded) want.status.lineCaption = FailedBlockCaption(k, want.status.lineCaption);
  EXPECT_EQ(got.succeeded, want.succeeded) << where;
  EXPECT_EQ(got.status.lineCaption, want.status.lineCaption) << where;
  EXPECT_EQ(got.status.errCaption, want.status.errCaption) << where;
  EXPECT_EQ(got.status.place, want.status.place) << where;
  ASSERT_EQ(got.warnings.size(), warnings.texts.size()) << where;
  for (std::size_t w = 0; w < got.warnings.size(); ++w) {
    EXPECT_EQ(got.warnings[w], (CompileWarning{warnings.texts[w], warnings.lines[w]})) << where;
  }
  EXPECT_EQ(got.wordSourceLine, want.wordSourceLine) << where;
  // A block that compiled has its code in the program; the failing one keeps it here.
  EXPECT_EQ(got.succeeded ? after.Block(k).code : got.code, want.code) << where;
  ASSERT_EQ(static_cast<int>(got.labels.size()), alone.labels.LabelCount()) << where;
  for (int r = 1; r <= alone.labels.LabelCount(); ++r) {
    const LabelText& row = got.labels[static_cast<std::size_t>(r - 1)];
    EXPECT_EQ(row.name + row.kind + row.value, alone.labels.Row(r).name +
                                                   std::string(alone.labels.Row(r).Kind()) +
                                                   std::string(alone.labels.Row(r).Value()))
        << where;
  }
}

TEST(CompileAll, EachBlockAsItCompilesAloneAndTheRestUntouched) {
  std::mt19937 rng(26);
  for (int round = 0; round < 200; ++round) {
    const std::string bytes = test::GenerateProgram(rng);
    const std::string where = "program " + std::to_string(round) + ":\n" + bytes;
    const Program before = ReadProgramFile(SplitLines(bytes), Program()).program;
    Program after = before;
    CompileWorkspace workspace;
    CompileAllRequest request;
    request.options = test::English;
    request.keepLabels = true;
    const CompileAllOutcome all = CompileAll(after, workspace, request);

    ASSERT_FALSE(all.blocks.empty()) << where;
    EXPECT_EQ(all.succeeded, all.failedBlock < 0) << where;
    const int compiled = all.succeeded ? before.LastBlock() + 1 : all.failedBlock + 1;
    ASSERT_EQ(static_cast<int>(all.blocks.size()), compiled) << where;
    for (int k = 0; k < compiled; ++k) {
      ExpectSameAsAlone(before, after, all.blocks[static_cast<std::size_t>(k)], k, where);
    }
    for (int k = 0; k <= before.LastBlock(); ++k) {
      const BlockRecord& r = after.Block(k);
      const bool stored = k < compiled && all.blocks[static_cast<std::size_t>(k)].succeeded;
      EXPECT_EQ(r.wordCount, stored ? WordCountText(r.code.size()) : before.Block(k).wordCount)
          << where;
      if (!stored) {
        EXPECT_TRUE(r.code.empty()) << where;
      }
      EXPECT_EQ(r.source, before.Block(k).source) << where;
      // Compiling a block writes its load addresses with four digits, as showing it does.
      std::string cpu = before.Block(k).cpuAddress;
      EXPECT_EQ(r.cpuAddress, k < compiled ? PadToFourDigits(cpu) : cpu) << where;
    }
  }
}

// A file without block markers, compiled where its lines stand, gives what the same file
// read into the program's own lines gives.
TEST(CompileAll, AFileReadInPlaceCompilesAsACopiedOne) {
  std::mt19937 rng(27);
  int unmarked = 0;
  for (int round = 0; round < 300; ++round) {
    const std::string bytes = test::GenerateProgram(rng);
    const LineViews views = SplitLineViews(bytes);
    std::optional<ProgramRead> inPlace = ReadUnmarkedFile(views, Program());
    ProgramRead copied = ReadProgramFile(SplitLines(bytes), Program());
    ASSERT_EQ(inPlace.has_value(), !copied.marked) << bytes;
    if (!inPlace) continue;
    ++unmarked;
    EXPECT_TRUE(inPlace->program.Block(0).source.empty());
    EXPECT_EQ(inPlace->memoryRefused, copied.memoryRefused) << bytes;
    CompileWorkspace w1;
    CompileWorkspace w2;
    CompileAllRequest request;
    request.options = test::English;
    const CompileAllOutcome a = CompileAll(copied.program, w1, request);
    request.block0 = &views;
    const CompileAllOutcome b = CompileAll(inPlace->program, w2, request);
    EXPECT_EQ(a.Status().lineCaption, b.Status().lineCaption) << bytes;
    EXPECT_EQ(a.Status().place, b.Status().place) << bytes;
    EXPECT_EQ(CodeFileText(copied.program, "\n"), CodeFileText(inPlace->program, "\n")) << bytes;
  }
  EXPECT_GT(unmarked, 10);
}

TEST(ProgramFile, WhatAFileDoesNotSayComesFromTheProgramBefore) {
  Program before;
  before.SetHeader({"old header"});
  before.SetGlobal({"G=1"});
  before.SetMemory(MemoryMode::Distributed);
  struct Case {
    Lines file;
    bool marked;
    Lines header, global;
    MemoryMode memory;
    std::optional<std::string> refused;
  };
  const Case cases[] = {
      {{"nop", "hlt"}, false, {"old header"}, {"G=1"}, MemoryMode::Distributed, {}},
      {{";memory=COMM", "hlt"}, false, {"old header"}, {"G=1"}, MemoryMode::Common, {}},
      {{";memory=XY", "hlt"}, false, {"old header"}, {"G=1"}, MemoryMode::Distributed, "XY"},
      {{";memory=COMM", "", ";new", "", "GLOBAL", "H=2", "", ";BLOCK 0", "hlt"},
       true,
       {";memory=COMM", "", ";new"},
       {"H=2"},
       MemoryMode::Common,
       {}},
      {{";BLOCK 0", "hlt"}, true, {}, {}, MemoryMode::Distributed, {}},
  };
  for (const Case& c : cases) {
    const ProgramRead read = ReadProgramFile(c.file, before);
    const std::string where = JoinLines(c.file, "|");
    EXPECT_EQ(read.marked, c.marked) << where;
    EXPECT_EQ(read.program.Header(), c.header) << where;
    EXPECT_EQ(read.program.Global(), c.global) << where;
    EXPECT_EQ(read.program.Memory(), c.memory) << where;
    EXPECT_EQ(read.memoryRefused, c.refused) << where;
    const std::string bytes = JoinLines(c.file, "\n");
    const LineViews views = SplitLineViews(bytes);
    EXPECT_EQ(ReadUnmarkedFile(views, before).has_value(), !c.marked) << where;
  }
}

TEST(Program, BlocksComeAndGoWithinSix) {
  Program p;
  p.Block(0).source = {"hlt"};
  EXPECT_EQ(p.AddBlock(), 1);
  p.Block(1).cpuAddress = "0100";
  for (int k = 2; k < BlockCount; ++k) EXPECT_EQ(p.AddBlock(), k);
  EXPECT_TRUE(p.Full());
  EXPECT_EQ(p.AddBlock(), BlockCount - 1);  // no seventh block
  for (int k = 0; k < BlockCount; ++k) p.DeleteLastBlock();
  EXPECT_EQ(p.LastBlock(), 0);
  EXPECT_EQ(p.Block(0).source, Lines{"hlt"});  // block 0 is never deleted
  EXPECT_EQ(p.AddBlock(), 1);
  EXPECT_EQ(p.Block(1).cpuAddress, "0000");  // a new block starts empty
  p.ClearBlocks();
  EXPECT_EQ(p.LastBlock(), 0);
  EXPECT_TRUE(p.Block(0).source.empty());
}

TEST(CodeFile, WhatKeepsABlocksCodeOut) {
  Program p;
  p.Block(0).source = {"hlt"};
  CompileWorkspace workspace;
  CompileAllRequest request;
  ASSERT_TRUE(CompileAll(p, workspace, request).succeeded);
  EXPECT_EQ(CodeGapOf(p, 0, true), CodeGap::OlderThanText);  // no history: never compiled so
  EXPECT_EQ(CodeGapOf(p, 0, false), std::nullopt);
  p.Block(0).history.compiled = true;
  p.Block(0).history.source = p.Block(0).source;
  p.Block(0).history.global = p.Global();
  EXPECT_EQ(CodeGapOf(p, 0, true), std::nullopt);
  p.SetGlobal({"X=1"});
  EXPECT_EQ(CodeGapOf(p, 0, true), CodeGap::OlderThanText);
  p.Block(0).codeFromFailedCompile = true;
  EXPECT_EQ(CodeGapOf(p, 0, false), CodeGap::FailedCompile);
  EXPECT_EQ(WriteCodeFile(p)[6], "0000");  // and no words of a failed compile are written
  p.Block(0).code.clear();
  p.Block(0).codeFromFailedCompile = false;
  EXPECT_EQ(CodeGapOf(p, 0, false), CodeGap::NoCode);
}

}  // namespace
}  // namespace q41

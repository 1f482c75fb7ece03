// The block model through a fake main window.

#include "blocks/block_model.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "../support.hpp"
#include "started.hpp"

namespace q41 {
namespace {
using test::W;
}  // namespace

namespace {

struct Started : test::Started {
  // Adds blocks until there are `count`, each with the given sources.
  void Blocks(const std::vector<Lines>& sources) {
    view.source = sources[0];
    for (std::size_t k = 1; k < sources.size(); ++k) {
      model.AddBlock();
      view.source = sources[k];
    }
    model.SwitchToBlock(0);
  }
};

TEST(BlockModel, StartsWithOneBlock) {
  Started s;
  EXPECT_EQ(s.view.source, (Lines{";asm text", "", "hlt"}));
  EXPECT_EQ(s.view.tabs, std::vector<std::string>{"BLOCK 0"});
  EXPECT_EQ(s.model.LastBlock(), 0);
  EXPECT_FALSE(s.model.FirstRun());
  EXPECT_FALSE(s.view.focused);  // the window is not shown yet at the first run
  EXPECT_EQ(s.view.glob, Lines{";Global"});
  EXPECT_EQ(s.view.lamps[0], LampColor::White);
  for (int k = 1; k < 6; ++k)
    EXPECT_EQ(s.view.lamps[static_cast<std::size_t>(k)], LampColor::Hidden);
  EXPECT_TRUE(s.view.enabled[0]);
  EXPECT_FALSE(s.view.enabled[1]);
}

TEST(BlockModel, PpuListsAndAddresses) {
  EXPECT_EQ(PpuListText({true, false, true, false}), "0031");
  EXPECT_EQ(PpuListText({}), "0000");
  EXPECT_EQ(PpuListText({true, true, true, true}), "4321");
  EXPECT_EQ(PpuListText(PpuSetOf("1234")), "4321");
  EXPECT_EQ(PpuListText(PpuSetOf("0031")), "0031");
  EXPECT_EQ(PpuListText(PpuSetOf("21")), "0021");
  EXPECT_EQ(PpuListText(PpuSetOf("x5y1zz4")), "0001");  // only the first four count
  // Through a tab switch: stored padded, shown padded.
  Started s;
  s.Blocks({{"nop"}, {"hlt"}});
  s.view.cpu = "7";
  s.view.ppuCaption = "0031";
  s.model.SwitchToBlock(1);
  EXPECT_EQ(s.model.Stored(0).cpuAddress, "0007");
  EXPECT_EQ(s.model.Stored(0).ppu, (PpuSet{true, false, true, false}));
  s.view.cpu = "12345";
  s.model.SwitchToBlock(0);
  EXPECT_EQ(s.view.cpu, "0007");
  EXPECT_EQ(s.view.ppuCaption, "0031");
  EXPECT_EQ(s.view.boxes, (PpuSet{true, false, true, false}));
  EXPECT_EQ(s.model.Stored(1).cpuAddress, "12345");
}

TEST(BlockModel, AddingBlocks) {
  Started s;
  s.model.AddBlock();
  EXPECT_EQ(s.view.tabs.back(), "BLOCK 1");
  EXPECT_EQ(s.view.selectedTab, 1);
  EXPECT_EQ(s.model.CurrentBlock(), 1);
  EXPECT_EQ(s.view.source, Lines{});
  EXPECT_EQ(s.view.words, "0000");
  EXPECT_EQ(s.view.lamps[1], LampColor::Hidden);  // not repainted
  EXPECT_TRUE(s.view.enabled[1]);
  EXPECT_EQ(s.model.Stored(0).source, (Lines{";asm text", "", "hlt"}));

  // After an empty last block: refused with a notice; one character is enough.
  s.model.AddBlock();
  EXPECT_EQ(s.view.asked, std::vector<std::string>{"NewBlockRestricted"});
  EXPECT_EQ(s.model.LastBlock(), 1);
  s.view.source = {""};
  s.model.AddBlock();
  EXPECT_EQ(s.model.LastBlock(), 2);
  for (int k = 3; k < 6; ++k) {
    s.view.source = {"x"};
    s.model.AddBlock();
  }
  EXPECT_EQ(s.model.LastBlock(), 5);
  s.view.source = {"x"};
  s.model.AddBlock();  // a seventh: nothing, and nothing said
  EXPECT_EQ(s.model.LastBlock(), 5);
  EXPECT_EQ(s.view.asked.size(), 1u);
}

TEST(BlockModel, DeletingBlocks) {
  Started s;
  s.model.DeleteLastBlock();  // only block 0: nothing
  EXPECT_EQ(s.model.LastBlock(), 0);
  s.Blocks({{"a"}, {"b"}, {"c"}});
  // With text: asked; Cancel keeps everything.
  s.model.DeleteLastBlock();
  EXPECT_EQ(s.view.asked, std::vector<std::string>{"DeleteBlock"});
  EXPECT_EQ(s.model.LastBlock(), 2);
  EXPECT_EQ(s.view.TabCount(), 3);
  // OK while block 0 is current: block 0 and its working copy stay as they are.
  s.view.source = {"a edited"};
  s.view.answers = {true};
  s.model.DeleteLastBlock();
  EXPECT_EQ(s.model.LastBlock(), 1);
  EXPECT_EQ(s.model.CurrentBlock(), 0);
  EXPECT_EQ(s.view.source, Lines{"a edited"});
  EXPECT_EQ(s.model.Stored(2).source, Lines{});
  EXPECT_FALSE(s.view.enabled[2]);
  // Deleting the current last block shows the one before; an empty one is not asked about.
  s.model.SwitchToBlock(1);
  s.view.source.clear();
  s.model.DeleteLastBlock();
  EXPECT_EQ(s.view.asked.size(), 2u);
  EXPECT_EQ(s.model.CurrentBlock(), 0);
  EXPECT_EQ(s.view.selectedTab, 0);
  EXPECT_EQ(s.view.source, Lines{"a edited"});
}

TEST(BlockModel, NewProgramAfterFourBlocks) {
  Started s;
  s.Blocks({{"a"}, {"b"}, {"c"}, {"d"}});
  s.model.SwitchToBlock(2);
  s.view.answers = {false};
  s.model.AskNewProgram();
  EXPECT_EQ(s.model.LastBlock(), 3);
  s.view.answers = {true};
  s.model.AskNewProgram();
  EXPECT_EQ(s.view.asked, (std::vector<std::string>{"ClearProgram", "ClearProgram"}));
  EXPECT_EQ(s.view.tabs, std::vector<std::string>{"BLOCK 0"});
  EXPECT_EQ(s.model.LastBlock(), 0);
  EXPECT_EQ(s.model.CurrentBlock(), 0);
  EXPECT_EQ(s.view.source, (Lines{"", "hlt"}));
  EXPECT_EQ(s.view.glob, Lines{});
  EXPECT_EQ(s.view.header, Lines{});
  EXPECT_EQ(s.view.lamps[0], LampColor::White);
  EXPECT_EQ(s.view.lamps[1], LampColor::Hidden);
  EXPECT_TRUE(s.view.focused);
  EXPECT_TRUE(s.view.caretAtStart);
  // Block 0 stored empty: no question.
  s.model.SetStoredSource(0, {});
  s.model.AskNewProgram();
  EXPECT_EQ(s.view.asked.size(), 2u);
}

TEST(BlockModel, CompileOneBlockLeavesTheStoredBlock) {
  Started s;
  s.Blocks({{"hlt"}, {"nop", "hlt"}});
  s.model.SwitchToBlock(1);
  s.view.compileTextVisible = true;
  s.model.CompileBlock();
  EXPECT_EQ(s.view.code, (Lines{"0000", "AF18"}));
  EXPECT_EQ(s.view.words, "0000");
  EXPECT_EQ(s.model.Stored(1).code, Lines{});
  EXPECT_EQ(s.view.lamps[1], LampColor::Green);
  EXPECT_EQ(s.view.lamps[0], LampColor::White);
  EXPECT_FALSE(s.view.compileTextVisible);
  // The next store takes the fresh code along.
  s.model.SwitchToBlock(0);
  EXPECT_EQ(s.model.Stored(1).code, (Lines{"0000", "AF18"}));
}

TEST(BlockModel, CompileAllStopsAtTheFirstFailingBlock) {
  Started s;
  Lines words26(25, "nop");
  words26.push_back("hlt");
  s.Blocks({words26, {"hlt"}, {"nop", "jmp #nowhere", "hlt"}, {"hlt"}});
  s.model.SwitchToBlock(3);
  s.view.words = "0042";
  s.model.CompileAll();
  EXPECT_EQ(s.view.status.lineCaption, "Bl.2; 2:  jmp #nowhere");
  EXPECT_EQ(s.view.status.errCaption, "Label not found in the list: NOWHERE");
  EXPECT_EQ(s.model.CurrentBlock(), 2);
  EXPECT_EQ(s.view.selectedTab, 2);
  EXPECT_EQ(s.view.code, (Lines{"0000", "1C00"}));  // the jump stops at its bad operand
  EXPECT_EQ(s.view.words, "0002");
  EXPECT_TRUE(s.view.focused);
  EXPECT_FALSE(s.view.caretAtStart);  // the failing line stays selected
  EXPECT_EQ((std::array<LampColor, 4>{s.view.lamps[0], s.view.lamps[1], s.view.lamps[2],
                                      s.view.lamps[3]}),
            (std::array<LampColor, 4>{LampColor::Green, LampColor::Green, LampColor::Red,
                                      LampColor::White}));
  EXPECT_EQ(s.model.Stored(0).wordCount, "001A");
  EXPECT_EQ(s.model.Stored(0).code.size(), 26u);
  EXPECT_EQ(s.model.Stored(1).code, Lines{"AF18"});
  EXPECT_EQ(s.model.Stored(2).code, Lines{});
  EXPECT_EQ(s.model.Stored(3).code, Lines{});
  EXPECT_EQ(s.model.Stored(3).wordCount, "0042");  // kept from before

  // A preprocessor fault in block 1: its numbered line after the block prefix.
  s.model.SetStoredSource(1, {"rw 0"});
  s.model.CompileAll();
  EXPECT_EQ(s.view.status.lineCaption, "Bl.1; 1: RW 0");
  EXPECT_EQ(s.view.lamps[1], LampColor::Red);
  EXPECT_EQ(s.view.lamps[2], LampColor::White);
}

TEST(BlockModel, CompileAllOfGoodBlocks) {
  Started s;
  s.settings.language = Language::Russian;
  s.Blocks({{"hlt"}, {"nop"}});
  s.model.CompileAll();
  EXPECT_EQ(s.view.status.lineCaption, W("Успешная компиляция"));
  EXPECT_EQ(s.model.CurrentBlock(), 1);
  EXPECT_EQ(s.view.warnings, std::vector<std::string>{"No HLT command!"});
  EXPECT_EQ(s.view.lamps[1], LampColor::Green);
  EXPECT_EQ(s.model.Stored(1).wordCount, "0001");
  EXPECT_EQ(s.model.Stored(0).code, Lines{"AF18"});
}

// Each block's compile history: every compile command keeps what it read and gave for the
// block it compiled, and the fault line of a failure.
TEST(CompileHistory, EachCompileCommandRecordsItsBlock) {
  const auto CompileAll = [](BlockModel& model) { model.CompileAll(); };
  struct Case {
    const char* name;
    std::function<void(BlockModel&)> command;
    Lines source;
    bool compiled;
    Lines code;
    int faultLine;
  };
  const Case cases[] = {
      {"compile", &BlockModel::CompileBlock, {"nop", "hlt"}, true, {"0000", "AF18"}, 0},
      {"compile fault",
       &BlockModel::CompileBlock,
       {"nop", "jmp #x", "hlt"},
       true,
       {"0000", "1C00"},
       2},
      {"preprocessor fault", &BlockModel::CompileBlock, {"hlt", "rw 0"}, true, {}, 2},
      {"compile all fault", CompileAll, {"hlt", "jmp #x"}, true, {"AF18", "1C00"}, 2},
      {"preprocess only", &BlockModel::PreprocessOnly, {"rw 0"}, false, {}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Started s;
    s.Blocks({{"hlt"}, c.source});
    s.model.SwitchToBlock(1);
    c.command(s.model);
    const CompileHistory& h = s.model.History(1);
    EXPECT_EQ(h.compiled, c.compiled);
    EXPECT_EQ(h.faultLine, c.faultLine);
    EXPECT_EQ(h.code, c.code);
    EXPECT_EQ(h.wordSourceLine.size(), c.code.size());
    EXPECT_EQ(h.CurrentFor(c.source, s.view.code), c.compiled);
    // Block 0 was compiled only by compile all, which stops at block 1.
    EXPECT_EQ(s.model.History(0).compiled, c.name == std::string("compile all fault"));
  }
}

TEST(CompileHistory, LastsUntilTheNextCompileOrTheBlockIsGone) {
  Started s;
  s.Blocks({{"hlt"}, {"nop", "jmp #x"}});
  s.model.CompileAll();
  ASSERT_EQ(s.model.History(1).faultLine, 2);
  // Switching and storing keep it; an edit makes it no longer the text's.
  s.model.SwitchToBlock(0);
  s.model.SwitchToBlock(1);
  EXPECT_TRUE(s.model.History(1).CurrentFor({"nop", "jmp #x"}));
  EXPECT_FALSE(s.model.History(1).CurrentFor({"", "nop", "jmp #x"}));
  EXPECT_FALSE(s.model.History(1).CurrentFor({"nop", "jmp #x"}, {}));
  // A line added above the fault moves it with its text; the next compile sets it anew.
  s.model.FaultMoved(1, 3);
  EXPECT_EQ(s.model.History(1).faultLine, 3);
  s.view.source = {"hlt"};
  s.model.CompileBlock();
  EXPECT_EQ(s.model.History(1).faultLine, 0);
  EXPECT_EQ(s.model.History(1).source, Lines{"hlt"});
  // A deleted block takes its history along: a block added in its place has none.
  s.view.answers = {true};
  s.model.DeleteLastBlock();
  s.model.AddBlock();
  EXPECT_FALSE(s.model.History(1).compiled);
  EXPECT_EQ(s.model.History(1).faultLine, 0);
}

}  // namespace
}  // namespace q41

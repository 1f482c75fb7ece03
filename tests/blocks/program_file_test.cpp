// The program file (.ASM) and the code file (.Q41), through the block model.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "../support.hpp"
#include "blocks/block_model.hpp"
#include "started.hpp"

namespace q41 {
namespace {

struct Started : test::Started {
  Lines Save() {
    model.StoreCurrentBlock(model.CurrentBlock());
    Lines file = model.WriteProgramFile();
    model.ShowBlock(model.CurrentBlock());
    return file;
  }
};

const Lines StartUpFile = {";memory=COMM",
                           "",
                           ";Q41 assembler, v.1, 2018",
                           "",
                           "GLOBAL",
                           ";Global",
                           "",
                           ";BLOCK 0",
                           ";CPU",
                           ";CPUaddr=0000",
                           "",
                           ";asm text",
                           "",
                           "hlt"};

TEST(ProgramFile, TheStartUpProgramRoundTrips) {
  Started s;
  EXPECT_EQ(s.Save(), StartUpFile);
  Started r;
  r.model.ReadProgramFile(StartUpFile);
  EXPECT_EQ(r.view.memoryMode, 0);
  EXPECT_EQ(r.view.header, (Lines{";memory=COMM", "", ";Q41 assembler, v.1, 2018"}));
  EXPECT_EQ(r.view.glob, Lines{";Global"});
  EXPECT_EQ(r.model.LastBlock(), 0);
  EXPECT_EQ(r.view.source,
            (Lines{";BLOCK 0", ";CPU", ";CPUaddr=0000", "", ";asm text", "", "hlt"}));
  EXPECT_EQ(r.Save(), StartUpFile);
  EXPECT_EQ(r.Save(), StartUpFile);
}

TEST(ProgramFile, WritingEdgeCases) {
  Started s;
  s.view.glob.clear();
  s.view.header = {"GLOBAL", ";kept", "", "free text"};
  s.view.memoryMode = 1;
  s.view.source = {"", ";PPU=0001", "", "nop"};  // leading settings and empty lines go
  s.view.ppuCaption = "0021";
  s.view.cpu = "0100";
  s.view.ppu = "0200";
  s.model.AddBlock();
  s.view.source = {";BLOCK 1", ";CPU", "", ";CPUaddr=0001"};  // settings lines only
  EXPECT_EQ(s.Save(), (Lines{";memory=DIST", "", ";GLOBAL", ";kept", "", ";free text", "",
                             ";BLOCK 0", ";PPU=0021", ";CPUaddr=0100", ";PPUaddr=0200", "", "nop",
                             "", ";BLOCK 1", ";CPU", ";CPUaddr=0000", ""}));
  s.view.header.clear();
  Lines file = s.Save();
  EXPECT_EQ(Lines(file.begin(), file.begin() + 4), (Lines{";memory=DIST", "", "", ";BLOCK 0"}));
  // A header written from a file skips its memory line and the empty lines after it; its
  // trailing empty lines are not written either, since reading would drop them.
  s.view.header = {";memory=COMM", "", "", "text", "", ""};
  file = s.Save();
  EXPECT_EQ(Lines(file.begin(), file.begin() + 5),
            (Lines{";memory=DIST", "", ";text", "", ";BLOCK 0"}));
}

TEST(ProgramFile, ReadingEdgeCases) {
  struct Row {
    const char* what;
    Lines file;
    std::vector<Lines> sources;
    Lines header;
    Lines glob;
  };
  const Lines keepHeader = {"Q41 assembler, v.1, 2018"};
  const Row rows[] = {
      {"marker first", {";BLOCK 0", "nop"}, {{";BLOCK 0", "nop"}}, {}, {}},
      {"marker second: the line before it is not the writer's separator",
       {";memory=DIST", ";BLOCK 0x", "hlt"},
       {{";BLOCK 0x", "hlt"}},
       {";memory=DIST"},
       {}},
      {"a hand-written GLOBAL line before the marker stays",
       {"GLOBAL", "X=1", ";BLOCK 0"},
       {{";BLOCK 0"}},
       {},
       {"X=1"}},
      {"markers out of order",
       {";BLOCK 0", "a", ";BLOCK 2", "b", ";BLOCK 1", "c"},
       {{";BLOCK 0", "a", ";BLOCK 2", "b"}, {";BLOCK 1", "c"}},
       {},
       {}},
      {"a seventh marker is text",
       {";BLOCK 0", ";BLOCK 1", ";BLOCK 2", ";BLOCK 3", ";BLOCK 4", ";BLOCK 5", ";BLOCK 6"},
       {{";BLOCK 0"},
        {";BLOCK 1"},
        {";BLOCK 2"},
        {";BLOCK 3"},
        {";BLOCK 4"},
        {";BLOCK 5", ";BLOCK 6"}},
       {},
       {}},
      {"the separator goes, other lines stay",
       {";BLOCK 0", "a", "", "", ";BLOCK 1", "b", "x", ";BLOCK 2", ""},
       {{";BLOCK 0", "a", ""}, {";BLOCK 1", "b", "x"}, {";BLOCK 2", ""}},
       {},
       {}},
      {"empty file", {}, {{}}, keepHeader, {";Global"}},
      {"no markers",
       {";memory=COMM", "mov r0,r1", ""},
       {{";memory=COMM", "mov r0,r1", ""}},
       keepHeader,
       {";Global"}},
      {"header, GLOBAL, and a GLOBAL line in the GLOBAL part",
       {"h1", "", "GLOBAL", "A=1", "GLOBAL", "", "", ";BLOCK 0"},
       {{";BLOCK 0"}},
       {"h1"},
       {"A=1", ""}},
  };
  for (const auto& row : rows) {
    Started s;
    s.model.ReadProgramFile(row.file);
    ASSERT_EQ(s.model.LastBlock() + 1, static_cast<int>(row.sources.size())) << row.what;
    for (std::size_t n = 0; n < row.sources.size(); ++n) {
      EXPECT_EQ(s.model.Stored(n).source, row.sources[n]) << row.what << " block " << n;
      EXPECT_EQ(s.model.Stored(n).wordCount, "0000");
    }
    EXPECT_EQ(s.view.header, row.header) << row.what;
    EXPECT_EQ(s.view.glob, row.glob) << row.what;
    EXPECT_EQ(s.view.TabCount(), s.model.LastBlock() + 1) << row.what;
    EXPECT_EQ(s.model.CurrentBlock(), 0);
    EXPECT_EQ(s.view.source, row.sources[0]) << row.what;
  }
}

// The writer replaces only the lines it writes itself at the top of a block; the rest of
// the block's own marker line is kept.
TEST(ProgramFile, WhatTheWriterReplacesAtTheTopOfABlock) {
  struct Row {
    Lines source;  // of block 1
    Lines written;
  };
  const Lines settings = {";CPU", ";CPUaddr=0000", ""};
  auto with = [&](std::string marker, Lines body) {
    Lines lines = {std::move(marker)};
    lines.insert(lines.end(), settings.begin(), settings.end());
    lines.insert(lines.end(), body.begin(), body.end());
    return lines;
  };
  const Row rows[] = {
      {{"", ";BLOCK 1 see notes", ";CPU", "", "nop"}, with(";BLOCK 1 see notes", {"nop"})},
      {{";BLOCKED until the port is ready", "nop"},
       with(";BLOCK 1", {";BLOCKED until the port is ready", "nop"})},
      {{";BLOCK 0 copy", "nop"}, with(";BLOCK 1", {";BLOCK 0 copy", "nop"})},
      {{";BLOCK 1", "", ";BLOCK 1x", ";CPU"}, with(";BLOCK 1", {";BLOCK 1x", ";CPU"})},
  };
  for (const auto& row : rows) {
    Started s;
    s.model.AddBlock();
    s.view.source = row.source;
    const Lines file = s.Save();
    const auto marker = std::find(file.begin(), file.end(), row.written.front());
    EXPECT_EQ(Lines(marker, file.end()), row.written) << row.source[0];
    Started r;
    r.model.ReadProgramFile(file);
    EXPECT_EQ(r.Save(), file) << row.source[0];
  }
}

// Lines that would read back as a block marker, reported where the user wrote them.
TEST(ProgramFile, MarkerClashes) {
  struct Row {
    Lines header;
    Lines glob;
    std::vector<Lines> sources;
    std::string clash;
  };
  const Lines header = {"Q41 assembler, v.1, 2018"};
  const Lines glob = {";Global"};
  const Row rows[] = {
      {header, glob, {{";asm text", "", "hlt"}}, ""},
      {header,
       glob,
       {{";BLOCK 0", "nop", ";BLOCK 2", ";BLOCKED"}, {";BLOCK 1 see notes", "hlt"}, {"hlt"}},
       ""},
      {header, glob, {{"a"}, {"b"}, {"c"}, {"d"}, {"e"}, {"f", ";BLOCK 6"}}, ""},
      {{";memory=COMM", "", "x", "BLOCK 0 notes"},
       glob,
       {{"nop", ";BLOCK 1"}},
       "Header 0:4 as 0: ;BLOCK 0 notes"},
      {header, {"A=1", ";BLOCK 0"}, {{"nop"}}, "Global 0:2 as 0: ;BLOCK 0"},
      {header,
       glob,
       {{";BLOCK 0 top", ";CPU", "", "nop", ";BLOCK 1"}, {"hlt"}},
       "Block 0:5 as 1: ;BLOCK 1"},
      {header, glob, {{"a"}, {"b"}, {";CPU", "c", ";BLOCK 3 x"}}, "Block 2:3 as 3: ;BLOCK 3 x"},
  };
  const char* const where[] = {"Header", "Global", "Block"};
  for (const auto& row : rows) {
    Started s;
    s.view.header = row.header;
    s.view.glob = row.glob;
    for (std::size_t n = 0; n < row.sources.size(); ++n) {
      if (n > 0) s.model.AddBlock();
      s.view.source = row.sources[n];
    }
    s.model.StoreCurrentBlock(s.model.CurrentBlock());
    std::optional<MarkerClash> clash;
    s.model.WriteProgramFile(clash);
    std::string found;
    if (clash) {
      found = std::string(where[static_cast<int>(clash->where)]) + " " +
              std::to_string(clash->block) + ":" + std::to_string(clash->line) + " as " +
              std::to_string(clash->marker) + ": " + clash->text;
    }
    EXPECT_EQ(found, row.clash);
    // A clash is exactly what makes a saved program read back differently.
    const Lines file = s.Save();
    Started r;
    r.model.ReadProgramFile(file);
    EXPECT_EQ(r.Save() != file, clash.has_value()) << row.clash;
  }
}

TEST(ProgramFile, SettingsLinesAnywhereInABlock) {
  Started s;
  s.model.ReadProgramFile({";BLOCK 0", ";PPU=0021", ";CPUaddr=XYZ", "nop", ";PPU=x3y1zz",
                           ";PPUaddr=123456", ";BLOCK 1"});
  const BlockRecord& b = s.model.Stored(0);
  EXPECT_EQ(b.PpuList(), "0031");
  EXPECT_EQ(b.cpuAddress, "0XYZ");  // padded when shown
  EXPECT_EQ(b.ppuAddress, "1234");
  EXPECT_EQ(s.view.cpu, "0XYZ");
  EXPECT_EQ(s.view.boxes, (PpuSet{true, false, true, false}));
  EXPECT_EQ(s.model.Stored(1).PpuList(), "0000");
}

// A file without markers is one block, and its settings lines count there too: otherwise
// the block would change once saved (with those lines in its text) and opened again.
TEST(ProgramFile, SettingsLinesOfAFileWithoutMarkers) {
  Started s;
  s.model.ReadProgramFile({"nop", ";PPU=0001", ";PPUaddr=0010", "hlt"});
  EXPECT_EQ(s.view.ppuCaption, "0001");
  EXPECT_EQ(s.view.ppu, "0010");
  const Lines second = s.Save();
  Started r;
  r.model.ReadProgramFile(second);
  EXPECT_EQ(r.Save(), second);
}

TEST(ProgramFile, MemoryModes) {
  Started s;
  s.model.ReadProgramFile({";memory=DISTRIBUTED", ";BLOCK 0"});
  EXPECT_EQ(s.view.memoryMode, 1);
  s.model.ReadProgramFile({";memory=comm", ";BLOCK 0"});
  EXPECT_EQ(s.view.memoryMode, 1);
  s.model.ReadProgramFile({";memory=dist"});
  EXPECT_EQ(s.view.asked, (std::vector<std::string>{"Memory: Invalid memory type: comm",
                                                    "Memory: Invalid memory type: dist"}));
  s.settings.language = Language::Russian;
  s.model.ReadProgramFile({";memory=", "x"});
  EXPECT_EQ(s.view.asked.back(), "Memory: " + test::W("Неправильный тип памяти: "));
  EXPECT_EQ(s.view.source, (Lines{";memory=", "x"}));
}

// Generated programs: write, read and write again give the same lines, and reading keeps
// every block's source.
TEST(ProgramFile, GeneratedProgramsRoundTrip) {
  std::mt19937 random(41);
  const std::vector<std::string> pieces = {
      "mov r0,r1", "",     " ",  "; c",   "LABEL:", "\xC0\xFF", "GLOBAL",
      ";x",        "dw 5", "\t", ";CPUx", "a=1",    ";BLOCKED"};
  auto pick = [&](int limit) { return static_cast<int>(random() % static_cast<unsigned>(limit)); };
  for (int round = 0; round < 200; ++round) {
    Started s;
    std::vector<Lines> bodies;
    const int blocks = 1 + pick(6);
    s.view.memoryMode = pick(2);
    s.view.header.clear();
    for (int k = pick(4); k > 0; --k) s.view.header.push_back(pieces[pick(12)]);
    s.view.glob.clear();
    for (int k = pick(4); k > 0; --k) s.view.glob.push_back(pieces[pick(6)]);
    for (int n = 0; n < blocks; ++n) {
      if (n > 0) s.model.AddBlock();
      Lines body;
      for (int k = pick(6); k > 0; --k) body.push_back(pieces[pick(13)]);
      body.push_back("end");  // a block must hold a line before the next is added
      // What the writer leaves out: leading empty and settings lines.
      while (!body.empty() && (body.front().empty() || body.front() == "GLOBAL")) {
        body.erase(body.begin());
      }
      s.view.source = body;
      s.view.ppuCaption = PpuListText(PpuSetOf(std::to_string(pick(5000))));
      s.view.cpu = std::to_string(pick(9999));
      bodies.push_back(body);
    }
    const Lines first = s.Save();
    Started r;
    r.model.ReadProgramFile(first);
    ASSERT_EQ(r.model.LastBlock() + 1, blocks);
    for (int n = 0; n < blocks; ++n) {
      const Lines& read = r.model.Stored(n).source;
      const Lines body(
          read.begin() + static_cast<std::ptrdiff_t>(BlockBodyStart(r.model.program(), n)),
          read.end());
      EXPECT_EQ(body, bodies[static_cast<std::size_t>(n)]) << "round " << round << " block " << n;
    }
    EXPECT_EQ(r.Save(), first) << "round " << round;
  }
}

TEST(CodeFile, StartUpProgramAfterCompileAll) {
  Started s;
  s.model.CompileAll();
  EXPECT_TRUE(s.model.PrepareCodeFile());
  EXPECT_EQ(s.model.WriteCodeFile(),
            (Lines{"0Q41", "", ";BLOCK 0", "0000", "0000", "0000", "0001", "", "AF18"}));
}

TEST(CodeFile, EmptyCodeQuestions) {
  Started s;
  s.view.source = {"hlt"};
  s.model.AddBlock();
  s.view.source = {"nop"};
  s.model.AddBlock();
  s.view.source = {"hlt"};
  s.view.ppuCaption = "0001";
  s.view.ppu = "0040";
  // Cancel for block 1 of three: asked about blocks 0 and 1 only, nothing else changes.
  s.view.answers = {true, false};
  EXPECT_FALSE(s.model.PrepareCodeFile());
  EXPECT_EQ(s.view.asked, (std::vector<std::string>{"EmptyBlockCode 0", "EmptyBlockCode 1"}));
  // OK each time: sections with the count 0000 and no code.
  s.view.answers = {true, true, true};
  s.view.memoryMode = 1;
  EXPECT_TRUE(s.model.PrepareCodeFile());
  EXPECT_EQ(s.model.WriteCodeFile(),
            (Lines{"1Q41",     "",         ";BLOCK 0", "0000", "0000", "0000", "0000", "",
                   "",         ";BLOCK 1", "0000",     "0000", "0000", "0000", "",     "",
                   ";BLOCK 2", "0001",     "0000",     "0040", "0000", ""}));
  // A block compiled alone is stored with its code on the way; its count stays.
  s.model.CompileBlock();
  s.view.asked.clear();
  s.view.answers = {true, true};
  EXPECT_TRUE(s.model.PrepareCodeFile());
  EXPECT_EQ(s.view.asked, (std::vector<std::string>{"EmptyBlockCode 0", "EmptyBlockCode 1"}));
  EXPECT_EQ(s.model.WriteCodeFile().back(), "AF18");
}

// What a code file states is what it holds: the count is the words listed, and the words a
// failed compile left (placeholders unresolved) are asked about and never written.
TEST(CodeFile, CountsWhatItListsAndNeverAFailedCompile) {
  Started s;
  s.view.source = Lines(25, "nop");
  s.view.source.push_back("hlt");
  s.model.CompileBlock();
  ASSERT_EQ(s.view.code.size(), 26u);
  EXPECT_TRUE(s.model.PrepareCodeFile());
  EXPECT_EQ(s.view.words, "0000");  // the window still shows the count stored before
  EXPECT_EQ(s.model.WriteCodeFile()[6], "001A");

  // Compile all stores block 0, then fails in block 1; block 1's partial code is on screen.
  s.model.AddBlock();
  s.view.source = {"jmp nowhere", "hlt"};
  s.model.CompileAll();
  ASSERT_EQ(s.model.CurrentBlock(), 1);
  ASSERT_FALSE(s.view.code.empty());
  s.view.asked.clear();
  s.view.answers = {false};
  EXPECT_FALSE(s.model.PrepareCodeFile());
  EXPECT_EQ(s.view.asked, (std::vector<std::string>{"FailedBlockCode 1"}));
  s.view.answers = {true};
  EXPECT_TRUE(s.model.PrepareCodeFile());
  const Lines file = s.model.WriteCodeFile();
  EXPECT_EQ(Lines(file.end() - 7, file.end()),
            (Lines{"", ";BLOCK 1", "0000", "0000", "0000", "0000", ""}));

  // Compile all failing in block 0 empties block 1's code, whose stored count stays; the
  // file counts what it lists.
  s.model.SwitchToBlock(0);
  s.view.source = {"bad line"};
  s.model.CompileAll();
  EXPECT_EQ(s.model.Stored(1).wordCount, "0001");
  s.view.answers = {true, true};
  EXPECT_TRUE(s.model.PrepareCodeFile());
  EXPECT_EQ(*(s.model.WriteCodeFile().end() - 2), "0000");
  // A good compile of the block makes its code good again.
  s.view.source = {"hlt"};
  s.model.CompileBlock();
  s.view.answers = {true};
  EXPECT_TRUE(s.model.PrepareCodeFile());
  EXPECT_EQ(s.model.WriteCodeFile()[8], "AF18");
}

}  // namespace
}  // namespace q41

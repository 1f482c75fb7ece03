#pragma once
// The main window as plain fields, which the tests watch the block model through.
// Questions are answered from a script (Cancel when it runs out); notices and warnings are
// recorded.

#include <deque>
#include <vector>

#include "blocks/block_marker.hpp"
#include "blocks/block_model.hpp"
#include "blocks/block_view.hpp"

namespace q41 {

struct PlainView : WorkingCopy,
                   BlockFields,
                   ProgramFields,
                   BlockTabs,
                   CompileDisplay,
                   Questions,
                   StoredBlocksView,
                   AssemblerWarnings {
  BlockViews Views() { return {*this, *this, *this, *this, *this, *this}; }
  Lines source, code, glob = Program::DefaultGlobal(), header = Program::DefaultHeader();
  Lines compText = {"compText"};
  std::string ppuCaption = "0000", cpu = "0000", ppu = "0000", words = "0000";
  PpuSet boxes{};
  int memoryMode = 0;
  std::vector<std::string> tabs = {BlockCaption(0)};
  int selectedTab = 0;
  bool compileTextVisible = false;
  StatusReport status;
  std::array<LampColor, BlockCount> lamps{};
  std::array<bool, BlockCount> enabled{};
  bool focused = false;
  bool caretAtStart = false;  // since the last status
  std::deque<bool> answers;
  // "DeleteBlock", "ClearProgram", "EmptyBlockCode 2", "NewBlockRestricted", "Memory: ..."
  std::vector<std::string> asked;
  std::vector<std::string> warnings;

  Lines Source() const override { return source; }
  void SetSource(const Lines& s, int) override { source = s; }
  Lines Code() const override { return code; }
  bool codeFromFailedCompile = false;
  bool CodeFromFailedCompile() const override { return codeFromFailedCompile; }
  void SetCode(const Lines& c, bool failed) override {
    code = c;
    codeFromFailedCompile = failed;
  }
  std::string PpuListCaption() const override { return ppuCaption; }
  void SetPpuListCaption(const std::string& t) override { ppuCaption = t; }
  void SetPpuBoxes(const PpuSet& set) override {
    boxes = set;
    ppuCaption = PpuListText(set);
  }
  std::string CpuAddress() const override { return cpu; }
  void SetCpuAddress(const std::string& t) override { cpu = t; }
  std::string PpuAddress() const override { return ppu; }
  void SetPpuAddress(const std::string& t) override { ppu = t; }
  std::string WordCount() const override { return words; }
  void SetWordCount(const std::string& t) override { words = t; }
  void SourceCaretToStart() override { caretAtStart = true; }
  void FocusSource() override { focused = true; }
  Lines Header() const override { return header; }
  void SetHeader(const Lines& h) override { header = h; }
  Lines GlobalText() const override { return glob; }
  void SetGlobalText(const Lines& g) override { glob = g; }
  int MemoryMode() const override { return memoryMode; }
  void SetMemoryMode(int mode) override { memoryMode = mode; }
  void MemoryTypeRefused(const std::string& text) override { asked.push_back("Memory: " + text); }
  int TabCount() const override { return static_cast<int>(tabs.size()); }
  void AddTab(const std::string& caption) override { tabs.push_back(caption); }
  void RemoveLastTab() override {
    tabs.pop_back();
    if (selectedTab >= TabCount()) selectedTab = TabCount() - 1;
  }
  void SelectTab(int index) override { selectedTab = index; }
  Lines CompText() const override { return compText; }
  void SetCompText(const Lines& t) override { compText = t; }
  void SetCompileTextVisible(bool v) override { compileTextVisible = v; }
  void ShowLabels() override {}
  void SetStatus(const StatusReport& s) override {
    status = s;
    caretAtStart = false;
  }
  std::string LineCaption() const { return status.lineCaption; }
  void SetLamp(int block, LampColor color) override {
    lamps[static_cast<std::size_t>(block)] = color;
  }
  void SetBlockEnabled(int block, bool e) override { enabled[static_cast<std::size_t>(block)] = e; }
  void StoredBlockChanged(int) override {}
  bool Ask(Question question, int block) override {
    const char* const names[] = {"DeleteBlock", "ClearProgram", "EmptyBlockCode", "FailedBlockCode",
                                 "StaleBlockCode"};
    std::string text = names[static_cast<int>(question)];
    if (question >= Question::EmptyBlockCode) text.append(" ").append(std::to_string(block));
    asked.push_back(text);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void NewBlockRestricted() override { asked.push_back("NewBlockRestricted"); }
  AssemblerWarnings& Warnings() override { return *this; }
  void Warning(const std::string& text) override { warnings.push_back(text); }
};

}  // namespace q41

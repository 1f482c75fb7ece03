#pragma once
// The main window as plain fields, for testing the block model without a display.

#include <deque>
#include <vector>

#include "blocks/block_view.hpp"
#include "blocks/compile.hpp"

namespace q41::test {

struct FakeView : BlockView, AssemblerWarnings {
  Lines source, code, glob = {";Global"}, header = {"Q41 assembler, v.1, 2018"};
  Lines compText = {"compText"};
  std::string ppuCaption = "0000", cpu = "0000", ppu = "0000", words = "0000";
  PpuSet boxes{};
  std::vector<std::string> tabs = {"BLOCK 0"};
  int selectedTab = 0;
  bool compileTextVisible = false;
  StatusReport status;
  std::array<LampColor, 6> lamps{};
  std::array<bool, 6> enabled{};
  bool focused = false;
  std::deque<bool> answers;        // for Ask; an unscripted question is answered Cancel
  std::vector<std::string> asked;  // "DeleteBlock", "ClearProgram", "EmptyBlockCode 2", ...
  std::vector<std::string> warnings;

  Lines Source() const override { return source; }
  void SetSource(const Lines& s) override { source = s; }
  Lines Code() const override { return code; }
  void SetCode(const Lines& c) override { code = c; }
  std::string PpuListCaption() const override { return ppuCaption; }
  void SetPpuListCaption(const std::string& t) override { ppuCaption = t; }
  void SetPpuBoxes(const PpuSet& set) override;
  std::string CpuAddress() const override { return cpu; }
  void SetCpuAddress(const std::string& t) override { cpu = t; }
  std::string PpuAddress() const override { return ppu; }
  void SetPpuAddress(const std::string& t) override { ppu = t; }
  std::string WordCount() const override { return words; }
  void SetWordCount(const std::string& t) override { words = t; }
  void FocusSource() override { focused = true; }
  Lines GlobalText() const override { return glob; }
  void ClearHeaderAndGlobal() override {
    glob.clear();
    header.clear();
  }
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
  void SetStatus(const StatusReport& s) override { status = s; }
  std::string LineCaption() const override { return status.lineCaption; }
  void SetLineCaption(const std::string& t) override { status.lineCaption = t; }
  void SetLamp(int block, LampColor color) override {
    lamps[static_cast<std::size_t>(block)] = color;
  }
  void SetBlockEnabled(int block, bool e) override { enabled[static_cast<std::size_t>(block)] = e; }
  void StoredBlockChanged(int) override {}
  bool Ask(Question question, int block) override;
  void NewBlockRestricted() override { asked.push_back("NewBlockRestricted"); }
  AssemblerWarnings& Warnings() override { return *this; }
  void Warning(const std::string& text) override { warnings.push_back(text); }
};

}  // namespace q41::test

#pragma once
// Helpers shared by the translator tests: texts written in UTF-8 here are converted to the
// system's code page, and a text for compilation is assembled with an identity line map.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/compil.hpp"
#include "common/cp1251.hpp"

namespace q41::test {

inline std::string W(std::string_view utf8) {
  return Utf8ToCp1251(utf8);
}

// The warnings an assembly told, with the source line each is about (0: the whole block).
struct RecordedWarnings : AssemblerWarnings {
  std::vector<std::string> texts;
  std::vector<std::int32_t> lines;
  void Warning(const std::string& text) override { WarningAt(text, 0); }
  void WarningAt(const std::string& text, std::int32_t line) override {
    texts.push_back(text);
    lines.push_back(line);
  }
};

struct Assembled {
  AssembleResult result;
  LabelTable labels;
  Lines compText;
  SourceLineMap lineMap;
  std::vector<std::string> warnings;

  std::string Code() const {
    std::string out;
    for (const auto& w : result.code) out += (out.empty() ? "" : " ") + w;
    return out;
  }
};

// Assembles `compText` as if line k of it came from source line k.
inline Assembled AssembleText(Lines compText, AssemblerOptions options = {},
                              Lines glob = {";Global"}) {
  Assembled a;
  a.compText = std::move(compText);
  for (std::size_t k = 1; k <= a.compText.size(); ++k) a.lineMap.Set(k, static_cast<int>(k));
  RecordedWarnings warnings;
  const Lines source = a.compText;  // pass 1 shortens the text; the source stays as it was
  a.result = Assemble(a.compText, a.lineMap, glob, source, a.labels, options, &warnings);
  a.warnings = warnings.texts;
  return a;
}

constexpr AssemblerOptions English{Language::English, true};

}  // namespace q41::test

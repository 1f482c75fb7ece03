#pragma once
// What a block's last compile left behind: the source it read, the code it gave, the source
// line of every word and the line of its fault. The windows draw the links between code and
// source, the listing and the fault mark from it, and the code file asks from it whether a
// block's code is older than its text; no window keeps a copy of its own, so they cannot
// disagree about whether the last compile is still the text's.

#include <cstdint>
#include <vector>

#include "common/text.hpp"

namespace q41 {

struct CompileHistory {
  bool compiled = false;  // false until the block's first compile (and after it is cleared)
  Lines source;           // the source as the compile read it
  Lines global;           // and the GLOBAL text it read, whose values the code holds
  Lines code;             // its code, also the partial code of a failed compile
  std::vector<std::int32_t> wordSourceLine;  // for each word, its 1-based source line
  // The 1-based line of the last fault, 0 for none. It follows the faulty text as lines
  // above it are added or deleted (see BlockModel::FaultMoved), until the next compile.
  int faultLine = 0;
  bool succeeded = false;
  // A failed compile's fault: its message, and its 1-based line of `source` (0 when it is on
  // no line of the block), which stays where the compile found it.
  std::string fault;
  int faultLineCompiled = 0;

  // Whether the last compile was of `text`: its code and links still describe it.
  bool CurrentFor(const Lines& text) const { return compiled && source == text; }
  // Whether its code is still what a compile would give: neither the text nor the GLOBAL
  // text changed since.
  bool CodeCurrentFor(const Lines& text, const Lines& globalText) const {
    return CurrentFor(text) && global == globalText;
  }
  // The same, and `shownCode` is still the code it gave (a cleared code has no links).
  bool CurrentFor(const Lines& text, const Lines& shownCode) const {
    return CurrentFor(text) && code == shownCode;
  }
};

}  // namespace q41

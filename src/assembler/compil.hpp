#pragma once
// The assembler: three passes over the text for compilation of one block.
//   1. CollectLabels enters the GLOBAL names, every code label and every constant into the
//      label table and removes the constant definitions from the text;
//   2. EncodeInstructions turns each instruction line into one to three code words and gives
//      each code label the address of the next word; label operands become "@" placeholders;
//   3. ResolveReferences fills the placeholders and computes the branch displacements.
// The first fault ends the run; it is reported with the source line it came from.

#include <string>
#include <string_view>

#include "assembler/label_table.hpp"
#include "common/err_diag.hpp"
#include "common/text.hpp"

namespace q41 {

struct AssemblerOptions {
  Language language = Language::Russian;
  bool useShortConst = true;
};

// The modal warnings of a run ("No HLT command!" and the operand warning). The run waits
// for Warning to return and then goes on.
class AssemblerWarnings {
 public:
  virtual ~AssemblerWarnings() = default;
  virtual void Warning(const std::string& text) = 0;
  // The same, told with the 1-based source line it is about (0 for the whole block), for
  // those that show warnings in place rather than in a box.
  virtual void WarningAt(const std::string& text, std::int32_t /*sourceLine*/) { Warning(text); }
};

struct AssembleResult {
  // Code words, one per line; after a fault, the words up to and including the failing
  // line, with any placeholders still unresolved.
  Lines code;
  // For each code word, the 1-based source line that produced it.
  std::vector<std::int32_t> wordSourceLine;
  // The first diagnostic of the run; empty on success.
  std::string errorText;
  // LineLab, ErrLab and the selection in the source editor. On success LineLab is the
  // success message, ErrLab is empty and the selection is cleared.
  StatusReport status;

  bool Succeeded() const { return errorText.empty(); }
};

// Assembles `compText`, which pass 1 shortens in place (constant definitions leave it), with
// `lineMap` shifted to match. `glob` is the GLOBAL text, `source` the block's source as the
// editor holds it now (for the line shown with a fault). `labels` is reset and refilled;
// its rows after LabelCount keep whatever they held. `warnings` may be null.
AssembleResult Assemble(Lines& compText, SourceLineMap& lineMap, const Lines& glob,
                        SourceText source, LabelTable& labels, const AssemblerOptions& options,
                        AssemblerWarnings* warnings);

}  // namespace q41

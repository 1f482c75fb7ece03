#pragma once
// The preprocessor turns a block's source into the text for compilation: one statement or
// definition per line, upper case, blanks normalised, comments gone, "DS" strings and "RW "
// blocks expanded, character constants replaced by their codes, and every label or constant
// name split off onto a line of its own. Each source line runs through seven stages in
// order; the run stops after the first line on which a stage finds a fault.

#include <string>

#include "common/err_diag.hpp"
#include "common/text.hpp"

namespace q41 {

struct PreprocessResult {
  // PreprocErrorText: empty when no stage found a fault.
  std::string errorText;
  // On a fault: LineLab ("N: " and the line as the failing stage held it), ErrLab, and the
  // whole faulty source line selected. Untouched (empty, unchanged selection) on success.
  StatusReport status;

  bool Succeeded() const { return errorText.empty(); }
};

// Appends the text for compilation of `source` to `compText` (which the caller empties
// first) and records each written line's source line in `lineMap`. After a fault the text
// holds everything up to and including what the faulty line left.
PreprocessResult Preprocess(SourceText source, Lines& compText, SourceLineMap& lineMap,
                            Language language);

}  // namespace q41

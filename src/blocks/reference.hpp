#pragma once
// The instruction reference: an entry for every mnemonic of the instruction table and for
// the operand forms, the number notations and the directives, in the interface language.
// What states a fact of the table (names, templates, operand kinds, register codes) is read
// from the table itself, and each example's code words come from assembling the example, so
// the reference cannot drift from the assembler. Texts are UTF-8 HTML.

#include <string>
#include <vector>

#include "common/err_diag.hpp"

namespace q41 {

struct ReferenceEntry {
  std::string key;    // the mnemonic, or a topic's name
  std::string title;  // as listed
  std::string html;
};

// The topics first, then the mnemonics in the order of the table.
std::vector<ReferenceEntry> InstructionReference(Language language);

}  // namespace q41

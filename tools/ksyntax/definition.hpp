#pragma once
// The syntax definition of Q41 source for the editors built on the KDE frameworks' syntax
// engine (Kate, KWrite, KDevelop, Qt Creator), made from the instruction table so that a
// mnemonic added to the table is coloured there too. Its kinds are the windows' (LineTokens):
// its items are named after them.
//
// The windows colour a line by the preprocessor's own reading of it: a line the preprocessor
// or the assembler refuses shows no colour but its comment's, and what a part is can depend
// on the whole line. That engine colours left to right by regular expressions switching
// between contexts, and cannot take a colour back. So the definition decides at the first
// column, with one look ahead over the whole line (line_reading), whether the line reads; only
// then do its contexts colour the parts, each context knowing what of the line lies behind
// it: which of the separators that take blanks away were passed, whether the character
// constant was, and whether the line holds "#", where a run of blanks stands at its first
// column rather than its last, which shows where a part ends on a blank.

#include <string>

namespace q41::ksyntax {

// The definition's XML text.
std::string SyntaxDefinition();

}  // namespace q41::ksyntax

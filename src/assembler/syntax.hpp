#pragma once
// What each part of a source line is, for colouring it. The lexical rules are the
// preprocessor's: the first ";" starts a comment wherever it stands (in a string or a
// character constant too), and upper and lower case count alike. Mnemonic and register names
// come from the instruction table.

#include <string_view>
#include <vector>

namespace q41 {

enum class SyntaxKind {
  Mnemonic,
  Register,            // R0 to R3, (R0) to (R3), with a byte mark "%" or not
  Number,              // in any notation the assembler reads, "#" and "-" included
  Text,                // a character constant #'c', or the string of the string directive
  LabelDefinition,     // NAME:
  LabelUse,            // a name as an operand
  ConstantDefinition,  // NAME = (the name and the "=")
  ReservedWords,       // the RW directive
  Comment,
};

struct SyntaxSpan {
  int start = 0;  // byte offset in the line
  int length = 0;
  SyntaxKind kind = SyntaxKind::Comment;
  bool operator==(const SyntaxSpan&) const = default;
};

// The spans of one line, in order, not overlapping; what they leave out (blanks, commas,
// text the assembler would refuse) has no colour.
std::vector<SyntaxSpan> SyntaxSpans(std::string_view line);

}  // namespace q41

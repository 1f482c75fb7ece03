#pragma once
// What each part of a source line is, for colouring it. The line is read by the
// preprocessor's own code (ReadSourceLine), not by a second lexer: the first ";" starts a
// comment wherever it stands, "DS" followed by any character is the string directive, "RW "
// is the reserved-words directive only where the preprocessor expands it, a blank is code 32
// alone, and a..z are the only letters that fold. The mnemonic is the word the preprocessor
// passes on, looked up in the instruction table as the assembler looks it up; its
// descriptor tells how the operands are read.
//
// A line the preprocessor refuses, or whose operation the assembler does not know (a line
// indented by a tab character is one), gets no colour but its comment's.

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
std::vector<SyntaxSpan> LineTokens(std::string_view line);

// The spans of a line of the GLOBAL text, read as the label table reads it: a line whose
// first character other than a blank is ";" is a comment; any other is "NAME = VALUE", the
// name with its "=" a constant's definition and the value a number when the label table
// reads it as one (blanks anywhere left out); a line it refuses has no colour.
std::vector<SyntaxSpan> GlobalLineTokens(std::string_view line);

}  // namespace q41

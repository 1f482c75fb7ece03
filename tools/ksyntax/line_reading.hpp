#pragma once
// The preprocessor's reading of one line, written as regular expressions, for the syntax
// definition of the KDE frameworks' editors: whether a line reads (the preprocessor finds no
// fault, a constant's value is a number, the statement's first word is in the table), and the
// pieces of expression the definition's contexts colour with.
//
// What the reading turns on, and so what the expressions follow:
// - the first ";" ends the code, even inside a string or a character constant;
// - a blank is code 32 alone, and only a..z fold; a tab is an ordinary character;
// - runs of blanks fold to one; the blanks beside the first ",", ":", "=" and "%" of a line
//   go (counting those inside the first character constant, which is read before the names
//   are split off but is gone by then);
// - "NAME:" and then "NAME=" split off at the first ":" and "=" outside that constant; a
//   name holds no blank and no comma and starts with neither a digit nor "-";
// - only the first #'c' of a line is a character constant; its code takes its place;
// - after a label, whatever ends in ":" reads as one more label.
// One reading is left out: an RW count written in decimal beyond 4294967295 wraps round in
// the preprocessor and may land back in range; these expressions take such a count as
// refused, since no regular expression of a sane size counts modulo 2^32.
//
// The expressions are for PCRE2 as Qt passes them on: named groups that call each other, and
// possessive quantifiers where giving blanks back would read a line another way.

#include <string>
#include <string_view>
#include <vector>

namespace q41::ksyntax {

// The end of the code: trailing blanks, then the comment or the end of the line.
extern const std::string End;
// The first character constant as it stands in a line that reads.
extern const std::string LooseConstant;
// A register operand without its byte mark.
extern const std::string RegisterName;

// The names, each as the preprocessor matches it (a..z fold), longest first.
std::string Alternatives(std::vector<std::string_view> names);

// A look ahead for `c` outside the first character constant; `constantRead` when that
// constant lies behind.
std::string AheadOutsideConstant(char c, bool constantRead);

// The string directive's shape from the first column: "DS" and at least one character after
// an optional label (everything before the first ":", the constant's too).
std::string StringShape();

// A look ahead from the first column, and the named groups it calls, to be put together as
// "^" + definitions + test.
struct FirstColumnTest {
  std::string definitions;
  std::string test;
};
// Whether a line of the string directive's shape reads: its label makes a name.
FirstColumnTest StringReads();
// Whether any other line reads.
FirstColumnTest StatementReads();

}  // namespace q41::ksyntax

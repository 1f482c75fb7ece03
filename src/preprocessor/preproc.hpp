#pragma once
// The preprocessor turns a block's source into the text for compilation: one statement or
// definition per line, upper case, blanks normalised, comments gone, "DS" strings and "RW "
// blocks expanded, character constants replaced by their codes, and every label or constant
// name split off onto a line of its own. Each source line runs through seven stages in
// order; the run stops after the first line on which a stage finds a fault.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/err_diag.hpp"
#include "common/text.hpp"

namespace q41 {

struct PreprocessResult {
  // PreprocErrorText: empty when no stage found a fault.
  std::string errorText;
  // On a fault: LineLab ("N: " and the line as the failing stage held it), ErrLab, the
  // whole faulty source line selected, and the place of the text the message quotes.
  // Untouched (empty, unchanged selection, no place) on success.
  StatusReport status;

  bool Succeeded() const { return errorText.empty(); }
};

// Appends the text for compilation of `source` to `compText` (which the caller empties
// first) and records each written line's source line and piece in `lineMap`. After a fault
// the text holds everything up to and including what the faulty line left.
PreprocessResult Preprocess(SourceText source, Lines& compText, SourceLineMap& lineMap,
                            Language language);

// One source line as the preprocessor reads it, for the tools that show the source to the
// user (colouring, fault marks, names). It is the preprocessor's own reading, run on the line
// alone with the column of each character kept, so that what the user is shown and what is
// compiled cannot drift apart.
struct ReadPiece {
  std::string text;                    // as the preprocessor passes it on
  std::vector<std::uint32_t> columns;  // for each byte of text, the byte of the line it is from
};
struct LineReading {
  std::size_t codeEnd = 0;  // where the comment starts; the line's length when it has none
  // The string directive: where its "DS" and its string (which runs to codeEnd) start. Its
  // label, when it has one, is the first piece.
  bool isString = false;
  std::size_t stringDirectiveAt = 0;
  std::size_t stringAt = 0;
  // The names split off (each ends in ":" or "="), then what remains: a constant's value or
  // a statement. A string's data words and its length constant are not among them.
  std::vector<ReadPiece> pieces;
  // The statement was "RW " and a count, which the preprocessor expands into that many
  // reserved words; the piece keeps "RW " and the count.
  bool reservedWords = false;
  // The preprocessor's fault on this line (as the only line of a block); empty for none.
  std::string errorText;
};
LineReading ReadSourceLine(std::string_view line, Language language);

// Where bytes [at, at + length) of line `compLine` (1-based) of the text for compilation,
// whose text is `compiled`, stand in `source`: the columns of the piece of its source line
// that it is, by the reading above. A line the preprocessor made stands for its directive:
// a string's "DS" and string, or the "RW " statement. A line that is no longer the piece it
// was (the text for compilation edited by hand) stands for the whole code of its source
// line; one traced to no line of `source`, for no place (line 0). An empty span is the
// whole piece.
SourcePlace PlaceInSource(SourceText source, const SourceLineMap& lineMap, std::int64_t compLine,
                          std::string_view compiled, std::size_t at, std::size_t length);

}  // namespace q41

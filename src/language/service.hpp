#pragma once
// The language service: what the tools that show Q41 source to the user (the windows'
// colouring, fault marks and listing, the command-line tool) ask about a block, answered
// from one place. It has no Qt and does no I/O. The tokens of a line come from the
// preprocessor's own reading of it (tokens.hpp); the fault, the names' values and the
// listing come from a real preprocess and assemble run on a workspace of its own, so asking
// changes nothing the user sees (no lamp, code, label grid, status or stored block).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "assembler/compil.hpp"
#include "blocks/listing.hpp"
#include "common/text.hpp"
#include "language/tokens.hpp"

namespace q41 {

// The first fault of a compile: where (line 0 when the run names no line) and what.
struct BlockFault {
  SourcePlace place;
  std::string lineCaption;  // LineLab and ErrLab as the compile left them
  std::string errCaption;
};

// A label or constant: where it is defined, where it is used (each place is the name alone),
// and its value after the compile (empty when the compile did not reach it).
struct NameFacts {
  std::string name;                               // as the assembler knows it, in upper case
  SyntaxKind kind = SyntaxKind::LabelDefinition;  // or ConstantDefinition (GLOBAL too)
  bool defined = false;
  SourcePlace definition;
  std::vector<SourcePlace> uses;
  std::string value;
  // A string's label X and its length constant LEN(X), which the string directive makes: the
  // constant is defined by the directive ("DS", its place) and names its label here; the
  // label holds the places of its name inside the constant's uses, the "X" of "LEN(X)", which
  // a new name for the label must follow.
  std::string lengthOf;
  std::vector<SourcePlace> inLengths;
};

// A warning of the compile (a bare name where a value was more likely meant, a block
// without HLT), placed on the line it is about; a block's warning stands on its last line
// with code.
struct BlockWarning {
  SourcePlace place;
  std::string text;
};

struct BlockFacts {
  bool compiled = false;
  std::optional<BlockFault> fault;  // the first fault, when there is one
  std::vector<BlockWarning> warnings;
  std::vector<NameFacts> names;  // in the order of their first mention, GLOBAL first
  Lines code;
  std::vector<std::int32_t> wordSourceLine;
  std::vector<ListingRow> listing;  // a row for every source line, and continuations
};

// Compiles `source` with `glob` on a workspace of its own and gathers the facts above.
BlockFacts ReadBlock(SourceText source, const Lines& glob, const AssemblerOptions& options);

}  // namespace q41

#pragma once
// The places a name stands in a whole program, and a new name for it. A rename must leave
// the program as it was to the assembler: every place of the name is written, the "X" of a
// string's "LEN(X)" too, and a new name is refused when it is no free name (a "#", a
// register, a reserved word, a name already defined, a character no name may hold) or when
// the program, with it written in, would not compile to the same code. No Qt, no I/O; texts
// are Windows-1251 bytes.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "language/program.hpp"

namespace q41 {

// A place of a block (any block for GLOBAL's places).
struct ProgramPlace {
  int block = 0;
  SourcePlace place;
};

// The name whose definition or use covers byte `column` of line `fileLine` (0-based) of the
// file, and every place that names it: a GLOBAL name's places in every block. Null name and
// no places for none.
struct NamedPlaces {
  const NameFacts* name = nullptr;
  std::vector<ProgramPlace> places;
};
NamedPlaces NamedPlacesAt(const ProgramFacts& program, std::size_t fileLine, int column);

// Why `newName` may not stand where `name` stands, in `language`; empty when it may.
std::string NameRefusal(const ProgramFacts& program, const NameFacts& name,
                        std::string_view newName, Language language);

// The places to write `newName` in for renaming the name at `column` of `fileLine` of `file`,
// which `program` was read from with `options`; or, in `refusal`, why not. Renaming at
// "LEN(X)" renames the string's label X.
struct RenamePlan {
  std::vector<ProgramPlace> places;
  std::string refusal;
};
RenamePlan PlanRename(const Lines& file, const ProgramFacts& program, std::size_t fileLine,
                      int column, std::string_view newName, const AssemblerOptions& options);

}  // namespace q41

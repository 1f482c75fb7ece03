#pragma once
// What an editor asks about a place in a block's source, answered from the facts of its last
// check (service.hpp) and the line's tokens: the name there and where it is defined and
// used, a short description for hovering, and the words that may complete what is being
// typed. No Qt, no I/O; texts are Windows-1251 bytes like the source (the reference's
// entries, UTF-8 HTML, are marked as such).

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "language/service.hpp"

namespace q41 {

// The label or constant whose definition or use covers `column` (a byte offset) of block
// line `line` (1-based), or of GLOBAL line `line` when `inGlobal`; null for none.
const NameFacts* NameAt(const BlockFacts& facts, bool inGlobal, std::int32_t line, int column);

// The line of a whole file (1-based) where a place of a block or of GLOBAL stands, for an
// editor that shows the program file; none where the place is told as its block's line or
// GLOBAL's, as the windows show them.
using FileLineOf = std::function<std::optional<std::int32_t>(const SourcePlace&)>;

// A name's kind, its value or address from the check, and where it is defined.
std::string DescribeName(const NameFacts& name, Language language, const FileLineOf& fileLine = {});

// Every place that names `name`: its definition first (when it has one), then its uses.
std::vector<SourcePlace> PlacesOf(const NameFacts& name);

struct Hover {
  std::string text;
  bool html = false;  // a reference entry, UTF-8 HTML; else plain Windows-1251 text
  int start = 0;      // the token described, in bytes of the line
  int length = 0;
};

// What to show for the token at `column` of block line `line` (text `text`): a mnemonic's
// reference entry, a name's kind, value and definition, a number's value in three
// notations, a register's code.
std::optional<Hover> HoverAt(const BlockFacts& facts, std::string_view text, std::int32_t line,
                             int column, Language language, const FileLineOf& fileLine = {});

// The same for a line of the GLOBAL text: a constant's kind, value and definition, a
// number's value.
std::optional<Hover> GlobalHoverAt(const BlockFacts& facts, std::string_view text,
                                   std::int32_t line, int column, Language language,
                                   const FileLineOf& fileLine = {});

enum class CompletionKind { Mnemonic, Register, Label, Constant };

struct Completion {
  std::string word;
  // Windows-1251, one line: the kind, its value or address, where it is defined
  // ("constant, value 0005H; defined in GLOBAL").
  std::string detail;
  CompletionKind kind = CompletionKind::Mnemonic;
};

// The word being typed that ends at `column`: the letters, digits and "_" before it.
std::string_view WordBefore(std::string_view line, int column);

// Where the word that ends at `column` of `line` stands, as the line is read: where a
// statement's operation goes (after blanks, or after a label), among the operands of an
// operation where a register or a name may stand, right after "#", where only a name's
// value may stand, a branch's target, where only a label may, in a comment, or where no word
// may stand at all (a port, a number, a string, an operand too many).
enum class CompletionPlace { Operation, Operand, Value, Label, Comment, Nothing };
CompletionPlace CompletionPlaceAt(std::string_view line, int column);

// `word` (which begins with `typed`, letters of either case alike) as the user goes on
// writing it: what was typed as typed, the rest in the case of its last letter typed (upper
// case when none). The language does not tell the cases of a..z apart, and an editor keeps
// only what begins with the text typed, as typed.
std::string InTypedCase(std::string_view word, std::string_view typed);

// The first `limit` of the words below, and how many more match: an editor shows a few, and
// a program may hold a hundred thousand names. Details are built for the words returned only.
struct CompletionList {
  std::vector<Completion> words;
  std::size_t more = 0;
};

// The words that begin with `prefix` (letters of either case alike) that may stand at
// `place`: mnemonics where the operation goes; registers (not after "#"), then the block's
// names, then GLOBAL's among the operands; the block's labels alone as a branch's target;
// each with a short description.
CompletionList CompletionsFor(const BlockFacts& facts, std::string_view prefix,
                              CompletionPlace place, Language language, std::size_t limit,
                              const FileLineOf& fileLine = {});
// All of them.
std::vector<Completion> CompletionsFor(const BlockFacts& facts, std::string_view prefix,
                                       CompletionPlace place, Language language,
                                       const FileLineOf& fileLine = {});

}  // namespace q41

#pragma once
// What the system says when something goes wrong. Diagnostics are plain texts composed from
// one of twenty messages in the interface language plus the offending text; a non-empty
// error text is both the failure flag and what the user reads. No numeric code travels with
// a diagnostic, and only the first faulty line of a run is ever reported.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace q41 {

enum class Language : std::uint8_t { Russian = 0, English = 1 };

// A text in both interface languages (UTF-8 source text). Every text shown in the user's
// language is picked from such a pair, and only here.
struct Bilingual {
  const char* russian;
  const char* english;
  constexpr const char* In(Language language) const {
    return language == Language::English ? english : russian;
  }
};

// Message numbers, named after what they say.
enum Msg : int {
  MsgBadNumberSymbol = 0,
  MsgBadIdentifierSymbol = 1,
  MsgConstTooLarge = 2,
  MsgDuplicateLabel = 3,
  MsgLabelNotFound = 4,
  MsgCommaNotFound = 5,
  MsgBadPort = 6,
  MsgConstForbidden = 7,
  MsgUnknownOperation = 8,
  MsgExtraOperand = 9,
  MsgMissedOperand = 10,
  MsgByteForbidden = 11,
  MsgDisplacementTooLong = 12,
  MsgInvalidValue = 13,
  MsgMixingByteWord = 14,
  MsgIdentifierStartsBadly = 15,
  MsgSuccess = 16,
  MsgBadMemoryType = 17,
  MsgNoValueAfterHash = 18,
  MsgEqualsNotFound = 19,
  MessageCount = 20
};

// Message n in the given language, as Windows-1251 bytes.
const std::string& Message(Language language, int n);

// The composition forms: "message", "message: text", "message: first<=>second".
std::string Compose(Language language, int n);
std::string Compose(Language language, int n, std::string_view text);
std::string ComposePair(Language language, int n, std::string_view first, std::string_view second);

// The language of the messages for the tools run from a shell: the first of LC_ALL,
// LC_MESSAGES and LANG that is set, Russian when it begins with "ru", else English.
Language LanguageOfEnvironment();

// The warning of a block without HLT; English in both interface languages.
inline constexpr std::string_view NoHltWarning = "No HLT command!";

// Traces each line of the text for compilation back to the source line that produced it.
// Entry k (k >= 1) is the 1-based source line of line k; entry 0 is never used. The map
// grows with the text, so any size of block can be traced. It is not cleared between runs:
// entries beyond the current text are stale, and an entry never written reads as 0.
//
// Beside the line, each entry keeps which piece of its source line line k is: the index
// among the pieces the preprocessor's reading of that line gives (ReadSourceLine: a label,
// a constant name, what remains), or Made for a line the preprocessor made rather than split
// off (a string's data words and length constant, the words of "RW "). That is all a fault
// needs to find its columns again: the reading of the one source line gives each byte of a
// piece its column, so no run pays for columns it will never show.
class SourceLineMap {
 public:
  static constexpr std::uint8_t Made = 255;

  std::int32_t Get(std::int64_t k) const {
    return (k >= 0 && static_cast<std::uint64_t>(k) < entries_.size()) ? entries_[k] : 0;
  }
  std::uint8_t Piece(std::int64_t k) const {
    return (k >= 0 && static_cast<std::uint64_t>(k) < pieces_.size()) ? pieces_[k] : Made;
  }
  void Set(std::size_t k, std::int32_t sourceLine, std::uint8_t piece = 0) {
    if (k == entries_.size()) {
      entries_.push_back(sourceLine);
      pieces_.push_back(piece);
      return;
    }
    if (k > entries_.size()) {
      entries_.resize(k + 1, 0);
      pieces_.resize(k + 1, Made);
    }
    entries_[k] = sourceLine;
    pieces_[k] = piece;
  }
  // Entry `to` becomes what entry `from` is (both within the map).
  void Copy(std::size_t from, std::size_t to) {
    Set(to, Get(static_cast<std::int64_t>(from)), Piece(static_cast<std::int64_t>(from)));
  }
  void Reserve(std::size_t entries) {
    entries_.reserve(entries + 1);
    pieces_.reserve(entries + 1);
  }

 private:
  std::vector<std::int32_t> entries_;
  std::vector<std::uint8_t> pieces_;
};

// A place in the block's source or in the GLOBAL text: a line (1-based) and the bytes
// [start, start + length) of it. Line 0 is no place: what it belongs to names no line.
struct SourcePlace {
  bool inGlobal = false;
  std::int32_t line = 0;
  int start = 0;
  int length = 0;
  bool operator==(const SourcePlace&) const = default;
};

// What a run does to the selection of the source editor.
struct Selection {
  enum class Kind { Unchanged, Clear, Line };
  Kind kind = Kind::Unchanged;
  int row = 0;     // 0-based row of the selected line (Kind::Line)
  int length = 0;  // characters selected from the start of that row
};

// The two status captions and the editor selection that a run leaves behind, and the place
// of the fault: the text its message quotes (or, for a message that quotes none, the
// operand or statement it is about), as the stage that raised it found it.
struct StatusReport {
  std::string lineCaption;  // LineLab: where the fault is, or the success message
  std::string errCaption;   // ErrLab: the diagnostic itself
  Selection selection;
  SourcePlace place;  // line 0 on success and for a fault of no line
};

}  // namespace q41

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
class SourceLineMap {
 public:
  std::int32_t Get(std::int64_t k) const {
    return (k >= 0 && static_cast<std::uint64_t>(k) < entries_.size()) ? entries_[k] : 0;
  }
  void Set(std::size_t k, std::int32_t sourceLine) {
    if (k == entries_.size()) {
      entries_.push_back(sourceLine);
      return;
    }
    if (k > entries_.size()) entries_.resize(k + 1, 0);
    entries_[k] = sourceLine;
  }
  void Reserve(std::size_t entries) { entries_.reserve(entries + 1); }

 private:
  std::vector<std::int32_t> entries_;
};

// What a run does to the selection of the source editor.
struct Selection {
  enum class Kind { Unchanged, Clear, Line };
  Kind kind = Kind::Unchanged;
  int row = 0;     // 0-based row of the selected line (Kind::Line)
  int length = 0;  // characters selected from the start of that row
};

// The two status captions and the editor selection that a run leaves behind.
struct StatusReport {
  std::string lineCaption;  // LineLab: where the fault is, or the success message
  std::string errCaption;   // ErrLab: the diagnostic itself
  Selection selection;
};

}  // namespace q41

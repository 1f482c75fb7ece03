#pragma once
// Every text of the system is a string of Windows-1251 bytes, so one character is one byte
// and a Cyrillic letter is a code from 192 to 255. Character codes are always read through
// unsigned char; upper-casing touches a..z only and a blank is code 32 only, because the
// assembler's rules are defined on exactly those characters and must not follow a locale.

#include <string>
#include <string_view>
#include <vector>

namespace q41 {

using Lines = std::vector<std::string>;

constexpr char Blank = ' ';

inline unsigned char Code(char c) {
  return static_cast<unsigned char>(c);
}
inline bool IsDecimalDigit(char c) {
  return c >= '0' && c <= '9';
}
inline char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Upper-cases a..z in place and returns the text.
std::string& MakeUpper(std::string& text);
bool StartsWith(std::string_view text, std::string_view prefix);

// Lines read in place: views into text that lives elsewhere.
using LineViews = std::vector<std::string_view>;

// A block's source for reading, whether a list of lines or views into a file's bytes
// holds it: the translator reads either in place, without a copy.
class SourceText {
 public:
  SourceText(const Lines& lines) : lines_(&lines) {}      // NOLINT: converts on purpose
  SourceText(const LineViews& views) : views_(&views) {}  // NOLINT: converts on purpose
  std::size_t size() const { return lines_ != nullptr ? lines_->size() : views_->size(); }
  std::string_view operator[](std::size_t k) const {
    return lines_ != nullptr ? std::string_view((*lines_)[k]) : (*views_)[k];
  }

 private:
  const Lines* lines_ = nullptr;
  const LineViews* views_ = nullptr;
};

// Splits file bytes into lines: CR LF, CR and LF each end a line, and a line break at the
// very end adds no empty line (so an empty input gives no lines at all). The views point
// into `bytes`.
Lines SplitLines(std::string_view bytes);
LineViews SplitLineViews(std::string_view bytes);

// Joins lines with the given end-of-line text after every line, the last one included.
std::string JoinLines(const Lines& lines, std::string_view eol = "\r\n");

}  // namespace q41

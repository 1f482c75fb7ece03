#pragma once
// Reading and writing numbers in the Q41 notation: decimal digits, or hexadecimal digits
// with a final upper-case "H"; code words and addresses are exactly four upper-case
// hexadecimal digits of a 16-bit value. None of these functions reads past the end of its
// text: an empty text is a bad number.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/err_diag.hpp"

namespace q41 {

struct ParsedNumber {
  std::int32_t value = 0;
  bool failed = false;
};

// A literal without sign or blanks. Digits accumulate in 32 bits and wrap modulo 2^32; a
// bad character (or an empty text) gives value 0 with failed set.
ParsedNumber ParseNumber(std::string_view text);
// The hexadecimal branch of ParseNumber; `text` still carries its final "H".
ParsedNumber ParseHexDigits(std::string_view text);

// The hexadecimal digits in upper case, the only ones a code word or an address shows.
inline constexpr char HexDigits[] = "0123456789ABCDEF";
constexpr char HexDigit(int value) {
  return HexDigits[value & 15];
}
// The value of an upper-case hexadecimal digit; -1 for any other character.
int HexDigitValue(char c);
// Pads `text` on the left with "0" to four characters (a longer text stays as it is), the
// width of a code word, an address and a word count.
std::string& PadToFourDigits(std::string& text);

// Plain decimal digits of a non-negative number: no sign, no leading zeros.
std::string DecimalText(std::int64_t n);
// Exactly four upper-case hexadecimal digits of the low 16 bits of n.
std::string HexWordText(std::int64_t n);

// Where the text a fault quotes stands in the text as it was given: its first byte and its
// length.
struct QuotedSpan {
  std::size_t at = 0;
  std::size_t length = 0;
};

// Turns a number as written (decimal with an optional leading "-", or hexadecimal ending in
// "H") into the four hexadecimal digits of its 16-bit value, in place. On a fault it sets
// `errorText` (message 0 or 2 with the offending text) and, when given, `quoted` (where that
// text stood), leaves `text` as the failing step left it and returns false; it never reports
// the fault itself.
bool NormalizeNumber(std::string& text, Language language, std::string& errorText,
                     QuotedSpan* quoted = nullptr);

}  // namespace q41

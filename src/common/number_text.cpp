#include "common/number_text.hpp"

#include <utility>

#include "common/text.hpp"

namespace q41 {
int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string& PadToFourDigits(std::string& text) {
  if (text.size() < 4) text.insert(0, 4 - text.size(), '0');
  return text;
}

ParsedNumber ParseNumber(std::string_view text) {
  if (text.empty()) return {0, true};
  if (text.back() == 'H') return ParseHexDigits(text);
  std::uint32_t value = 0;  // unsigned: a number too long for 32 bits wraps, which is defined
  for (char c : text) {
    if (!IsDecimalDigit(c)) return {0, true};
    value = value * 10U + static_cast<std::uint32_t>(c - '0');
  }
  return {static_cast<std::int32_t>(value), false};
}

ParsedNumber ParseHexDigits(std::string_view text) {
  if (!text.empty()) text.remove_suffix(1);
  std::uint32_t value = 0;
  for (char c : text) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return {0, true};
    value = value * 16U + static_cast<std::uint32_t>(digit);
  }
  return {static_cast<std::int32_t>(value), false};
}

std::string DecimalText(std::int64_t n) {
  std::uint64_t u = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  char buffer[24];
  char* p = buffer + sizeof buffer;
  do {
    *--p = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u != 0);
  return std::string(p, buffer + sizeof buffer);
}

std::string HexWordText(std::int64_t n) {
  const auto u = static_cast<std::uint64_t>(n);
  return {HexDigit(static_cast<int>(u >> 12)), HexDigit(static_cast<int>(u >> 8)),
          HexDigit(static_cast<int>(u >> 4)), HexDigit(static_cast<int>(u))};
}

namespace {

bool Refuse(std::string& errorText, std::string message, QuotedSpan* quoted, QuotedSpan span) {
  errorText = std::move(message);
  if (quoted != nullptr) *quoted = span;
  return false;
}

}  // namespace

bool NormalizeNumber(std::string& text, Language language, std::string& errorText,
                     QuotedSpan* quoted) {
  if (!text.empty() && text.back() == 'H') {
    text.pop_back();
    std::size_t bad = std::string::npos;
    // A later bad character replaces the text of an earlier one.
    for (std::size_t k = 0; k < text.size(); ++k) {
      if (HexDigitValue(text[k]) < 0) bad = k;
    }
    if (bad != std::string::npos) {
      return Refuse(errorText, Compose(language, MsgBadNumberSymbol, text.substr(bad, 1)), quoted,
                    {bad, 1});
    }
    std::size_t zeros = 0;
    while (text.size() - zeros > 4 && text[zeros] == '0') ++zeros;
    text.erase(0, zeros);
    PadToFourDigits(text);
    if (text.size() > 4) {
      return Refuse(errorText, Compose(language, MsgConstTooLarge, text), quoted,
                    {zeros, text.size()});
    }
    return true;
  }

  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    negative = true;
    text.erase(0, 1);
  }
  const QuotedSpan digitsSpan{negative ? 1U : 0U, text.size()};
  if (ParseNumber(text).failed) {
    return Refuse(errorText, Compose(language, MsgBadNumberSymbol, text), quoted, digitsSpan);
  }
  // Bound the number the text denotes, not its 32-bit wrap: skip leading zeros and judge
  // the remaining digits, so a text of any length is tested correctly.
  const std::size_t first = text.find_first_not_of('0');
  const std::string_view digits =
      first == std::string::npos ? std::string_view() : std::string_view(text).substr(first);
  std::int64_t value = 0;
  bool tooLarge = digits.size() > 5;
  if (!tooLarge) {
    for (char c : digits) value = value * 10 + (c - '0');
    tooLarge = negative ? value > 32768 : value > 32767;
  }
  if (tooLarge)
    return Refuse(errorText, Compose(language, MsgConstTooLarge, text), quoted, digitsSpan);
  text = HexWordText(negative ? 65536 - value : value);
  return true;
}

}  // namespace q41

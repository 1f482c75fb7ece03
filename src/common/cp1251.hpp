#pragma once
// The one codec between the system's Windows-1251 texts and Unicode. Every byte value maps
// to a code point and back (the byte 0x98, unassigned in the code page, maps to U+0098), so
// a text converted to Unicode and back is the same bytes. Code points the code page cannot
// hold become '?' on the way back: they are refused softly, never dropped silently.

#include <string>
#include <string_view>

namespace q41 {

char16_t Cp1251ToUnicode(unsigned char byte);
// The byte for a code point, or -1 when the code page has none.
int UnicodeToCp1251(char32_t codePoint);

std::string Cp1251ToUtf8(std::string_view bytes);
// Malformed UTF-8 and unmappable code points each give one '?'.
std::string Utf8ToCp1251(std::string_view utf8);

}  // namespace q41

#pragma once
// How many lines a file's bytes hold, counted before they are split, so that the list of
// lines and the memory a run takes can be sized at once (see SplitLineViews and q41asm).

#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace q41 {

// The bytes equal to `c`. Sixteen bytes are compared at a time, each match counted in its
// byte of a running sum that is added up before it can overflow.
inline std::size_t CountByte(std::string_view bytes, char c) {
  std::size_t count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi8(c);
  const __m128i zero = _mm_setzero_si128();
  while (i + 16 <= bytes.size()) {
    __m128i sums = zero;  // 0 - matches, in each byte
    for (int round = 0; round < 255 && i + 16 <= bytes.size(); ++round, i += 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
      sums = _mm_sub_epi8(sums, _mm_cmpeq_epi8(chunk, wanted));
    }
    const __m128i halves = _mm_sad_epu8(sums, zero);
    count += static_cast<std::size_t>(_mm_cvtsi128_si32(halves)) +
             static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(halves, 8)));
  }
#endif
  for (; i < bytes.size(); ++i) count += bytes[i] == c ? 1 : 0;
  return count;
}

// At least the lines of a file whose lines end in LF or CR LF, or all in CR; a file that
// mixes CR alone with the others holds more.
inline std::size_t ExpectedLineCount(std::string_view bytes) {
  std::size_t breaks = CountByte(bytes, '\n');
  if (breaks == 0) breaks = CountByte(bytes, '\r');
  return breaks + 1;
}

}  // namespace q41

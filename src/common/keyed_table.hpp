#pragma once
// Tables read by an enum value. Each row names the key it is for, and the table is written
// with std::to_array, so its size is the rows written rather than the enum's count (a short
// std::array would fill the missing rows with empty ones and compile). KeyedInOrder then
// proves at compile time that there is one row per key, in the keys' order: a missing, extra
// or misplaced row stops the build instead of shifting every row after it.

#include <array>
#include <cstddef>

#include "common/err_diag.hpp"

namespace q41 {

template <std::size_t Count, typename Row, std::size_t N>
constexpr bool KeyedInOrder(const std::array<Row, N>& rows) {
  if (N != Count) return false;
  for (std::size_t k = 0; k < N; ++k) {
    if (static_cast<std::size_t>(rows[k].key) != k) return false;
  }
  return true;
}

// A row of a two-language text table.
template <typename Key>
struct KeyedText {
  Key key;
  Bilingual text;
};

}  // namespace q41

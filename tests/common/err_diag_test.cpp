#include "common/err_diag.hpp"

#include <array>

#include <gtest/gtest.h>

#include "../support.hpp"
#include "common/keyed_table.hpp"

namespace q41 {
namespace {

using test::W;

// The check every keyed table passes at compile time turns away each way a table can fall
// out of step with its keys: a row missing, a row too many, two rows swapped.
enum class Key { A, B, C };
struct Row {
  Key key;
};
static_assert(KeyedInOrder<3>(std::to_array<Row>({{Key::A}, {Key::B}, {Key::C}})));
static_assert(!KeyedInOrder<3>(std::to_array<Row>({{Key::A}, {Key::B}})));
static_assert(!KeyedInOrder<3>(std::to_array<Row>({{Key::A}, {Key::B}, {Key::C}, {Key::C}})));
static_assert(!KeyedInOrder<3>(std::to_array<Row>({{Key::A}, {Key::C}, {Key::B}})));

TEST(Messages, BothRowsHoldTheExactTexts) {
  EXPECT_EQ(Message(Language::English, 0), "Incorrect symbol in number");
  EXPECT_EQ(Message(Language::English, 5), "\",\" not found");
  EXPECT_EQ(Message(Language::English, 15), "Identifier begins from figure or \"-\"");
  EXPECT_EQ(Message(Language::English, 16), "Successful compilation");
  EXPECT_EQ(Message(Language::English, 17), "Invalid memory type: ");
  EXPECT_EQ(Message(Language::English, 19), "\"=\" not found");
  EXPECT_EQ(Message(Language::Russian, 5), W("Не найдена \",\""));
  EXPECT_EQ(Message(Language::Russian, 14), W("Смешение byte and word"));
  EXPECT_EQ(Message(Language::Russian, 16), W("Успешная компиляция"));
  EXPECT_EQ(Message(Language::Russian, 17), W("Неправильный тип памяти: "));
  EXPECT_EQ(Message(Language::Russian, 18), W("Нет значения после \"#\""));
  for (int n = 0; n < MessageCount; ++n) {
    EXPECT_NE(Message(Language::Russian, n), Message(Language::English, n)) << n;
    // Stored in the code page: one byte a character, no UTF-8 left over.
    EXPECT_EQ(Message(Language::Russian, n).find('\xD0'), std::string::npos) << n;
  }
}

TEST(Messages, CompositionForms) {
  EXPECT_EQ(Compose(Language::English, MsgMissedOperand), "Missed operand");
  EXPECT_EQ(Compose(Language::English, MsgUnknownOperation, "FOO"), "Unknown operation name: FOO");
  EXPECT_EQ(ComposePair(Language::English, MsgMixingByteWord, "R0", "R1"),
            "Mixing byte and word: R0<=>R1");
}

TEST(SourceLineMap, GrowsAndReadsUnwrittenEntriesAsZero) {
  SourceLineMap map;
  EXPECT_EQ(map.Get(0), 0);
  EXPECT_EQ(map.Get(100000), 0);
  EXPECT_EQ(map.Get(-1), 0);
  map.Set(200000, 7);
  EXPECT_EQ(map.Get(200000), 7);
  EXPECT_EQ(map.Get(199999), 0);
}

}  // namespace
}  // namespace q41

#include "assembler/label_table.hpp"

#include <gtest/gtest.h>

#include "../support.hpp"

namespace q41 {
namespace {

TEST(LabelTable, RowsGrowPastTheInitialGridAndTheLastNameWins) {
  LabelTable table;
  EXPECT_EQ(table.RowCount(), 20);
  for (int k = 1; k <= 19; ++k) {
    // Appended rather than "L" + std::to_string(k): g++ 12 at -O3 inlines that operator+
    // into a false -Wrestrict, which -Werror turns into a failed build.
    std::string name = "L";
    name += std::to_string(k);
    table.SetName(table.AddLabelRow(), name);
  }
  EXPECT_EQ(table.RowCount(), 20);
  table.SetName(table.AddLabelRow(), "L1");
  EXPECT_EQ(table.RowCount(), 21);
  EXPECT_EQ(table.LabelCount(), 20);
  EXPECT_EQ(table.FindLabel("L1"), 20);
  EXPECT_EQ(table.FindLabel("L5"), 5);
  EXPECT_EQ(table.FindLabel("l5"), 0);
  // A new run finds nothing yet, but the old rows stay visible until emptied.
  table.Reset();
  EXPECT_EQ(table.FindLabel("L1"), 0);
  EXPECT_EQ(table.Row(3).name, "L3");
  table.ClearCells();
  EXPECT_EQ(table.Row(3).name, "");
  EXPECT_EQ(table.RowCount(), 21);
}

struct GlobalCase {
  Lines glob;
  std::vector<std::string> rows;  // "NAME KIND VALUE"
  std::string error;
  std::string offending;
};

TEST(LabelTable, LoadsTheGlobalText) {
  const GlobalCase cases[] = {
      {{";Global"}, {}, "", ""},
      {{"x = 10h", "A=-1", "", " ; note"}, {"X G 0010", "A G FFFF"}, "", ""},
      {{"PORTS=12Z", "B=1"}, {"PORTS G ????"}, "Incorrect symbol in number: 12Z", "PORTS=12Z"},
      {{"PORTS=1Z2H"}, {"PORTS G ????"}, "Incorrect symbol in number: Z", "PORTS=1Z2H"},
      {{"A=1", "junk line"}, {"A G 0001"}, "\"=\" not found", "JUNKLINE"},
      {{"E="}, {"E G ????"}, "Incorrect symbol in number: ", "E="},
      {{"A=1", "A=2"}, {"A G 0001", "A G 0002"}, "", ""},
  };
  for (const auto& c : cases) {
    LabelTable table;
    std::string error;
    const std::string offending = table.LoadGlobalLabels(c.glob, Language::English, error);
    std::vector<std::string> rows;
    for (int r = 1; r <= table.LabelCount(); ++r) {
      rows.push_back(table.Row(r).name + " " + std::string(table.Row(r).Kind()) + " " +
                     std::string(table.Row(r).Value()));
    }
    EXPECT_EQ(rows, c.rows) << c.glob.front();
    EXPECT_EQ(error, c.error) << c.glob.front();
    EXPECT_EQ(offending, c.offending) << c.glob.front();
    EXPECT_EQ(table.SelectedRow(), table.LabelCount());
  }
}

TEST(LabelTable, RepeatedGlobalNameFindsTheLaterRow) {
  LabelTable table;
  std::string error;
  table.LoadGlobalLabels({"A=1", "A=2"}, Language::English, error);
  EXPECT_EQ(table.FindLabel("A"), 2);
}

}  // namespace
}  // namespace q41

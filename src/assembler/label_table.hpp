#pragma once
// The label table is both the assembler's symbol table and what the user sees in the label
// grid: rows of name, kind and four-digit value. It outlives a run, like the grid it stands
// for: a run resets LabelCount and appends rows, and rows past LabelCount may still hold an
// earlier run's entries when nobody emptied them. FindLabel answers from a hash index of
// row numbers kept beside the rows, so a block with many labels assembles in linear time.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/err_diag.hpp"
#include "common/text.hpp"

namespace q41 {

struct LabelRow {
  std::string name;  // column 0
  char kind = ' ';   // column 1: 'G', ':', '=' or '@'; ' ' for an empty cell

  // Column 2: four hexadecimal digits, "????", or empty.
  std::string_view Value() const { return {value_.data(), valueSize_}; }
  void SetValue(std::string_view v) {
    valueSize_ = static_cast<std::uint8_t>(v.size() < 4 ? v.size() : 4);
    v.copy(value_.data(), valueSize_);
  }
  std::string_view Kind() const {
    return kind == ' ' ? std::string_view() : std::string_view(&kind, 1);
  }

 private:
  std::array<char, 4> value_{};
  std::uint8_t valueSize_ = 0;
};

class LabelTable {
 public:
  // The grid starts with 20 rows, the header included.
  static constexpr int InitialRowCount = 20;

  LabelTable() : rows_(InitialRowCount - 1) {}

  // Number of data rows in use; rows 1..LabelCount() hold this run's entries.
  int LabelCount() const { return labelCount_; }
  // The grid's row count, header included; never shrinks and always exceeds LabelCount().
  int RowCount() const { return static_cast<int>(rows_.size()) + 1; }
  // Data row r, 1-based like the grid (row 0 is the header).
  const LabelRow& Row(int r) const { return rows_[static_cast<std::size_t>(r - 1)]; }
  LabelRow& Row(int r) { return rows_[static_cast<std::size_t>(r - 1)]; }
  // The row the grid selects after the GLOBAL names were loaded (0 when none).
  int SelectedRow() const { return selectedRow_; }

  // Starts a run: no row is in use and nothing can be found.
  void Reset();
  // Makes room for `names` more rows, so a long block fills the table without regrowing.
  void Reserve(std::size_t names);
  // Empties every cell of every data row, keeping the row count.
  void ClearCells();
  // Takes the next row (growing the grid when needed) and returns its number; the caller
  // then names it with SetName and writes its other cells through Row.
  int AddLabelRow();
  void SetName(int r, std::string name);
  // Takes the next row for `name` and returns its number, unless a row among
  // 1..LabelCount() already has that name: then nothing changes and the result is minus
  // that row's number. One probe of the index where a lookup and a SetName take two.
  int AddNewName(std::string name);
  // The last row among 1..LabelCount() whose name equals `name`; 0 when none does.
  int FindLabel(std::string_view name) const;

  // Enters the names of the GLOBAL text. On a fault it sets `errorText` (message 19, or the
  // diagnostic of the value) and `place`, when given (the text the value's diagnostic quotes,
  // or the whole line without "="), and returns the offending line as read (upper-cased,
  // blanks removed); the row of a bad value stays with "????".
  std::string LoadGlobalLabels(const Lines& glob, Language language, std::string& errorText,
                               SourcePlace* place = nullptr);

 private:
  // Open addressing over row numbers. Each slot has a 16-bit tag of its name's hash, in an
  // array of its own: a probe reads that small array, which the cache keeps, and seldom has
  // to look at a row. A new name reads nothing else. Tag 0 marks an empty slot.
  static std::uint16_t Tag(std::uint32_t hash) {
    return static_cast<std::uint16_t>((hash >> 16) | 1U);
  }
  static std::uint32_t Hash(std::string_view name);
  static std::size_t Home(std::uint32_t hash, std::size_t mask);
  std::size_t Slot(std::string_view name, std::uint32_t hash) const;
  // The slot of `name` once the index has room for one more name.
  std::size_t SlotForNew(std::string_view name, std::uint32_t hash);
  // Puts row r, of a name with that hash, in the slot.
  void Index(std::size_t slot, std::uint32_t hash, int r);

  std::vector<LabelRow> rows_;
  std::vector<std::uint16_t> tags_;
  std::vector<std::int32_t> slotRows_;
  std::size_t indexed_ = 0;  // distinct names in the index
  int labelCount_ = 0;
  int selectedRow_ = 0;
};

}  // namespace q41

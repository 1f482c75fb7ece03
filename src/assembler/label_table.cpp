#include "assembler/label_table.hpp"

#include <algorithm>

#include "common/number_text.hpp"

namespace q41 {

void LabelTable::Reset() {
  labelCount_ = 0;
  indexed_ = 0;
  std::fill(index_.begin(), index_.end(), IndexSlot{});
}

void LabelTable::Reserve(std::size_t names) {
  rows_.reserve(static_cast<std::size_t>(labelCount_) + names);
  // At most three slots in four taken: probes stay short, and the index small enough to
  // stay in the cache for longer.
  std::size_t wanted = 16;
  while (3 * wanted < 4 * (indexed_ + names)) wanted *= 2;
  if (wanted > index_.size()) {
    std::vector<IndexSlot> old(wanted);
    old.swap(index_);
    // The names are distinct: each goes to the first free slot from its home, and no row
    // needs to be read.
    const std::size_t mask = index_.size() - 1;
    for (const IndexSlot& s : old) {
      if (s.row == 0) continue;
      std::size_t slot = Home(s.hash, mask);
      while (index_[slot].row != 0) slot = (slot + 1) & mask;
      index_[slot] = s;
    }
  }
}

void LabelTable::ClearCells() {
  for (auto& row : rows_) row = LabelRow{};
  indexed_ = 0;
  std::fill(index_.begin(), index_.end(), IndexSlot{});
}

int LabelTable::AddLabelRow() {
  ++labelCount_;
  if (RowCount() <= labelCount_) rows_.emplace_back();
  return labelCount_;
}

std::uint32_t LabelTable::Hash(std::string_view name) {
  // FNV-1a: names are short, and an inline loop beats a library call.
  std::uint32_t h = 2166136261U;
  for (char c : name) h = (h ^ static_cast<unsigned char>(c)) * 16777619U;
  return h;
}

std::size_t LabelTable::Home(std::uint32_t hash, std::size_t mask) {
  // FNV-1a's low bits alone cluster for names that differ in their last digits (L1, L2,
  // ...); the golden-ratio multiply spreads them over the table before the mask.
  return static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ULL) >> 32) & mask;
}

std::size_t LabelTable::Slot(std::string_view name, std::uint32_t hash) const {
  const std::size_t mask = index_.size() - 1;
  std::size_t slot = Home(hash, mask);
  while (index_[slot].row != 0 &&
         (index_[slot].hash != hash || Row(index_[slot].row).name != name)) {
    slot = (slot + 1) & mask;
  }
  return slot;
}

void LabelTable::Grow() {
  Reserve(indexed_ + 1);
}

void LabelTable::SetName(int r, std::string name) {
  if (4 * (indexed_ + 1) > 3 * index_.size()) Grow();
  const std::uint32_t hash = Hash(name);
  Row(r).name = std::move(name);
  // Rows are named in increasing order during a run, so the latest row of a name is the
  // one the index keeps.
  IndexSlot& slot = index_[Slot(Row(r).name, hash)];
  if (slot.row == 0) ++indexed_;
  slot = {hash, r};
}

int LabelTable::AddNewName(std::string name) {
  if (4 * (indexed_ + 1) > 3 * index_.size()) Grow();
  const std::uint32_t hash = Hash(name);
  IndexSlot& slot = index_[Slot(name, hash)];
  if (slot.row != 0) return -slot.row;
  const int r = AddLabelRow();
  Row(r).name = std::move(name);
  ++indexed_;
  slot = {hash, r};
  return r;
}

int LabelTable::FindLabel(std::string_view name) const {
  if (index_.empty()) return 0;
  return index_[Slot(name, Hash(name))].row;
}

std::string LabelTable::LoadGlobalLabels(const Lines& glob, Language language,
                                         std::string& errorText) {
  std::string offending;
  for (const auto& original : glob) {
    if (!errorText.empty()) break;
    std::string line;
    line.reserve(original.size());
    for (char c : original) {
      if (c != Blank) line += UpperAscii(c);
    }
    if (line.empty() || line.front() == ';') continue;
    const auto eq = line.find('=');
    if (eq == std::string::npos) {
      errorText = Compose(language, MsgEqualsNotFound);
      offending = line;
      continue;
    }
    const int r = AddLabelRow();
    SetName(r, line.substr(0, eq));
    Row(r).kind = 'G';
    std::string value = line.substr(eq + 1);
    if (NormalizeNumber(value, language, errorText)) {
      Row(r).SetValue(value);
    } else {
      Row(r).SetValue("????");
      offending = line;
    }
  }
  selectedRow_ = labelCount_;
  return offending;
}

}  // namespace q41

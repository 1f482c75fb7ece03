#include "assembler/label_table.hpp"

#include <algorithm>

#include "common/number_text.hpp"

namespace q41 {

void LabelTable::Reset() {
  labelCount_ = 0;
  indexed_ = 0;
  std::fill(tags_.begin(), tags_.end(), 0);
  std::fill(slotRows_.begin(), slotRows_.end(), 0);
}

void LabelTable::Reserve(std::size_t names) {
  rows_.reserve(static_cast<std::size_t>(labelCount_) + names);
  // At most three slots in four taken: probes stay short, and the index small enough to
  // stay in the cache for longer.
  std::size_t wanted = 16;
  while (3 * wanted < 4 * (indexed_ + names)) wanted *= 2;
  if (wanted > tags_.size()) {
    std::vector<std::uint16_t> oldTags(wanted);
    std::vector<std::int32_t> oldRows(wanted);
    oldTags.swap(tags_);
    oldRows.swap(slotRows_);
    // The names are distinct: each goes to the first free slot from its home.
    const std::size_t mask = tags_.size() - 1;
    for (std::size_t k = 0; k < oldTags.size(); ++k) {
      if (oldTags[k] == 0) continue;
      std::size_t slot = Home(Hash(Row(oldRows[k]).name), mask);
      while (tags_[slot] != 0) slot = (slot + 1) & mask;
      tags_[slot] = oldTags[k];
      slotRows_[slot] = oldRows[k];
    }
  }
}

void LabelTable::ClearCells() {
  for (auto& row : rows_) row = LabelRow{};
  indexed_ = 0;
  std::fill(tags_.begin(), tags_.end(), 0);
  std::fill(slotRows_.begin(), slotRows_.end(), 0);
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
  const std::size_t mask = tags_.size() - 1;
  const std::uint16_t tag = Tag(hash);
  std::size_t slot = Home(hash, mask);
  while (tags_[slot] != 0 && (tags_[slot] != tag || Row(slotRows_[slot]).name != name)) {
    slot = (slot + 1) & mask;
  }
  return slot;
}

std::size_t LabelTable::SlotForNew(std::string_view name, std::uint32_t hash) {
  // At most three slots in four taken (see Reserve); the index doubles.
  if (4 * (indexed_ + 1) > 3 * tags_.size()) Reserve(indexed_ + 1);
  return Slot(name, hash);
}

void LabelTable::Index(std::size_t slot, std::uint32_t hash, int r) {
  if (tags_[slot] == 0) ++indexed_;
  tags_[slot] = Tag(hash);
  slotRows_[slot] = r;
}

void LabelTable::SetName(int r, std::string name) {
  const std::uint32_t hash = Hash(name);
  const std::size_t slot = SlotForNew(name, hash);
  Row(r).name = std::move(name);
  // Rows are named in increasing order during a run, so the latest row of a name is the
  // one the index keeps.
  Index(slot, hash, r);
}

int LabelTable::AddNewName(std::string name) {
  const std::uint32_t hash = Hash(name);
  const std::size_t slot = SlotForNew(name, hash);
  if (tags_[slot] != 0) return -slotRows_[slot];
  const int r = AddLabelRow();
  Row(r).name = std::move(name);
  Index(slot, hash, r);
  return r;
}

int LabelTable::FindLabel(std::string_view name) const {
  if (tags_.empty()) return 0;
  const std::size_t slot = Slot(name, Hash(name));
  return tags_[slot] == 0 ? 0 : slotRows_[slot];
}

namespace {

// Where bytes [at, at + length) of a GLOBAL line as read (every blank left out) stand on the
// line as written, line `k` (0-based) of the GLOBAL text; the whole line, without the
// blanks around it, for an empty span.
SourcePlace GlobalPlace(const std::string& written, std::size_t k, std::size_t at,
                        std::size_t length) {
  SourcePlace place{true, static_cast<std::int32_t>(k + 1), 0, 0};
  std::size_t first = written.size();
  std::size_t end = 0;
  std::size_t read = 0;  // bytes of the line as read so far
  for (std::size_t c = 0; c < written.size(); ++c) {
    if (written[c] == Blank) continue;
    const bool inSpan = length == 0 || (read >= at && read < at + length);
    if (inSpan && first == written.size()) first = c;
    if (inSpan) end = c + 1;
    ++read;
  }
  if (first < end) {
    place.start = static_cast<int>(first);
    place.length = static_cast<int>(end - first);
  }
  return place;
}

}  // namespace

std::string LabelTable::LoadGlobalLabels(const Lines& glob, Language language,
                                         std::string& errorText, SourcePlace* place) {
  std::string offending;
  for (std::size_t k = 0; k < glob.size(); ++k) {
    if (!errorText.empty()) break;
    const std::string& original = glob[k];
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
      if (place != nullptr) *place = GlobalPlace(original, k, 0, 0);
      continue;
    }
    const int r = AddLabelRow();
    SetName(r, line.substr(0, eq));
    Row(r).kind = 'G';
    std::string value = line.substr(eq + 1);
    QuotedSpan quoted;
    if (NormalizeNumber(value, language, errorText, &quoted)) {
      Row(r).SetValue(value);
    } else {
      Row(r).SetValue("????");
      offending = line;
      // A value that is not there is the line's fault.
      if (place != nullptr) {
        *place =
            GlobalPlace(original, k, quoted.length == 0 ? 0 : eq + 1 + quoted.at, quoted.length);
      }
    }
  }
  selectedRow_ = labelCount_;
  return offending;
}

}  // namespace q41

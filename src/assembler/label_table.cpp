#include "assembler/label_table.hpp"

#include "common/number_text.hpp"

namespace q41 {

void LabelTable::Reset() {
  labelCount_ = 0;
  index_.clear();
}

void LabelTable::Reserve(std::size_t names) {
  rows_.reserve(static_cast<std::size_t>(labelCount_) + names);
  index_.reserve(index_.size() + names);
}

void LabelTable::ClearCells() {
  for (auto& row : rows_) row = LabelRow{};
}

int LabelTable::AddLabelRow() {
  ++labelCount_;
  if (RowCount() <= labelCount_) rows_.emplace_back();
  return labelCount_;
}

void LabelTable::SetName(int r, std::string name) {
  // Rows are written in increasing order during a run, so the latest row of a name is the
  // one the index must point to.
  index_[name] = r;
  rows_[static_cast<std::size_t>(r - 1)].name = std::move(name);
}

int LabelTable::FindLabel(std::string_view name) const {
  const auto it = index_.find(name);
  return it == index_.end() ? 0 : it->second;
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
    SetKind(r, "G");
    std::string value = line.substr(eq + 1);
    if (NormalizeNumber(value, language, errorText)) {
      SetValue(r, std::move(value));
    } else {
      SetValue(r, "????");
      offending = line;
    }
  }
  selectedRow_ = labelCount_;
  return offending;
}

}  // namespace q41

// The program file (.ASM) and the code file (.Q41): lines in, lines out. Reading and
// writing the bytes is the caller's business.

#include "blocks/block_marker.hpp"
#include "blocks/block_model.hpp"
#include "common/number_text.hpp"

namespace q41 {
namespace {

constexpr std::string_view MemoryPrefix = ";memory=";

// The characters after the first "=", at most four.
std::string SettingValue(std::string_view line) {
  return std::string(line.substr(line.find('=') + 1, 4));
}

// Whether a line starts with block n's marker: its first 8 characters decide, since the rest
// of the line is free text that hand-edited files use for notes.
bool IsMarkerOf(std::string_view line, int n) {
  return line.size() >= 8 && line[7] == '0' + n && StartsWith(line, BlockMarkerPrefix);
}

bool IsSettingsLine(std::string_view line) {
  return line.empty() || StartsWith(line, PpuSettingPrefix) || line == CpuSettingLine ||
         StartsWith(line, CpuAddressPrefix) || StartsWith(line, PpuAddressPrefix);
}

}  // namespace

std::size_t BlockModel::LeadingRun(int n, std::size_t& marker) const {
  // Only the lines the writer writes itself go, so that nothing else the user put at the
  // top of a block (a ";BLOCKED" comment, another block's marker text) is lost on saving.
  const Lines& source = BlockStore[static_cast<std::size_t>(n)].source;
  std::size_t k = 0;
  marker = source.size();
  for (; k < source.size(); ++k) {
    if (marker == source.size() && IsMarkerOf(source[k], n)) {
      marker = k;
    } else if (!IsSettingsLine(source[k])) {
      break;
    }
  }
  if (marker == source.size()) marker = k;
  return k;
}

std::size_t BlockModel::BlockBodyStart(int n) const {
  std::size_t marker = 0;
  return LeadingRun(n, marker);
}

std::size_t BlockModel::WriteBlockHeader(int n, Lines& out) const {
  const BlockRecord& r = BlockStore[static_cast<std::size_t>(n)];
  std::size_t marker = 0;
  const std::size_t body = LeadingRun(n, marker);
  const std::string ppuList = r.PpuList();
  const bool cpu = ppuList == "0000";
  out.emplace_back();
  out.push_back(BlockMarker(n));
  if (marker < body) out.back().append(r.source[marker], 8);
  out.push_back(cpu ? std::string(CpuSettingLine) : std::string(PpuSettingPrefix) + ppuList);
  out.push_back(std::string(CpuAddressPrefix) + r.cpuAddress);
  if (!cpu) out.push_back(std::string(PpuAddressPrefix) + r.ppuAddress);
  out.emplace_back();
  return body;
}

BlockModel::WrittenFile BlockModel::WriteFile() const {
  using Where = MarkerClash::Where;
  const Lines header = view_.Header();
  const Lines glob = view_.GlobalText();
  std::size_t s = !header.empty() && StartsWith(header[0], MemoryPrefix) ? 1 : 0;
  while (s < header.size() && header[s].empty()) ++s;
  // Trailing empty header lines are not written: reading drops them, and a program saved,
  // opened and saved again must give the same bytes.
  std::size_t end = header.size();
  while (end > s && header[end - 1].empty()) --end;

  WrittenFile file;
  Lines& out = file.lines;
  out.push_back(std::string(MemoryPrefix) + (view_.MemoryMode() == 0 ? "COMM" : "DIST"));
  out.emplace_back();
  file.parts.push_back({Where::Header, 0, out.size(), s});
  for (std::size_t k = s; k < end; ++k) {
    const std::string& line = header[k];
    out.push_back(!line.empty() && line.front() != ';' ? ";" + line : line);
  }
  if (!glob.empty()) {
    out.emplace_back();
    out.push_back("GLOBAL");
    file.parts.push_back({Where::Global, 0, out.size(), 0});
    out.insert(out.end(), glob.begin(), glob.end());
  }
  for (int n = 0; n <= LastBlock; ++n) {
    file.markers[static_cast<std::size_t>(n)] = out.size() + 1;  // after the separator
    const std::size_t body = WriteBlockHeader(n, out);
    file.parts.push_back({Where::Block, n, out.size(), body});
    const Lines& source = BlockStore[static_cast<std::size_t>(n)].source;
    out.insert(out.end(), source.begin() + static_cast<std::ptrdiff_t>(body), source.end());
  }
  return file;
}

Lines BlockModel::WriteProgramFile() const {
  return WriteFile().lines;
}

Lines BlockModel::WriteProgramFile(std::optional<MarkerClash>& clash) const {
  WrittenFile file = WriteFile();
  clash = ClashIn(file);
  return std::move(file.lines);
}

std::optional<MarkerClash> BlockModel::ClashIn(const WrittenFile& file) const {
  std::array<std::size_t, BlockCount + 1> read{};
  const int found = FindBlockMarkers(file.lines, read);
  // The reader meets every marker the writer put, in order, so the first one it takes from
  // elsewhere stands before the writer's, or in the last block's body. None of the writer's
  // own lines reads as another block's marker: the line is the program's.
  for (int k = 0; k < found; ++k) {
    const std::size_t at = read[static_cast<std::size_t>(k)];
    if (k <= LastBlock && at == file.markers[static_cast<std::size_t>(k)]) continue;
    std::size_t p = file.parts.size() - 1;
    while (file.parts[p].fileLine > at) --p;
    const WrittenFile::Part& part = file.parts[p];
    return MarkerClash{part.where, part.block, part.firstLine + (at - part.fileLine) + 1, k,
                       file.lines[at]};
  }
  return std::nullopt;
}

void BlockModel::ApplyMemoryMode(std::string_view text) {
  if (text == "COMM") {
    view_.SetMemoryMode(0);
  } else if (text == "DIST") {
    view_.SetMemoryMode(1);
  } else {
    view_.MemoryTypeRefused(Message(settings_.language, MsgBadMemoryType) + std::string(text));
  }
}

void BlockModel::ApplySettingsLines(BlockRecord& r, SourceText lines) {
  // Settings lines count wherever they stand in the block; a later one wins.
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const std::string_view line = lines[k];
    // Most lines are not settings lines: two characters tell (";P" or ";C" begins each).
    if (line.size() < 2 || line[0] != ';' || (line[1] != 'P' && line[1] != 'C')) continue;
    if (StartsWith(line, PpuSettingPrefix)) {
      r.ppu = PpuSetOf(SettingValue(line));
    } else if (StartsWith(line, CpuAddressPrefix)) {
      r.cpuAddress = SettingValue(line);
    } else if (StartsWith(line, PpuAddressPrefix)) {
      r.ppuAddress = SettingValue(line);
    }
  }
}

int BlockModel::FindBlockMarkers(SourceText lines,
                                 std::array<std::size_t, BlockCount + 1>& markers) {
  // Markers are taken in order 0, 1, 2, ... only; a seventh is text of block 5.
  int found = 0;
  for (std::size_t j = 0; j < lines.size() && found < BlockCount; ++j) {
    const std::string_view line = lines[j];
    if (IsMarkerOf(line, found)) {
      markers[static_cast<std::size_t>(found++)] = j;
    }
  }
  return found;
}

void BlockModel::StartReading(SourceText lines) {
  // The program is its file's from here on.
  Saved();
  if (lines.size() > 0 && StartsWith(lines[0], MemoryPrefix)) {
    ApplyMemoryMode(lines[0].substr(MemoryPrefix.size(), 4));
  }
  for (int k = 0; k < BlockCount; ++k) {
    ClearBlock(k);
    DisableBlock(k);
  }
  while (view_.TabCount() > 1) view_.RemoveLastTab();
  view_.SelectTab(0);
  EnableBlock(0);
  LastBlock = 0;
  PaintLamps();
}

bool BlockModel::ReadUnmarkedFile(const LineViews& lines) {
  std::array<std::size_t, BlockCount + 1> markers{};
  if (FindBlockMarkers(lines, markers) > 0) return false;
  StartReading(lines);
  unmarked_ = &lines;
  ApplySettingsLines(BlockStore[0], lines);
  ShowBlock(0);
  return true;
}

void BlockModel::ReadProgramFile(Lines lines) {
  unmarked_ = nullptr;
  std::array<std::size_t, BlockCount + 1> markers{};
  const int found = FindBlockMarkers(lines, markers);
  StartReading(lines);
  layout_ = FileLayout{};

  if (found == 0) {
    // Not a program file: the whole text is block 0; header and GLOBAL text stay. Its
    // settings lines count as in any block, or the block would change once it is saved
    // (with those lines in its text) and opened again.
    TakeBlockLines(0, lines, 0, lines.size());
    ShowBlock(0);
    return;
  }
  LastBlock = found - 1;
  PaintLamps();

  Lines header;
  Lines glob;
  const std::size_t first = markers[0];
  bool inGlobal = false;
  // An empty line directly before the first marker is the writer's separator; any other
  // line there is the file's own (the last GLOBAL line of a hand-written file, say).
  const std::size_t headEnd = first > 0 && lines[first - 1].empty() ? first - 1 : first;
  for (std::size_t j = 0; j < headEnd; ++j) {
    if (lines[j] == "GLOBAL") {
      inGlobal = true;
      continue;
    }
    if (inGlobal) layout_.globalLines.push_back(j);
    (inGlobal ? glob : header).push_back(lines[j]);
  }
  while (header.size() > 1 && header.back().empty()) header.pop_back();
  view_.SetHeader(header);
  view_.SetGlobalText(glob);

  markers[static_cast<std::size_t>(found)] = lines.size();
  for (int n = 0; n <= LastBlock; ++n) {
    if (n > 0) view_.AddTab(BlockCaption(n));
    EnableBlock(n);
    std::size_t end = markers[static_cast<std::size_t>(n + 1)];
    // The empty line before the next marker is the writer's separator, not the block's.
    if (n < LastBlock && end > markers[static_cast<std::size_t>(n)] + 1 && lines[end - 1].empty()) {
      --end;
    }
    layout_.blockStart[static_cast<std::size_t>(n)] = markers[static_cast<std::size_t>(n)];
    TakeBlockLines(n, lines, markers[static_cast<std::size_t>(n)], end);
  }
  ShowBlock(0);
}

void BlockModel::TakeBlockLines(int n, Lines& lines, std::size_t begin, std::size_t end) {
  BlockRecord& r = BlockStore[static_cast<std::size_t>(n)];
  if (begin == 0 && end == lines.size()) {
    r.source = std::move(lines);  // the whole text: no line needs to move
  } else {
    r.source.assign(std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(begin)),
                    std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(end)));
  }
  ApplySettingsLines(r, r.source);
  StoredChanged(n);
}

namespace {

// The code a block gives the code file: none when a failed compile left it, for its words
// stop at the fault and its label placeholders are unresolved.
const Lines& CodeToWrite(const BlockRecord& r) {
  static const Lines none;
  return r.codeFromFailedCompile ? none : r.code;
}

}  // namespace

bool BlockModel::PrepareCodeFile() {
  StoreCurrentBlock(CurrentBlock);
  const Lines global = view_.GlobalText();
  for (int n = 0; n <= LastBlock; ++n) {
    const BlockRecord& r = BlockStore[static_cast<std::size_t>(n)];
    std::optional<Question> question;
    if (r.codeFromFailedCompile) {
      question = Question::FailedBlockCode;
    } else if (r.code.empty()) {
      question = Question::EmptyBlockCode;
    } else if (view_.HoldsBlockText() && !r.history.CodeCurrentFor(r.source, global)) {
      question = Question::StaleBlockCode;
    }
    if (question && !view_.Ask(*question, n)) return false;
  }
  return true;
}

template <typename Take>
void BlockModel::ForEachCodeFileLine(Take take) const {
  take(DecimalText(view_.MemoryMode()) + "Q41");
  for (int n = 0; n <= LastBlock; ++n) {
    const BlockRecord& r = BlockStore[static_cast<std::size_t>(n)];
    const Lines& code = CodeToWrite(r);
    take(std::string_view());
    take(BlockMarker(n));
    take(r.PpuList());
    take(r.cpuAddress);
    take(r.ppuAddress);
    // The count of the words that follow: a block compiled on its own still shows its
    // older count, and a count that disagrees with the words would mislead a loader.
    take(WordCountText(code.size()));
    take(std::string_view());
    for (const std::string& word : code) take(word);
  }
}

Lines BlockModel::WriteCodeFile() const {
  Lines out;
  ForEachCodeFileLine([&out](std::string_view line) { out.emplace_back(line); });
  return out;
}

std::string BlockModel::CodeFileText(std::string_view eol) const {
  // Measured first: a text grown as it is written would be copied at each doubling, and
  // every fresh page a copy touches costs a fault.
  std::size_t size = 0;
  ForEachCodeFileLine([&size, eol](std::string_view line) { size += line.size() + eol.size(); });
  std::string out;
  out.reserve(size);
  ForEachCodeFileLine([&out, eol](std::string_view line) { out.append(line).append(eol); });
  return out;
}

}  // namespace q41

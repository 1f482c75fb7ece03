// The program file (.ASM) and the code file (.Q41): lines in, lines out. Reading and
// writing the bytes is the caller's business.

#include "blocks/block_model.hpp"
#include "common/number_text.hpp"

namespace q41 {
namespace {

constexpr std::string_view MemoryPrefix = ";memory=";
constexpr std::string_view MarkerPrefix = ";BLOCK ";

// The characters after the first "=", at most four.
std::string SettingValue(std::string_view line) {
  return std::string(line.substr(line.find('=') + 1, 4));
}

bool IsSettingsLine(std::string_view line) {
  return line.empty() || StartsWith(line, ";BLOCK") || StartsWith(line, ";PPU=") ||
         line == ";CPU" || StartsWith(line, ";CPUaddr=") || StartsWith(line, ";PPUaddr=");
}

}  // namespace

std::size_t BlockModel::BlockBodyStart(int n) const {
  const Lines& source = BlockStore[static_cast<std::size_t>(n)].source;
  std::size_t k = 0;
  while (k < source.size() && IsSettingsLine(source[k])) ++k;
  return k;
}

void BlockModel::WriteBlockHeader(int n, Lines& out) const {
  const BlockRecord& r = BlockStore[static_cast<std::size_t>(n)];
  const bool cpu = r.ppuList == "0000";
  out.emplace_back();
  out.push_back(std::string(MarkerPrefix) + DecimalText(n));
  out.push_back(cpu ? ";CPU" : ";PPU=" + r.ppuList);
  out.push_back(";CPUaddr=" + r.cpuAddress);
  if (!cpu) out.push_back(";PPUaddr=" + r.ppuAddress);
  out.emplace_back();
}

Lines BlockModel::WriteProgramFile() const {
  const Lines header = view_.Header();
  const Lines glob = view_.GlobalText();
  std::size_t s = !header.empty() && StartsWith(header[0], MemoryPrefix) ? 1 : 0;
  while (s < header.size() && header[s].empty()) ++s;
  // Trailing empty header lines are not written: reading drops them, and a program saved,
  // opened and saved again must give the same bytes.
  std::size_t end = header.size();
  while (end > s && header[end - 1].empty()) --end;

  Lines out;
  out.push_back(std::string(MemoryPrefix) + (view_.MemoryMode() == 0 ? "COMM" : "DIST"));
  out.emplace_back();
  for (std::size_t k = s; k < end; ++k) {
    const std::string& line = header[k];
    out.push_back(!line.empty() && line.front() != ';' ? ";" + line : line);
  }
  if (!glob.empty()) {
    out.emplace_back();
    out.push_back("GLOBAL");
    out.insert(out.end(), glob.begin(), glob.end());
  }
  for (int n = 0; n <= LastBlock; ++n) {
    WriteBlockHeader(n, out);
    const Lines& source = BlockStore[static_cast<std::size_t>(n)].source;
    out.insert(out.end(), source.begin() + static_cast<std::ptrdiff_t>(BlockBodyStart(n)),
               source.end());
  }
  return out;
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
    if (StartsWith(line, ";PPU=")) {
      r.ppu = PpuSetOf(SettingValue(line));
      r.ppuList = PpuListText(r.ppu);
    } else if (StartsWith(line, ";CPUaddr=")) {
      r.cpuAddress = SettingValue(line);
    } else if (StartsWith(line, ";PPUaddr=")) {
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
    if (line.size() >= 8 && StartsWith(line, MarkerPrefix) && line[7] == '0' + found) {
      markers[static_cast<std::size_t>(found++)] = j;
    }
  }
  return found;
}

void BlockModel::StartReading(SourceText lines) {
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

bool BlockModel::ReadUnmarkedFile(SourceText lines) {
  std::array<std::size_t, BlockCount + 1> markers{};
  if (FindBlockMarkers(lines, markers) > 0) return false;
  StartReading(lines);
  ApplySettingsLines(BlockStore[0], lines);
  ShowBlock(0);
  return true;
}

void BlockModel::ReadProgramFile(Lines lines) {
  std::array<std::size_t, BlockCount + 1> markers{};
  const int found = FindBlockMarkers(lines, markers);
  StartReading(lines);

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
  // The line directly before the first marker is the writer's separator.
  for (std::size_t j = 0; j + 1 < first; ++j) {
    if (lines[j] == "GLOBAL") {
      inGlobal = true;
      continue;
    }
    (inGlobal ? glob : header).push_back(lines[j]);
  }
  while (header.size() > 1 && header.back().empty()) header.pop_back();
  view_.SetHeader(header);
  view_.SetGlobalText(glob);

  markers[static_cast<std::size_t>(found)] = lines.size();
  for (int n = 0; n <= LastBlock; ++n) {
    if (n > 0) view_.AddTab("BLOCK " + DecimalText(n));
    EnableBlock(n);
    std::size_t end = markers[static_cast<std::size_t>(n + 1)];
    // The empty line before the next marker is the writer's separator, not the block's.
    if (n < LastBlock && end > markers[static_cast<std::size_t>(n)] + 1 && lines[end - 1].empty()) {
      --end;
    }
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
  view_.StoredBlockChanged(n);
}

bool BlockModel::PrepareCodeFile() {
  StoreCurrentBlock(CurrentBlock);
  for (int n = 0; n <= LastBlock; ++n) {
    if (BlockStore[static_cast<std::size_t>(n)].code.empty() &&
        !view_.Ask(Question::EmptyBlockCode, n)) {
      return false;
    }
  }
  return true;
}

Lines BlockModel::WriteCodeFile() const {
  Lines out = {DecimalText(view_.MemoryMode()) + "Q41"};
  for (int n = 0; n <= LastBlock; ++n) {
    const BlockRecord& r = BlockStore[static_cast<std::size_t>(n)];
    out.emplace_back();
    out.push_back(std::string(MarkerPrefix) + DecimalText(n));
    out.push_back(r.ppuList);
    out.push_back(r.cpuAddress);
    out.push_back(r.ppuAddress);
    out.push_back(r.wordCount);
    out.emplace_back();
    out.insert(out.end(), r.code.begin(), r.code.end());
  }
  return out;
}

}  // namespace q41

#include "blocks/program_file.hpp"

#include "blocks/block_marker.hpp"
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

// The top of block n's source that the writer replaces; the result is where its body
// starts, and `marker` the index of its own marker there (the result when it has none).
std::size_t LeadingRun(const Lines& source, int n, std::size_t& marker) {
  // Only the lines the writer writes itself go, so that nothing else the user put at the
  // top of a block (a ";BLOCKED" comment, another block's marker text) is lost on saving.
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

// Writes block n's marker and settings lines in place of the ones at the top of its source.
// The result is where the rest, the block's body, starts in its source.
std::size_t WriteBlockHeader(const BlockRecord& r, int n, Lines& out) {
  std::size_t marker = 0;
  const std::size_t body = LeadingRun(r.source, n, marker);
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

// The file's lines and where the writer put what, so a line of the file can be traced back
// to the program's line it came from.
struct WrittenFile {
  struct Part {
    MarkerClash::Where where;
    int block;
    std::size_t fileLine;   // where the part starts in the file
    std::size_t firstLine;  // the index of that line in its header, GLOBAL text or source
  };
  Lines lines;
  std::array<std::size_t, BlockCount> markers{};  // the writer's own, blocks 0 to LastBlock
  std::vector<Part> parts;                        // in file order
};

void WriteHeaderAndGlobal(const Program& program, WrittenFile& file) {
  using Where = MarkerClash::Where;
  const Lines& header = program.Header();
  const Lines& glob = program.Global();
  std::size_t s = !header.empty() && StartsWith(header[0], MemoryPrefix) ? 1 : 0;
  while (s < header.size() && header[s].empty()) ++s;
  // Trailing empty header lines are not written: reading drops them, and a program saved,
  // opened and saved again must give the same bytes.
  std::size_t end = header.size();
  while (end > s && header[end - 1].empty()) --end;

  Lines& out = file.lines;
  out.push_back(std::string(MemoryPrefix) +
                (program.Memory() == MemoryMode::Common ? "COMM" : "DIST"));
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
}

WrittenFile WriteFile(const Program& program) {
  WrittenFile file;
  WriteHeaderAndGlobal(program, file);
  Lines& out = file.lines;
  for (int n = 0; n <= program.LastBlock(); ++n) {
    file.markers[static_cast<std::size_t>(n)] = out.size() + 1;  // after the separator
    const BlockRecord& r = program.Block(n);
    const std::size_t body = WriteBlockHeader(r, n, out);
    file.parts.push_back({MarkerClash::Where::Block, n, out.size(), body});
    out.insert(out.end(), r.source.begin() + static_cast<std::ptrdiff_t>(body), r.source.end());
  }
  return file;
}

// Where the block markers stand; their count is the result.
int FindBlockMarkers(SourceText lines, std::array<std::size_t, BlockCount + 1>& markers) {
  // Markers are taken in order 0, 1, 2, ... only; a seventh is text of block 5.
  int found = 0;
  for (std::size_t j = 0; j < lines.size() && found < BlockCount; ++j) {
    if (IsMarkerOf(lines[j], found)) markers[static_cast<std::size_t>(found++)] = j;
  }
  return found;
}

std::optional<MarkerClash> ClashIn(const WrittenFile& file, int lastBlock) {
  std::array<std::size_t, BlockCount + 1> read{};
  const int found = FindBlockMarkers(file.lines, read);
  // The reader meets every marker the writer put, in order, so the first one it takes from
  // elsewhere stands before the writer's, or in the last block's body. None of the writer's
  // own lines reads as another block's marker: the line is the program's.
  for (int k = 0; k < found; ++k) {
    const std::size_t at = read[static_cast<std::size_t>(k)];
    if (k <= lastBlock && at == file.markers[static_cast<std::size_t>(k)]) continue;
    std::size_t p = file.parts.size() - 1;
    while (file.parts[p].fileLine > at) --p;
    const WrittenFile::Part& part = file.parts[p];
    return MarkerClash{part.where, part.block, part.firstLine + (at - part.fileLine) + 1, k,
                       file.lines[at]};
  }
  return std::nullopt;
}

void ApplySettingsLines(BlockRecord& r, SourceText lines) {
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

// The start of reading: what the file does not say comes from `before`, its blocks go, and
// the memory line counts.
ProgramRead StartReading(SourceText lines, const Program& before) {
  ProgramRead read;
  read.program.SetHeader(before.Header());
  read.program.SetGlobal(before.Global());
  read.program.SetMemory(before.Memory());
  if (lines.size() > 0 && StartsWith(lines[0], MemoryPrefix)) {
    const std::string_view text = lines[0].substr(MemoryPrefix.size(), 4);
    if (text == "COMM") {
      read.program.SetMemory(MemoryMode::Common);
    } else if (text == "DIST") {
      read.program.SetMemory(MemoryMode::Distributed);
    } else {
      read.memoryRefused = std::string(text);
    }
  }
  return read;
}

// Moves lines[begin, end) into block n's source and applies its settings lines.
void TakeBlockLines(BlockRecord& r, Lines& lines, std::size_t begin, std::size_t end) {
  if (begin == 0 && end == lines.size()) {
    r.source = std::move(lines);  // the whole text: no line needs to move
  } else {
    r.source.assign(std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(begin)),
                    std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(end)));
  }
  ApplySettingsLines(r, r.source);
}

// The header and GLOBAL text: the lines before the first marker.
void ReadHeaderAndGlobal(const Lines& lines, std::size_t first, ProgramRead& read) {
  Lines header;
  Lines glob;
  bool inGlobal = false;
  // An empty line directly before the first marker is the writer's separator; any other
  // line there is the file's own (the last GLOBAL line of a hand-written file, say).
  const std::size_t headEnd = first > 0 && lines[first - 1].empty() ? first - 1 : first;
  for (std::size_t j = 0; j < headEnd; ++j) {
    if (lines[j] == "GLOBAL") {
      inGlobal = true;
      continue;
    }
    if (inGlobal) read.layout.globalLines.push_back(j);
    (inGlobal ? glob : header).push_back(lines[j]);
  }
  while (header.size() > 1 && header.back().empty()) header.pop_back();
  read.program.SetHeader(std::move(header));
  read.program.SetGlobal(std::move(glob));
}

}  // namespace

Lines WriteProgramFile(const Program& program) {
  return WriteFile(program).lines;
}

Lines WriteProgramFile(const Program& program, std::optional<MarkerClash>& clash) {
  WrittenFile file = WriteFile(program);
  clash = ClashIn(file, program.LastBlock());
  return std::move(file.lines);
}

std::size_t BlockBodyStart(const Program& program, int n) {
  std::size_t marker = 0;
  return LeadingRun(program.Block(n).source, n, marker);
}

std::optional<ProgramRead> ReadUnmarkedFile(const LineViews& lines, const Program& before) {
  std::array<std::size_t, BlockCount + 1> markers{};
  if (FindBlockMarkers(lines, markers) > 0) return std::nullopt;
  ProgramRead read = StartReading(lines, before);
  ApplySettingsLines(read.program.Block(0), lines);
  return read;
}

ProgramRead ReadProgramFile(Lines lines, const Program& before) {
  std::array<std::size_t, BlockCount + 1> markers{};
  const int found = FindBlockMarkers(lines, markers);
  ProgramRead read = StartReading(lines, before);
  if (found == 0) {
    // Not a program file: the whole text is block 0; header and GLOBAL text stay. Its
    // settings lines count as in any block, or the block would change once it is saved
    // (with those lines in its text) and opened again.
    TakeBlockLines(read.program.Block(0), lines, 0, lines.size());
    return read;
  }
  read.marked = true;
  ReadHeaderAndGlobal(lines, markers[0], read);
  markers[static_cast<std::size_t>(found)] = lines.size();
  for (int n = 0; n < found; ++n) {
    if (n > 0) read.program.AddBlock();
    std::size_t end = markers[static_cast<std::size_t>(n + 1)];
    // The empty line before the next marker is the writer's separator, not the block's.
    if (n < found - 1 && end > markers[static_cast<std::size_t>(n)] + 1 && lines[end - 1].empty()) {
      --end;
    }
    read.layout.blockStart[static_cast<std::size_t>(n)] = markers[static_cast<std::size_t>(n)];
    TakeBlockLines(read.program.Block(n), lines, markers[static_cast<std::size_t>(n)], end);
  }
  return read;
}

}  // namespace q41

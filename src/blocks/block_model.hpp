#pragma once
// The program's blocks: six stored records, of which blocks 0 to LastBlock exist, and the
// current block, whose real content is the main window's working copy. The model moves data
// between the two only at the moments the commands name (store before a switch, show after
// it), so the window stays the place where the user's edits live.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "blocks/block_view.hpp"
#include "blocks/compile.hpp"
#include "blocks/compile_history.hpp"

namespace q41 {

inline constexpr int BlockCount = 6;

struct BlockRecord {
  Lines source;
  Lines code;
  // The code is what a failed compile left: it never goes into a code file as good code.
  bool codeFromFailedCompile = false;
  // The block's last compile, whichever command made it and wherever its text is now (the
  // working copy or the store): where its source differs from `source`, the code is older
  // than the text.
  CompileHistory history;
  PpuSet ppu{};
  // The PPU list, always the standard form of the set: derived, never kept beside it.
  std::string PpuList() const;
  std::string cpuAddress = "0000";
  std::string ppuAddress = "0000";
  std::string wordCount = "0000";
};

// The PPU list of a set: the chosen digits from 4 down to 1, padded on the left with "0"
// to four characters ("0031" for PPU1 and PPU3; "0000" for the CPU).
std::string PpuListText(const PpuSet& set);
// The set named by the first four characters of a text: each "1" to "4" chooses that PPU.
PpuSet PpuSetOf(std::string_view text);

// A line of the program that the reader would take for a block marker once the program is
// saved: opened again, the file's blocks would start elsewhere. The format has no escape
// for such a line, so the writer keeps it as it is and the user is told.
struct MarkerClash {
  enum class Where { Header, Global, Block };
  Where where = Where::Header;
  int block = 0;         // for Block: the block whose source holds the line
  std::size_t line = 0;  // 1-based, in the header, the GLOBAL text or the block's stored source
  int marker = 0;        // the block whose marker the line would be read as
  std::string text;      // the line as it is written
};

// What a compile reads besides the block: the language and the short-constant setting.
struct CompileSettings {
  Language language = Language::Russian;
  bool useShortConst = true;
  AssemblerOptions Options() const { return {language, useShortConst}; }
};

class BlockModel {
 public:
  BlockModel(BlockView& view, CompileWorkspace& workspace, const CompileSettings& settings)
      : view_(view), workspace_(workspace), settings_(settings) {}

  std::array<BlockRecord, BlockCount> BlockStore;
  int LastBlock = 0;
  int CurrentBlock = 0;
  bool FirstRun = true;

  // Whether the program holds changes that its file does not: anything a save of the
  // program file would write differently (a block's text, header, GLOBAL text, memory mode,
  // PPU choice, addresses, a block added or deleted). Compiling, switching blocks and saving
  // the code file change nothing of it. The windows report the user's edits through
  // Edited(); a new program, a program read from its file and a save make it unchanged.
  bool Modified() const { return modified_; }
  // Block n's last compile.
  const CompileHistory& History(int n) const {
    return BlockStore[static_cast<std::size_t>(n)].history;
  }
  void Edited() { SetModified(true); }
  void Saved() { SetModified(false); }

  // The lines the program file would have now, with the working copy of the current block
  // as it stands, and nothing stored or shown on the way (the address fields keep what the
  // user is typing). With `storeIsCurrent` the stored block is taken instead: the all-blocks
  // window, while active, edits the store itself.
  Lines ProgramFileNow(bool storeIsCurrent);

  // A view of the stored blocks, told of every change the model makes to them from now on.
  void AddStoredBlocksView(StoredBlocksView& view) { storedViews_.push_back(&view); }
  // A view's edits of stored block n, which it shows already.
  void SetStoredPpus(int n, const PpuSet& set);
  void SetStoredAddresses(int n, std::string cpuAddress, std::string ppuAddress);
  void SetStoredSource(int n, Lines source);

  // Working copy <-> stored record.
  void StoreCurrentBlock(int n);
  void ShowBlock(int n);
  void ClearBlock(int n);
  void EnableBlock(int n);
  void DisableBlock(int n);
  void PaintLamps();
  // Back to one block: block 0 with an empty line and HLT (at the first run, a comment
  // line, an empty line and HLT, and the header and GLOBAL texts keep their lines).
  void NewProgram();

  // The commands of the block controls and the menu.
  void SwitchToBlock(int tab);
  void AddBlock();
  void DeleteLastBlock();
  // New program, after its question: false when the user cancelled.
  bool AskNewProgram();
  // Compile+preproc. of the current block, and compile all blocks (stops at the first
  // block that fails, whose status line then starts with "Bl." and its number; false then).
  void CompileBlock();
  bool CompileAll();
  // Compile only: the text for compilation as it stands, into the working copy.
  void CompileOnly();
  // Preprocess only: its fault, if any, is the block's last fault.
  void PreprocessOnly();
  // A view moved block n's fault mark along with the faulty text, to `line` (1-based), as
  // lines above it were added or deleted.
  void FaultMoved(int block, int line);

  // The program file (.ASM). WriteProgramFile gives the file's lines for the program as
  // stored (the caller stores the current block first). ReadProgramFile rebuilds the
  // program from a file's lines and shows block 0.
  Lines WriteProgramFile() const;
  // Writes block n's marker and settings lines in place of the ones at the top of its source:
  // its own marker (the first line starting ";BLOCK n", whose text after those 8 characters
  // is kept), its settings lines and the empty lines among them. The result is where the
  // rest, the block's body, starts in its source; BlockBodyStart gives the same.
  std::size_t WriteBlockHeader(int n, Lines& out) const;
  std::size_t BlockBodyStart(int n) const;
  // The same, and in `clash` the first line of the program that the file would read back
  // as a block marker where the writer put none: a header or GLOBAL line, or a body line,
  // starting ";BLOCK k" with k the next block the reader looks for. Nothing when the file
  // reads back into the same blocks.
  Lines WriteProgramFile(std::optional<MarkerClash>& clash) const;
  void ReadProgramFile(Lines lines);
  // Where the parts of the file last read stand in it, as 0-based lines of the file: block
  // n's source line k (1-based) is the file's line blockStart[n] + k - 1; GLOBAL line j is
  // globalLines[j - 1].
  struct FileLayout {
    std::array<std::size_t, BlockCount> blockStart{};
    std::vector<std::size_t> globalLines;
  };
  const FileLayout& LastFileLayout() const { return layout_; }
  // Reads a file without block markers as ReadProgramFile does, except that block 0's
  // source stays with the caller, who keeps `lines` while the program is compiled: compile
  // all compiles them where they stand. False, with nothing read, when the file has the
  // marker of block 0. For a view that holds no source (see BlockView::HoldsBlockText).
  bool ReadUnmarkedFile(const LineViews& lines);
  void ApplyMemoryMode(std::string_view text);
  // Block n's source as stored, or the caller's lines of a file read by ReadUnmarkedFile.
  SourceText StoredSource(int n) const;

  // The code file (.Q41). PrepareCodeFile stores the current block and asks about every
  // block without code, with only the code of a failed compile, or with code older than its
  // text: false when the user cancelled. WriteCodeFile gives the file's lines; a block's section
  // holds no code from a failed compile, and its word count is the number of words it holds.
  // CodeFileText gives the same lines joined, each ended by `eol`, without a copy of every word on
  // the way.
  bool PrepareCodeFile();
  Lines WriteCodeFile() const;
  std::string CodeFileText(std::string_view eol) const;

 private:
  // Gives each line of the code file to `take`, in order.
  template <typename Take>
  void ForEachCodeFileLine(Take take) const;
  // The file's lines and where the writer put what, so a line of the file can be traced
  // back to the program's line it came from.
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
  WrittenFile WriteFile() const;
  std::optional<MarkerClash> ClashIn(const WrittenFile& file) const;
  // The top of block n's source that the writer replaces; the result is where its body
  // starts, and `marker` the index of its own marker there (the result when it has none).
  std::size_t LeadingRun(int n, std::size_t& marker) const;
  // Where the block markers stand; their count is the result.
  static int FindBlockMarkers(SourceText lines, std::array<std::size_t, BlockCount + 1>& markers);
  // The start of reading: the memory line, and every block cleared.
  void StartReading(SourceText lines);
  static void ApplySettingsLines(BlockRecord& r, SourceText lines);
  // Moves lines[begin, end) into block n's source and applies its settings lines.
  void TakeBlockLines(int n, Lines& lines, std::size_t begin, std::size_t end);

  void SetModified(bool modified);
  // Tells the views of the stored blocks that block n changed.
  void StoredChanged(int n);
  // Keeps a compile of `source` as block n's history and tells the view.
  void Record(int n, SourceText source, const CompileOutcome& outcome);

  BlockView& view_;
  CompileWorkspace& workspace_;
  bool modified_ = false;
  FileLayout layout_;
  std::vector<StoredBlocksView*> storedViews_;
  const LineViews* unmarked_ = nullptr;
  const CompileSettings& settings_;
};

}  // namespace q41

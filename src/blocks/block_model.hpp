#pragma once
// The windows' program: the program value, whose current block's real content is the main
// window's working copy (as the header, GLOBAL text and memory mode are its fields). The
// model moves data between the two only at the moments the commands name (store before a
// switch, show after it), so the window stays the place where the user's edits live.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "blocks/block_view.hpp"
#include "blocks/compile.hpp"
#include "blocks/program.hpp"
#include "blocks/program_file.hpp"

namespace q41 {

// What a compile reads besides the block: the language and the short-constant setting.
struct CompileSettings {
  Language language = Language::Russian;
  bool useShortConst = true;
  AssemblerOptions Options() const { return {language, useShortConst}; }
};

class BlockModel {
 public:
  BlockModel(const BlockViews& view, CompileWorkspace& workspace, const CompileSettings& settings)
      : view_(view), workspace_(workspace), settings_(settings) {}

  // The program as stored: the current block's text is the working copy's as of the last
  // store, and the header, GLOBAL text and memory mode as of the last file written or read.
  const Program& program() const { return program_; }
  int CurrentBlock() const { return currentBlock_; }
  int LastBlock() const { return program_.LastBlock(); }
  const BlockRecord& Stored(int n) const { return program_.Block(n); }

  // Whether the program holds changes that its file does not: anything a save of the
  // program file would write differently (a block's text, header, GLOBAL text, memory mode,
  // PPU choice, addresses, a block added or deleted). Compiling, switching blocks and saving
  // the code file change nothing of it. The windows report the user's edits through
  // Edited(); a new program, a program read from its file and a save make it unchanged.
  bool Modified() const { return modified_; }
  // Block n's last compile.
  const CompileHistory& History(int n) const { return program_.Block(n).history; }
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
  // Back to one block: block 0 with an empty line and HLT (at the first run, a comment
  // line, an empty line and HLT, and the header and GLOBAL texts keep their lines).
  void NewProgram();
  bool FirstRun() const { return firstRun_; }

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
  // stored (the caller stores the current block first), with the main window's header,
  // GLOBAL text and memory mode; see program_file.hpp for `clash`. ReadProgramFile rebuilds
  // the program from a file's lines and shows block 0.
  Lines WriteProgramFile();
  Lines WriteProgramFile(std::optional<MarkerClash>& clash);
  void ReadProgramFile(Lines lines);
  // Where the parts of the file last read stand in it.
  const FileLayout& LastFileLayout() const { return layout_; }

  // The code file (.Q41). PrepareCodeFile stores the current block and asks about every
  // block without code, with only the code of a failed compile, or with code older than its
  // text: false when the user cancelled. WriteCodeFile gives the file's lines.
  bool PrepareCodeFile();
  Lines WriteCodeFile();

 private:
  // The main window's header, GLOBAL text and memory mode into the program.
  void TakeProgramFields();
  // Block n's record was cleared: the views let go of what they kept of it.
  void Cleared(int n);
  void EnableBlock(int n);
  void DisableBlock(int n);
  void PaintLamps();
  class CompileAllDisplay;

  void SetModified(bool modified);
  // Tells the views of the stored blocks that block n changed.
  void StoredChanged(int n);
  // Keeps a compile of `source` as block n's history and tells the view.
  void Record(int n, SourceText source, const CompileOutcome& outcome);

  BlockViews view_;
  CompileWorkspace& workspace_;
  Program program_;
  int currentBlock_ = 0;
  bool firstRun_ = true;
  bool modified_ = false;
  FileLayout layout_;
  std::vector<StoredBlocksView*> storedViews_;
  const CompileSettings& settings_;
};

}  // namespace q41

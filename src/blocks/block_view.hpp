#pragma once
// What the block model sees of the main window: the working copy of the current block, its
// settings, the program-wide fields, the block tabs and lamps, the controls that the compile
// commands fill, and the questions it asks, each a role of its own. Texts are Windows-1251
// bytes.

#include <array>
#include <string>

#include "assembler/compil.hpp"
#include "blocks/program.hpp"
#include "common/err_diag.hpp"
#include "common/text.hpp"

namespace q41 {

enum class LampColor { White, Red, Green, Hidden };

enum class Question {
  DeleteBlock,
  ClearProgram,
  EmptyBlockCode,
  FailedBlockCode,  // the block's last compile failed: its code is left out
  StaleBlockCode,   // the block's text changed after its code was compiled
};

// The working copy of the current block: its source and code in the main window's editors.
class WorkingCopy {
 public:
  virtual ~WorkingCopy() = default;
  virtual Lines Source() const = 0;  // asmText
  // Block `block`'s source goes into the working copy.
  virtual void SetSource(const Lines& source, int block) = 0;
  // Block n was cleared (deleted, or the program replaced): whatever the view keeps of its
  // text beside the store (an undo history) goes.
  virtual void BlockCleared(int /*block*/) {}
  virtual Lines Code() const = 0;  // codeText
  // Whether the code shown came from a compile that failed: the words up to the fault, with
  // label placeholders unresolved. Such code must not pass for a block's code.
  virtual bool CodeFromFailedCompile() const = 0;
  virtual void SetCode(const Lines& code, bool fromFailedCompile) = 0;
  // The caret to the start of the source, nothing selected.
  virtual void SourceCaretToStart() = 0;
  // The source gets the keyboard focus; its caret and selection stay.
  virtual void FocusSource() = 0;
};

// The current block's settings in the block controls.
class BlockFields {
 public:
  virtual ~BlockFields() = default;
  virtual std::string PpuListCaption() const = 0;  // PPUlist
  virtual void SetPpuListCaption(const std::string& text) = 0;
  // Ticks p1 to p4; the PPU list caption follows the boxes.
  virtual void SetPpuBoxes(const PpuSet& set) = 0;
  virtual std::string CpuAddress() const = 0;  // Edit2
  virtual void SetCpuAddress(const std::string& text) = 0;
  virtual std::string PpuAddress() const = 0;  // Edit3
  virtual void SetPpuAddress(const std::string& text) = 0;
  virtual std::string WordCount() const = 0;  // NwordsLab
  virtual void SetWordCount(const std::string& text) = 0;
};

// The program-wide items: header (fileHeader), GLOBAL text (Glob), memory mode
// (RadioGroup1: 0 common, 1 distributed), and whether the program holds unsaved changes.
class ProgramFields {
 public:
  virtual ~ProgramFields() = default;
  virtual Lines Header() const = 0;
  virtual void SetHeader(const Lines& header) = 0;
  virtual Lines GlobalText() const = 0;
  virtual void SetGlobalText(const Lines& glob) = 0;
  virtual int MemoryMode() const = 0;
  virtual void SetMemoryMode(int mode) = 0;
  // A program file's memory type that is neither COMM nor DIST: the error box with `text`.
  virtual void MemoryTypeRefused(const std::string& text) = 0;
  // The program was edited (`modified`), or became its file's again (a new program, a file
  // read or saved): told at every edit, so that a copy of the work can follow it.
  virtual void ProgramChanged(bool /*modified*/) {}
};

// The block tabs and their lamps. Selecting or removing a tab from here never runs the
// tab-change command.
class BlockTabs {
 public:
  virtual ~BlockTabs() = default;
  virtual int TabCount() const = 0;
  virtual void AddTab(const std::string& caption) = 0;
  virtual void RemoveLastTab() = 0;
  virtual void SelectTab(int index) = 0;
  virtual void SetLamp(int block, LampColor color) = 0;
  // Block n is in the working copy now: n is the current block.
  virtual void BlockShown(int /*block*/) {}
};

// The compile-text window and what the compile commands show.
class CompileDisplay {
 public:
  virtual ~CompileDisplay() = default;
  virtual Lines CompText() const = 0;
  virtual void SetCompText(const Lines& text) = 0;
  virtual void SetCompileTextVisible(bool visible) = 0;
  // The label table changed: show its rows.
  virtual void ShowLabels() = 0;
  // A compile of the current block gave `code` from `source`: for each word, the source line
  // that produced it. The listing and the links between code and source come from this.
  virtual void ShowCodeOrigins(SourceText /*source*/, const Lines& /*code*/,
                               const std::vector<std::int32_t>& /*wordSourceLine*/) {}
  // Block n's compile history changed (see BlockModel::History): a compile of it, or the
  // fault of a preprocess only.
  virtual void CompileRecorded(int /*block*/) {}
  // LineLab, ErrLab and the selection in asmText.
  virtual void SetStatus(const StatusReport& status) = 0;
  // The modal warnings of an assembly.
  virtual AssemblerWarnings& Warnings() = 0;
};

// The questions and notices of the block commands.
class Questions {
 public:
  virtual ~Questions() = default;
  // True on OK. `block` fills in the code file's questions.
  virtual bool Ask(Question question, int block) = 0;
  virtual void NewBlockRestricted() = 0;
};

// What the block model sees of the main window, role by role. The main window plays every
// role with its widgets; the tests play them with plain fields.
struct BlockViews {
  WorkingCopy& copy;
  BlockFields& fields;
  ProgramFields& program;
  BlockTabs& tabs;
  CompileDisplay& display;
  Questions& questions;
};

// A view of the stored blocks themselves (the all-blocks window), told what the model
// changed in them.
class StoredBlocksView {
 public:
  virtual ~StoredBlocksView() = default;
  // Stored block n changed: show it again.
  virtual void StoredBlockChanged(int block) = 0;
  // Whether block n's fields take input: the block exists.
  virtual void SetBlockEnabled(int block, bool enabled) = 0;
};

}  // namespace q41

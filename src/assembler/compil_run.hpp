#pragma once
// One assembly run: the reading state shared by the three passes and the per-line state of
// the operand readers. Internal to the assembler; callers use Assemble.

#include <cstdint>
#include <string>
#include <vector>

#include "assembler/compil.hpp"
#include "assembler/mnemonic.hpp"

namespace q41 {

class AssemblyRun {
 public:
  AssemblyRun(Lines& compText, SourceLineMap& lineMap, const Lines& glob, SourceText source,
              LabelTable& labels, const AssemblerOptions& options, AssemblerWarnings* warnings)
      : compText_(compText),
        lineMap_(lineMap),
        glob_(glob),
        source_(source),
        labels_(labels),
        options_(options),
        warnings_(warnings) {}

  AssembleResult Run();

 private:
  // The passes (compil.cpp).
  void CollectLabels();
  // Pass 1's steps. Each returns false (0 for a row) after reporting its fault.
  bool ReadGlobalLabels();
  // Adds the name that line `lineAt` (0-based) of the text defines, up to `nameEnd`, with
  // its kind, and returns its row.
  int DefineName(std::size_t lineAt, std::size_t nameEnd, bool constant);
  // Sets a constant's value from the line after its definition, which `read` then passes.
  bool ReadConstantValue(int row, std::size_t lineAt, std::size_t& read);
  void EncodeInstructions();
  // False for a line whose name is no mnemonic (ErrorText says so); it makes no word.
  bool EncodeInstruction(const std::string& line);
  void ResolveReferences();
  // Shows errorText_ with the source line of line `compLine` (1-based) of the text, and
  // places it where the fault's text stands on that line.
  void ReportAsmError(std::int64_t compLine);
  // A fault about bytes [at, at + length) of the line being read (the text the message
  // quotes, or the operand it is about); a length of 0 stands for the whole line.
  void Fail(std::string text, std::size_t at = 0, std::size_t length = 0) {
    errorText_ = std::move(text);
    faultAt_ = at;
    faultLength_ = length;
  }
  // NormalizeNumber on a number that stands at `at` of the line being read.
  bool Normalize(std::string& text, std::size_t at);
  void Warn(const std::string& text, std::int32_t sourceLine = 0) {
    if (warnings_ != nullptr) warnings_->WarningAt(text, sourceLine);
  }

  // Operand readers and group handlers (compil_operands.cpp). A reader returns the operand
  // code, or NoCode; every one of them leaves its diagnostic in errorText_. `at` is where
  // the operand stands on the line.
  static constexpr char NoCode = '\0';
  char ParseConstOperand(std::string& text, std::size_t at);
  char ParseOperand(std::string& text, std::size_t at);
  void ParsePort(std::string& text, std::size_t at);
  // Splits the operand text at its first ","; without one, the fault of a missing comma.
  bool SplitOperands(std::string& first, std::string& second);
  void EncodeOperands();
  void EncodeNoOperand();
  void EncodeTwoOperands();
  void EncodeInOut();
  void EncodeJump();
  void EncodeBranch();
  void EncodeOneOperand();
  void EncodeDataWord();
  void SetFlagsDigit(int flags);

  Lines& compText_;
  SourceLineMap& lineMap_;
  const Lines& glob_;
  SourceText source_;
  LabelTable& labels_;
  const AssemblerOptions& options_;
  AssemblerWarnings* warnings_;

  std::string errorText_;
  // Where errorText_'s text stands on the line it is about (see Fail).
  std::size_t faultAt_ = 0;
  std::size_t faultLength_ = 0;
  StatusReport status_;
  bool hltSeen_ = false;
  std::int64_t compLine_ = 0;  // the line of the text being encoded, 1-based
  Lines code_;
  // For each code word, the 1-based line of the text for compilation that produced it.
  std::vector<std::int32_t> wordLine_;
  // The label row of each label line of the text, in the order of the lines.
  std::vector<int> labelLineRows_;
  // The row of each "@NAME" placeholder pass 2 wrote, in the order it wrote them.
  std::vector<int> refRows_;

  // State of the instruction line being encoded.
  const std::string* wholeLine_ = nullptr;
  const MnemonicEntry* mnemonic_ = nullptr;
  std::string word_;
  std::string ext1_;
  std::string ext2_;
  std::string operands_;
  std::size_t operandsAt_ = 0;  // where operands_ starts on the line
  int byteOperand_ = 0;
  int shortConstKind_ = 0;
  // The four digits of the last "#" number before a negative short constant's last digit
  // was replaced by its magnitude: what a widened constant's extension word holds.
  std::string constDigits_;
};

}  // namespace q41

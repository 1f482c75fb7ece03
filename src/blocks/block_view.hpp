#pragma once
// What the block model sees of the main window: the working copy of the current block and
// the controls that the compile commands fill. The main window implements it with widgets;
// tests implement it with plain fields. Texts are Windows-1251 bytes.

#include <string>

#include "assembler/compil.hpp"
#include "common/err_diag.hpp"
#include "common/text.hpp"

namespace q41 {

enum class LampColor { White, Red, Green, Hidden };

class BlockView {
 public:
  virtual ~BlockView() = default;

  // The working copy of the current block.
  virtual Lines Source() const = 0;             // asmText
  virtual void SetCode(const Lines& code) = 0;  // codeText

  // The program-wide GLOBAL text (Glob).
  virtual Lines GlobalText() const = 0;

  // The compile-text window and what the compile commands show.
  virtual Lines CompText() const = 0;
  virtual void SetCompText(const Lines& text) = 0;
  virtual void SetCompileTextVisible(bool visible) = 0;
  // The label table changed: show its rows.
  virtual void ShowLabels() = 0;
  // LineLab, ErrLab and the selection in asmText.
  virtual void SetStatus(const StatusReport& status) = 0;
  virtual std::string LineCaption() const = 0;
  virtual void SetLamp(int block, LampColor color) = 0;

  // The modal warnings of an assembly.
  virtual AssemblerWarnings& Warnings() = 0;
};

}  // namespace q41

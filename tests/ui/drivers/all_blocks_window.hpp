#pragma once
// The all-blocks window as its user meets it: one column per block, its source to type into
// and read, its code and fields, and the button back to the main window.

#include <QTest>
#include <QToolButton>

#include "editor_text.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/main/hidForm.hpp"

namespace q41::ui::test {

class AllBlocksWindow {
 public:
  explicit AllBlocksWindow(THF& window) : window_(window) {}
  THF& Window() const { return window_; }

  // Block `block`'s column: its source editor and lines, its code, its fields and frame.
  AsmEditor& SourceEditor(int block) const { return *Column(block).source; }
  QStringList Source(int block) const { return Text(*Column(block).source); }
  void SetSource(int block, const QStringList& lines) const {
    SetText(*Column(block).source, lines);
  }
  QPlainTextEdit& CodeView(int block) const { return *Column(block).code; }
  QStringList Code(int block) const { return Text(*Column(block).code); }
  const THF::Panel& Column(int block) const {
    return window_.panels[static_cast<std::size_t>(block)];
  }

  // The button that brings the main window forward.
  QToolButton& ReturnButton() const { return *window_.returnButton; }
  void Return() const { QTest::mouseClick(window_.returnButton, Qt::LeftButton); }

 private:
  THF& window_;
};

}  // namespace q41::ui::test

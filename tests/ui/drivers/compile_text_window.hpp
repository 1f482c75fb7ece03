#pragma once
// The compile-text window as its user meets it: the text for compilation and the short
// constants setting.

#include <QCheckBox>
#include <QGroupBox>

#include "editor_text.hpp"
#include "ui/main/midtext.hpp"

namespace q41::ui::test {

class CompileTextWindow {
 public:
  explicit CompileTextWindow(TForm2& window) : window_(window) {}
  TForm2& Window() const { return window_; }

  QPlainTextEdit& TextView() const { return *window_.compText; }
  QStringList Lines() const { return Text(*window_.compText); }
  QCheckBox& ShortConstBox() const { return *window_.ShConst; }
  void ClickShortConst() const { window_.ShConst->click(); }
  QGroupBox& SettingsGroup() const { return *window_.GroupBox1; }

 private:
  TForm2& window_;
};

}  // namespace q41::ui::test

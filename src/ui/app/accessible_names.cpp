#include "ui/app/accessible_names.hpp"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>
#include <array>

#include "ui/app/i_face.hpp"
#include "ui/app/widgets.hpp"
#include "ui/editor/asm_editor.hpp"
#include "ui/main/hidForm.hpp"
#include "ui/main/main_controls.hpp"
#include "ui/main/midtext.hpp"

namespace q41::ui {
namespace {

// The fields of one block, in the main window's working copy or a panel of the all-blocks
// window.
struct BlockFields {
  QWidget* source;
  QWidget* code;
  QWidget* cpuAddress;
  QWidget* ppuAddress;
  std::array<QCheckBox*, 4> ppu;
  QLabel* ppuList;
  QLabel* wordCount;
};

void NameBlockFields(Language language, const BlockFields& f, int block) {
  auto t = [language, block](InterfaceText row) { return Text(language, row).arg(block); };
  f.source->setAccessibleName(t(NameBlockSource));
  f.code->setAccessibleName(t(NameBlockCode));
  f.cpuAddress->setAccessibleName(t(NameCpuAddress));
  f.ppuAddress->setAccessibleName(t(NamePpuAddress));
  for (std::size_t k = 0; k < f.ppu.size(); ++k) {
    f.ppu[k]->setAccessibleName(t(NamePpuBox).arg(k + 1));
  }
  f.ppuList->setAccessibleDescription(t(NamePpuList));
  f.wordCount->setAccessibleDescription(t(NameWordCount));
}

// A hint of several lines names its button by its first.
QString FirstLine(const QString& text) {
  return text.section('\n', 0, 0);
}

}  // namespace

void NameMainControls(Language language, MainControls& c) {
  auto t = [language](InterfaceText row) { return Text(language, row); };
  c.fileHeader->setAccessibleName(t(NameHeader));
  c.Glob->setAccessibleName(t(NameGlobal));
  c.labels->setAccessibleName(t(NameLabels));
  c.labels->setAccessibleDescription(t(DescriptionLabels));
  c.LineLab->setAccessibleDescription(t(NameLineStatus));
  c.ErrLab->setAccessibleDescription(t(NameFaultStatus));
  const std::array<std::pair<QToolButton*, InterfaceText>, 4> buttons = {{
      {c.SpeedButton1, HintCompileBlock},
      {c.SpeedButton2, HintCompileAll},
      {c.BP, HintAddBlock},
      {c.BM, HintDeleteBlock},
  }};
  for (const auto& [button, hint] : buttons) button->setAccessibleName(FirstLine(t(hint)));
}

void NameCurrentBlock(Language language, MainControls& c, int block) {
  NameBlockFields(language,
                  {c.asmText, c.codeText, c.Edit2, c.Edit3, c.PpuBoxes, c.PPUlist, c.NwordsLab},
                  block);
}

void NameCompileText(Language language, TForm2& form2) {
  form2.compText->setAccessibleName(Text(language, NameCompText));
}

void NameBlockPanels(Language language, THF& hf) {
  for (int i = 0; i < static_cast<int>(hf.panels.size()); ++i) {
    THF::Panel& p = hf.panels[static_cast<std::size_t>(i)];
    NameBlockFields(
        language, {p.source, p.code, p.cpuAddress, p.ppuAddress, p.ppu, p.ppuList, p.wordCount}, i);
  }
  hf.returnButton->setAccessibleName(Text(language, NameReturn));
  hf.SpeedButton1->setAccessibleName(Text(language, NameReturn));
}

QString LampStateText(Language language, int block, LampColor state) {
  InterfaceText row = LampNotCompiled;
  switch (state) {
    case LampColor::Hidden:
      return {};
    case LampColor::White:
      break;
    case LampColor::Green:
      row = LampCompiled;
      break;
    case LampColor::Red:
      row = LampFailed;
      break;
  }
  return Text(language, NameLamp).arg(block).arg(Text(language, row));
}

}  // namespace q41::ui

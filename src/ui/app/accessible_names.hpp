#pragma once
// The names a screen reader reads for the controls that show no caption of their own (the
// editors, the address fields, the label grid, the picture buttons, the lamps), in the
// interface language. A caption on screen stays what it is: a name only says what the screen
// tells by place, such as whose block a field holds or which PPU a box stands for. A label
// that shows a value keeps the value as its name and says what it is in its description.

#include <QString>

#include "blocks/block_view.hpp"
#include "common/err_diag.hpp"

namespace q41::ui {

struct MainControls;
class TForm2;
class THF;

// The main window's names that stay whichever block is shown.
void NameMainControls(Language language, MainControls& controls);
// The names of the working copy's fields, which hold block `block` while it is shown.
void NameCurrentBlock(Language language, MainControls& controls, int block);
void NameCompileText(Language language, TForm2& form2);
void NameBlockPanels(Language language, THF& hf);

// What lamp `block` says of its block ("Block 2: compiled"); empty for a block that does
// not exist.
QString LampStateText(Language language, int block, LampColor state);

}  // namespace q41::ui

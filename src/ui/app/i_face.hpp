#pragma once
// The interface texts in Russian and in English: window titles, menu captions, hints, the
// label grid's header, the memory group, and the six questions and notices of the program.
// One set goes in place when the main window is first shown; nothing changes it later.

#include <QLocale>
#include <QString>

class QWidget;

#include "blocks/block_model.hpp"
#include "common/err_diag.hpp"
#include "common/interface_texts.hpp"

namespace q41::ui {

class TForm1;
class TForm2;

// The texts of the program's own message boxes; empty until the language is applied.
struct InterfaceMessages {
  QString MsgExit;
  QString MsgClearAsm;
  QString MsgNewBlockRestricted;
  QString MsgDeleteBlock;
  QString MsgClearProgram;
  QString MsgEmptyBlockCode;  // "*" stands for the block number
};

// The text of a row in a language (the selected-item row has no text).
QString Text(Language language, InterfaceText row);

// What the listing of block `block` says of its last compile when that failed: that the
// block did not compile, the fault's line and its message; empty when it did compile.
QString ListingFaultNote(Language language, int block, const CompileHistory& history);

// The hint of the all-blocks window's return button, read once when that window is built.
QString ReturnHint(Language language);

// The warning after saving a program with a line that will read as a block marker: where
// the line is, the line, and what opening the file will make of it.
QString MarkerClashText(Language language, const MarkerClash& clash);

// The conventions of the interface language for numbers and dates: the system's where the
// system speaks that language (its order of day and month, say), else the language's own.
QLocale InterfaceLocale(Language language);

// A file's size as a file list shows it, in the interface language: bytes below 1024, else
// in units of 1024 with two decimals ("2,00 КиБ", "2.00 KiB").
QString DataSizeText(Language language, qint64 bytes);

// What a system error number names, in the interface language whatever the system's locale.
QString SystemErrorText(Language language, int error);

// Sets all targets of the table from the chosen language. `hf` may be null while the
// all-blocks window does not exist.
void ApplyInterfaceLanguage(Language language, TForm1& form1, TForm2& form2, QWidget* hf,
                            InterfaceMessages& messages);
void ApplyRussianTexts(TForm1& form1, TForm2& form2, QWidget* hf, InterfaceMessages& messages);
void ApplyEnglishTexts(TForm1& form1, TForm2& form2, QWidget* hf, InterfaceMessages& messages);

}  // namespace q41::ui

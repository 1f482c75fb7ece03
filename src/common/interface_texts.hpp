#pragma once
// The interface texts of the windows in Russian and in English, by name: window titles,
// captions, hints, questions and notices. They have no toolkit of their own, so that every
// front end (the windows, the page) shows the same texts.

#include <cstddef>

#include "common/err_diag.hpp"

namespace q41 {

// The rows of the table, each of which names its text.
#define Q41_INTERFACE_TEXTS(X)                                                                \
  X(TitleForm1)                                                                               \
  X(TitleForm2)                                                                               \
  X(TitleHF)                                                                                  \
  X(GridLabel)                                                                                \
  X(GridAddr)                                                                                 \
  X(MemoryCaption)                                                                            \
  X(MemoryCommon)                                                                             \
  X(MemoryDistributed)                                                                        \
  X(MemorySelected)                                                                           \
  X(PpuCaption)                                                                               \
  X(WordsCaption)                                                                             \
  X(LampsCaption)                                                                             \
  X(HintCompileBlock)                                                                         \
  X(HintCompileAll)                                                                           \
  X(HintAddBlock)                                                                             \
  X(HintDeleteBlock)                                                                          \
  X(TextExit)                                                                                 \
  X(TextClearAsm)                                                                             \
  X(TextNewBlockRestricted)                                                                   \
  X(TextDeleteBlock)                                                                          \
  X(TextClearProgram)                                                                         \
  X(TextEmptyBlockCode)                                                                       \
  /* Beyond the original windows: the listing. */                                             \
  X(TitleListing)                                                                             \
  X(TextListingSave)                                                                          \
  X(TextListingFilter)                                                                        \
  X(TextListingNone)                                                                          \
  X(TextListingStale)                                                                         \
  X(TextListingFailed)                                                                        \
  X(TextListingFailedNoLine)                                                                  \
  /* and the instruction reference. */                                                        \
  X(TitleReference)                                                                           \
  X(TextReferenceSearch)                                                                      \
  X(NameReferenceSearch)                                                                      \
  X(TextReferenceNothing)                                                                     \
  /* and search. */                                                                           \
  X(TitleFind)                                                                                \
  X(TextFindLabel)                                                                            \
  X(TextReplaceLabel)                                                                         \
  X(TextMatchCase)                                                                            \
  X(TextFindNext)                                                                             \
  X(TextReplace)                                                                              \
  X(TextReplaceAll)                                                                           \
  X(TextNotFound)                                                                             \
  X(TextReplaced)                                                                             \
  /* and keeping the user's work. */                                                          \
  X(TextUnsaved)                                                                              \
  X(TextUnsavedNamed)                                                                         \
  X(TextRestore)                                                                              \
  X(TextNeverSaved)                                                                           \
  X(TextRestoreFailed)                                                                        \
  X(TextFailedBlockCode)                                                                      \
  X(TextStaleBlockCode)                                                                       \
  X(TextNotRegularFile)                                                                       \
  X(TextRecoveryFailed)                                                                       \
  X(ButtonSave)                                                                               \
  X(ButtonDontSave)                                                                           \
  X(ButtonCancel)                                                                             \
  X(ButtonRestore)                                                                            \
  X(ButtonDiscard)                                                                            \
  X(ButtonLater)                                                                              \
  X(HintReturn)                                                                               \
  X(ClashInHeader)                                                                            \
  X(ClashInGlobal)                                                                            \
  X(ClashInBlock)                                                                             \
  X(TextMarkerClash)                                                                          \
  /* and printing. */                                                                         \
  X(TitlePrint)                                                                               \
  X(TitleExportPdf)                                                                           \
  X(TextPrintSource)                                                                          \
  X(TextPrintListing)                                                                         \
  X(TextPdfFilter)                                                                            \
  X(TextPage)                                                                                 \
  X(TextPrintFailed)                                                                          \
  /* and characters the code page cannot hold. */                                             \
  X(TextNotKept)                                                                              \
  /* and completion: the last row of a list cut short ("%1" is how many more words match). */ \
  X(TextMoreCompletions)                                                                      \
  /* and the program's file changed on the disk by someone else. */                           \
  X(TitleUntitled)                                                                            \
  X(TextChangedOnDiskSave)                                                                    \
  X(TextChangedOnDiskReload)                                                                  \
  X(TextReloaded)                                                                             \
  X(TextFileGone)                                                                             \
  X(ButtonSaveElsewhere)                                                                      \
  X(ButtonOverwrite)                                                                          \
  X(ButtonKeepMine)                                                                           \
  X(ButtonReload)                                                                             \
  /* and the names a screen reader reads for controls that show no caption of their own */    \
  /* ("%1" is a block's number, "%2" a PPU's or a state). */                                  \
  X(NameBlockSource)                                                                          \
  X(NameBlockCode)                                                                            \
  X(NameCpuAddress)                                                                           \
  X(NamePpuAddress)                                                                           \
  X(NamePpuBox)                                                                               \
  X(NamePpuList)                                                                              \
  X(NameWordCount)                                                                            \
  X(NameHeader)                                                                               \
  X(NameGlobal)                                                                               \
  X(NameLabels)                                                                               \
  X(DescriptionLabels)                                                                        \
  X(NameLineStatus)                                                                           \
  X(NameFaultStatus)                                                                          \
  X(NameReturn)                                                                               \
  X(NameCompText)                                                                             \
  X(NameListingText)                                                                          \
  X(NameReferenceEntries)                                                                     \
  X(NameReferenceText)                                                                        \
  X(NameLamp)                                                                                 \
  X(LampCompiled)                                                                             \
  X(LampFailed)                                                                               \
  X(LampNotCompiled)

enum InterfaceText : int {
#define Q41_TEXT_ROW(name) name,
  Q41_INTERFACE_TEXTS(Q41_TEXT_ROW)
#undef Q41_TEXT_ROW
      InterfaceTextCount
};

// The text of a row in both languages (UTF-8; the selected-item row has none).
const Bilingual& InterfaceTextOf(InterfaceText row);
// The row's name, as the enumerator reads.
const char* InterfaceTextName(InterfaceText row);

}  // namespace q41

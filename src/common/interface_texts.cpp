#include "common/interface_texts.hpp"

#include <array>

#include "common/keyed_table.hpp"

namespace q41 {
namespace {

constexpr auto Table = std::to_array<KeyedText<InterfaceText>>({
    {TitleForm1, {" Ассемблер Q41", " Q41 Assembler"}},
    {TitleForm2, {" Текст для компиляции", " Text for compilation"}},
    {TitleHF, {" Блоки программы", " Program blocks"}},
    {GridLabel, {"Метка", "Label"}},
    {GridAddr, {"Адр.", "Addr."}},
    {MemoryCaption, {" Память: ", " Memory: "}},
    {MemoryCommon, {" общая", " common"}},
    {MemoryDistributed, {" распределенная", " distributed"}},
    {MemorySelected, {"", ""}},
    {PpuCaption, {" Список PPU ", " PPU list "}},
    {WordsCaption, {"Nслов =", "Nwords ="}},
    {LampsCaption, {" Компиляция блоков: ", " Blocks' compilation: "}},
    {HintCompileBlock, {"Компилировать этот блок", "Compile this block"}},
    {HintCompileAll, {"Компилировать все блоки", "Compile all blocks"}},
    {HintAddBlock, {"Добавить новый блок", "Add new block"}},
    {HintDeleteBlock, {"Удалить последний блок", "Delete last block"}},
    {TextExit, {"Действительно хотите выйти?", "Really want to exit?"}},
    {TextClearAsm,
     {"Действительно хотите очистить\nASM-текст?", "Really want to clear\nASM-text?"}},
    {TextNewBlockRestricted,
     {"Новый блок запрещен\nпока предыдущий ПУСТ!",
      "New block is restricted\nwhile previous is EMPTY!"}},
    {TextDeleteBlock,
     {"Удаляемый блок содержит текст.\nПодтвердите операцию!",
      "Deleting block contains text.\nConfirm operation!"}},
    {TextClearProgram,
     {"Вы действительно хотите\nочистить старую программу?",
      "Do you really want to\nclear old program?"}},
    {TextEmptyBlockCode,
     {"Код блока * пуст.\nДействительно хотите\nсохранить .COD файл?",
      "Code for block * is empty.\nDo you really want to save\n.COD file?"}},
    {TitleListing, {" Листинг", " Listing"}},
    {TextListingSave, {"Сохранить...", "Save..."}},
    {TextListingFilter,
     {"файлы листинга (*.lst);;все файлы (*.*)", "listing files (*.lst);;all files (*.*)"}},
    {TextListingNone,
     {"Этот блок ещё не компилировался.", "This block has not been compiled yet."}},
    {TextListingStale,
     {" (устарел: текст изменён после компиляции)",
      " (out of date: the text changed since the compile)"}},
    {TextListingFailed,
     {"Блок %1 не откомпилирован: ошибка в строке %2.",
      "Block %1 did not compile: the fault is on line %2."}},
    {TextListingFailedNoLine, {"Блок %1 не откомпилирован.", "Block %1 did not compile."}},
    {TitleReference, {" Справочник команд", " Instruction reference"}},
    {TextReferenceSearch, {"Найти в справочнике", "Search the reference"}},
    {NameReferenceSearch, {"Поиск по справочнику", "Reference search"}},
    {TextReferenceNothing, {"Ничего не найдено.", "Nothing found."}},
    {TitleFind, {"Найти и заменить", "Find and replace"}},
    {TextFindLabel, {"Найти:", "Find:"}},
    {TextReplaceLabel, {"Заменить на:", "Replace with:"}},
    {TextMatchCase, {"Учитывать регистр", "Match case"}},
    {TextFindNext, {"Найти далее", "Find next"}},
    {TextReplace, {"Заменить", "Replace"}},
    {TextReplaceAll, {"Заменить все", "Replace all"}},
    {TextNotFound, {"Не найдено.", "Not found."}},
    {TextReplaced, {"Заменено: ", "Replaced: "}},
    {TextUnsaved,
     {"В программе есть несохранённые изменения.\nСохранить их?",
      "The program has unsaved changes.\nSave them?"}},
    {TextUnsavedNamed,
     {"В программе %1 есть несохранённые изменения.\nСохранить их?",
      "The program %1 has unsaved changes.\nSave them?"}},
    {TextRestore,
     {"Найдена несохранённая работа: копия программы %1,\nзаписанная %2.\nВосстановить её?",
      "Work that was not saved was found: a copy of the program %1,\nwritten %2.\nRestore it?"}},
    {TextNeverSaved, {"(ещё не сохранялась)", "(never saved)"}},
    {TextRestoreFailed,
     {"Копию несохранённой работы не удалось прочитать:\n",
      "The copy of unsaved work could not be read:\n"}},
    {TextFailedBlockCode,
     {"Блок * не откомпилирован:\nего кода не будет в файле.\nСохранить .Q41 файл?",
      "Block * did not compile:\nits code is left out of the file.\nSave the .Q41 file?"}},
    {TextStaleBlockCode,
     {"Код блока * старше его текста:\nтекст изменён после компиляции.\nСохранить имеющийся код?",
      "The code of block * is older than its text:\nthe text changed after the compile.\n"
      "Save the code it holds?"}},
    {TextNotRegularFile, {"Это не обычный файл", "Not a regular file"}},
    {TextRecoveryFailed,
     {"Копия несохранённой работы не записана: ", "The copy of unsaved work was not written: "}},
    {ButtonSave, {"&Сохранить", "&Save"}},
    {ButtonDontSave, {"&Не сохранять", "&Don't save"}},
    {ButtonCancel, {"О&тмена", "&Cancel"}},
    {ButtonRestore, {"&Восстановить", "&Restore"}},
    {ButtonDiscard, {"&Удалить", "&Discard"}},
    {ButtonLater, {"&Позже", "&Later"}},
    {HintReturn,
     {"Открыть главное окно\n(альтернатива - клавиша \"F3\")",
      "Show main window\n(alternative - key \"F3\")"}},
    {ClashInHeader, {"заголовка", "the header"}},
    {ClashInGlobal, {"текста GLOBAL", "the GLOBAL text"}},
    {ClashInBlock, {"блока %1", "block %1"}},
    {TextMarkerClash,
     {"Строка %1 %2 начинается как маркер блока %3:\n%4\nФайл сохранён как есть, но при "
      "следующем открытии блок %3 начнётся с этой строки.",
      "Line %1 of %2 begins like the marker of block %3:\n%4\nThe file is saved as it is, but "
      "when it is opened again, block %3 will start at this line."}},
    {TitlePrint, {"Печать", "Print"}},
    {TitleExportPdf, {"Экспорт в PDF", "Export PDF"}},
    {TextPrintSource, {"&Текст блока с номерами строк", "The block's &source with line numbers"}},
    {TextPrintListing, {"&Листинг последней компиляции", "The &listing of the last compile"}},
    {TextPdfFilter, {"файлы PDF (*.pdf);;все файлы (*.*)", "PDF files (*.pdf);;all files (*.*)"}},
    {TextPage, {"Страница %1 из %2", "Page %1 of %2"}},
    {TextPrintFailed,
     {"Печать не удалась: принтер не принял задание.",
      "Printing failed: the printer did not take the job."}},
    {TextNotKept,
     {"Этих символов нет в кодировке Windows-1251, они заменены на \"?\":\n%1",
      "Windows-1251 has no place for these characters; they became \"?\":\n%1"}},
    {TextMoreCompletions,
     {"… и ещё %1: наберите дальше, чтобы сузить список",
      "… and %1 more: type on to narrow the list"}},
    {TitleUntitled, {"Без имени", "Untitled"}},
    {TextChangedOnDiskSave,
     {"Файл %1 изменён на диске после того, как был открыт или сохранён здесь.\n"
      "Если его перезаписать, эти изменения пропадут.",
      "The file %1 changed on disk since it was opened or saved here.\n"
      "Overwriting it loses those changes."}},
    {TextChangedOnDiskReload,
     {"Файл %1 изменён на диске после того, как был открыт или сохранён здесь.\n"
      "В программе есть несохранённые изменения: оставить их или прочитать файл заново?",
      "The file %1 changed on disk since it was opened or saved here.\n"
      "The program has unsaved changes: keep them, or read the file again?"}},
    {TextReloaded,
     {"Файл %1 изменился на диске и прочитан заново", "%1 changed on disk and was read again"}},
    {TextFileGone,
     {"Файла %1 больше нет на диске.\nПрограмма осталась как есть: сохраните её, чтобы не "
      "потерять.",
      "The file %1 is no longer on the disk.\nThe program stays as it is: save it to keep it."}},
    {ButtonSaveElsewhere, {"Сохранить в &другой файл", "Save &elsewhere"}},
    {ButtonOverwrite, {"&Перезаписать", "&Overwrite"}},
    {ButtonKeepMine, {"&Оставить мои изменения", "&Keep mine"}},
    {ButtonReload, {"&Перечитать", "&Reload"}},
    {NameBlockSource, {"Текст блока %1", "Block %1 source"}},
    {NameBlockCode, {"Код блока %1", "Code of block %1"}},
    {NameCpuAddress, {"Адрес CPU блока %1", "CPU address of block %1"}},
    {NamePpuAddress, {"Адрес PPU блока %1", "PPU address of block %1"}},
    {NamePpuBox, {"PPU %2 блока %1", "PPU %2 of block %1"}},
    {NamePpuList, {"Список PPU блока %1", "PPU list of block %1"}},
    {NameWordCount, {"Число слов кода блока %1", "Code words of block %1"}},
    {NameHeader, {"Заголовок программы", "Program header"}},
    {NameGlobal, {"Текст GLOBAL", "GLOBAL text"}},
    {NameLabels, {"Метки текущего блока", "Labels of the current block"}},
    {DescriptionLabels,
     {"Стрелки переходят по клеткам, Tab - к следующему полю",
      "Arrow keys move between cells, Tab to the next field"}},
    {NameLineStatus, {"Строка компиляции", "Compile line"}},
    {NameFaultStatus, {"Ошибка компиляции", "Compile fault"}},
    {NameReturn, {"Открыть главное окно", "Show main window"}},
    {NameCompText, {"Текст для компиляции", "Text for compilation"}},
    {NameListingText, {"Текст листинга", "Listing text"}},
    {NameReferenceEntries, {"Команды справочника", "Reference entries"}},
    {NameReferenceText, {"Описание команды", "Entry description"}},
    {NameLamp, {"Блок %1: %2", "Block %1: %2"}},
    {LampCompiled, {"откомпилирован", "compiled"}},
    {LampFailed, {"ошибка компиляции", "failed"}},
    {LampNotCompiled, {"не компилировался", "not compiled"}},
});
static_assert(KeyedInOrder<InterfaceTextCount>(Table));

constexpr auto Names = std::to_array<const char*>({
#define Q41_TEXT_NAME(name) #name,
    Q41_INTERFACE_TEXTS(Q41_TEXT_NAME)
#undef Q41_TEXT_NAME
});
static_assert(Names.size() == InterfaceTextCount);

}  // namespace

const Bilingual& InterfaceTextOf(InterfaceText row) {
  return Table[static_cast<std::size_t>(row)].text;
}

const char* InterfaceTextName(InterfaceText row) {
  return Names[static_cast<std::size_t>(row)];
}

}  // namespace q41

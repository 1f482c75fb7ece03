#include "ui/app/i_face.hpp"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <array>

#include "common/keyed_table.hpp"
#include "files/error_text.hpp"
#include "ui/app/accessible_names.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/app/widgets.hpp"
#include "ui/main/hidForm.hpp"
#include "ui/main/main_commands.hpp"
#include "ui/main/main_controls.hpp"
#include "ui/main/mainform.hpp"
#include "ui/main/midtext.hpp"

namespace q41::ui {
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

void ApplyTexts(Language language, TForm1& f, TForm2& form2, QWidget* hf, InterfaceMessages& m) {
  auto t = [language](InterfaceText row) { return Text(language, row); };
  f.setWindowTitle(t(TitleForm1));
  form2.setWindowTitle(t(TitleForm2));
  if (hf != nullptr) hf->setWindowTitle(t(TitleHF));
  if (auto* blocks = qobject_cast<THF*>(hf)) NameBlockPanels(language, *blocks);
  NameCompileText(language, form2);
  MainControls& c = f.Controls();
  NameMainControls(language, c);
  ApplyCommandCaptions(language, c);
  c.labelsModel->SetHeader(0, t(GridLabel));
  c.labelsModel->SetHeader(2, t(GridAddr));
  c.RadioGroup1->setTitle(t(MemoryCaption));
  c.RadioGroup1->AddItem(t(MemoryCommon));
  c.RadioGroup1->AddItem(t(MemoryDistributed));
  c.RadioGroup1->SetItemIndex(0);
  c.GroupBox1->setTitle(t(PpuCaption));
  c.Label4->setText(t(WordsCaption));
  c.Label4->adjustSize();
  c.GroupBox2->setTitle(t(LampsCaption));
  c.SpeedButton1->setToolTip(t(HintCompileBlock));
  c.SpeedButton2->setToolTip(t(HintCompileAll));
  c.BP->setToolTip(t(HintAddBlock));
  c.BM->setToolTip(t(HintDeleteBlock));
  m.MsgExit = t(TextExit);
  m.MsgClearAsm = t(TextClearAsm);
  m.MsgNewBlockRestricted = t(TextNewBlockRestricted);
  m.MsgDeleteBlock = t(TextDeleteBlock);
  m.MsgClearProgram = t(TextClearProgram);
  m.MsgEmptyBlockCode = t(TextEmptyBlockCode);
}

}  // namespace

QString Text(Language language, InterfaceText row) {
  return QString::fromUtf8(Table[static_cast<std::size_t>(row)].text.In(language));
}

QString ListingFaultNote(Language language, int block, const CompileHistory& history) {
  if (!history.compiled || history.succeeded) return {};
  const QString head =
      history.faultLineCompiled > 0
          ? Text(language, TextListingFailed).arg(block).arg(history.faultLineCompiled)
          : Text(language, TextListingFailedNoLine).arg(block);
  return history.fault.empty() ? head : head + "\n" + ToQt(history.fault);
}

QString ReturnHint(Language language) {
  return Text(language, HintReturn);
}

QString MarkerClashText(Language language, const MarkerClash& clash) {
  QString where;
  switch (clash.where) {
    case MarkerClash::Where::Header:
      where = Text(language, ClashInHeader);
      break;
    case MarkerClash::Where::Global:
      where = Text(language, ClashInGlobal);
      break;
    case MarkerClash::Where::Block:
      where = Text(language, ClashInBlock).arg(clash.block);
      break;
  }
  return Text(language, TextMarkerClash)
      .arg(clash.line)
      .arg(where)
      .arg(clash.marker)
      .arg(ToQt(clash.text));
}

QLocale InterfaceLocale(Language language) {
  const QLocale system = QLocale::system();
  if (language == Language::English) {
    return system.language() == QLocale::English ? system
                                                 : QLocale(QLocale::English, QLocale::UnitedStates);
  }
  return system.language() == QLocale::Russian ? system
                                               : QLocale(QLocale::Russian, QLocale::Russia);
}

QString DataSizeText(Language language, qint64 bytes) {
  const QLocale locale = InterfaceLocale(language);
  if (bytes < 1024) {
    const bool english = language == Language::English;
    // Russian: 1 байт, 2 байта, 5 байт, 11 байт, 21 байт, 22 байта.
    const qint64 last = bytes % 10;
    const bool few = last >= 2 && last <= 4 && (bytes % 100 < 12 || bytes % 100 > 14);
    const char* unit = english ? (bytes == 1 ? "byte" : "bytes") : (few ? "байта" : "байт");
    return locale.toString(bytes) + " " + QString::fromUtf8(unit);
  }
  static constexpr std::array<Bilingual, 6> Units = {{{"КиБ", "KiB"},
                                                      {"МиБ", "MiB"},
                                                      {"ГиБ", "GiB"},
                                                      {"ТиБ", "TiB"},
                                                      {"ПиБ", "PiB"},
                                                      {"ЭиБ", "EiB"}}};
  double value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < Units.size()) {
    value /= 1024;
    ++unit;
  }
  return locale.toString(value, 'f', 2) + " " + QString::fromUtf8(Units[unit].In(language));
}

QString SystemErrorText(Language language, int error) {
  return QString::fromStdString(files::ErrorText(error, language));
}

void ApplyInterfaceLanguage(Language language, TForm1& form1, TForm2& form2, QWidget* hf,
                            InterfaceMessages& messages) {
  if (language == Language::Russian) {
    ApplyRussianTexts(form1, form2, hf, messages);
  } else {
    ApplyEnglishTexts(form1, form2, hf, messages);
  }
}

void ApplyRussianTexts(TForm1& form1, TForm2& form2, QWidget* hf, InterfaceMessages& messages) {
  ApplyTexts(Language::Russian, form1, form2, hf, messages);
}

void ApplyEnglishTexts(TForm1& form1, TForm2& form2, QWidget* hf, InterfaceMessages& messages) {
  ApplyTexts(Language::English, form1, form2, hf, messages);
}

}  // namespace q41::ui

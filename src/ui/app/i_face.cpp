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
  return QString::fromUtf8(InterfaceTextOf(row).In(language));
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

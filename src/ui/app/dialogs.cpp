#include "ui/app/dialogs.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/app/i_face.hpp"

namespace q41::ui {
namespace {

// Names a file's type by its name alone. The toolkit's own provider looks into files whose
// name says nothing, and reading some of them never ends (a kernel log, a pipe): typing
// such a folder's path into a file dialog would hang the program with the user's work in it.
class NameOnlyIconProvider : public QFileIconProvider {
 public:
  using QFileIconProvider::icon;
  QIcon icon(const QFileInfo& info) const override { return icon(info.isDir() ? Folder : File); }
  // In the toolkit's words, which its translations know.
  QString type(const QFileInfo& info) const override {
    if (info.isDir()) return QFileDialog::tr("Folder", "All other platforms");
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QFileDialog::tr("File")
                            : QFileDialog::tr("%1 File").arg(suffix.toUpper());
  }
};

NameOnlyIconProvider& IconProvider() {
  static NameOnlyIconProvider provider;
  return provider;
}

// The file list's sizes and dates in the interface language: the toolkit writes them in the
// system's locale, whatever language the program speaks.
class InterfaceWordsModel : public QIdentityProxyModel {
 public:
  InterfaceWordsModel(Language language, QObject* parent)
      : QIdentityProxyModel(parent), language_(language), locale_(InterfaceLocale(language)) {}

  QVariant data(const QModelIndex& index, int role) const override {
    enum Column { Size = 1, Date = 3 };
    QVariant shown = QIdentityProxyModel::data(index, role);
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    // A folder has no size, nor does a file not looked at yet.
    if (role != Qt::DisplayRole || files == nullptr || shown.toString().isEmpty()) return shown;
    if (index.column() == Size) return DataSizeText(language_, files->size(mapToSource(index)));
    if (index.column() == Date) {
      return locale_.toString(files->lastModified(mapToSource(index)), QLocale::ShortFormat);
    }
    return shown;
  }

 private:
  Language language_;
  QLocale locale_;
};

// The size, type and date columns wide enough for the interface language's longest texts:
// the toolkit measures them by English samples, and a Russian date did not fit. The name
// column gives up what they took, as far as it stays twenty characters wide, so that the
// date stays in view. A column the user made wider stays so.
void FitColumns(QFileDialog& dialog, Language language) {
  auto* view = dialog.findChild<QTreeView*>("treeView");
  if (view == nullptr) return;
  const QFontMetrics metrics(view->font());
  const QString samples[] = {
      DataSizeText(language, 1023 * 1024 + 1023),
      QFileDialog::tr("%1 File").arg("WWWW"),
      InterfaceLocale(language).toString(QDateTime(QDate(2000, 12, 28), QTime(23, 59)),
                                         QLocale::ShortFormat),
  };
  int grown = 0;
  for (int column = 1; column <= 3; ++column) {
    const int wanted =
        metrics.horizontalAdvance(samples[column - 1]) + metrics.averageCharWidth() * 3;
    const int now = view->header()->sectionSize(column);
    if (now >= wanted) continue;
    view->header()->resizeSection(column, wanted);
    grown += wanted - now;
  }
  const int names = view->header()->sectionSize(0);
  const int given = std::min(grown, names - metrics.averageCharWidth() * 20);
  if (given > 0) view->header()->resizeSection(0, names - given);
}

std::optional<QString> Run(QFileDialog& dialog, Language language) {
  // The desktop's own dialog would speak the desktop's language, and read the files it lists.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setIconProvider(&IconProvider());
  dialog.setProxyModel(new InterfaceWordsModel(language, &dialog));
  dialog.setOption(QFileDialog::DontUseCustomDirectoryIcons);
  FitColumns(dialog, language);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace

namespace {

// A box of the toolkit's with the text as it is: a file name such as "<b>x.asm" must not be
// taken for markup.
QMessageBox::StandardButton Show(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                 QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton escape) {
  QMessageBox box(icon, QApplication::applicationName(), text, buttons, parent);
  box.setTextFormat(Qt::PlainText);
  box.setEscapeButton(escape);
  if (buttons & QMessageBox::Cancel) box.setDefaultButton(QMessageBox::Cancel);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  return clicked != nullptr ? box.standardButton(clicked) : escape;
}

}  // namespace

void QtDialogs::Warning(const QString& text) {
  Show(parent_, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtDialogs::Error(const QString& text) {
  Show(parent_, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtDialogs::Confirm(const QString& text) {
  return Show(parent_, QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel,
              QMessageBox::Cancel) == QMessageBox::Ok;
}

bool QtDialogs::ConfirmWarning(const QString& text) {
  return Show(parent_, QMessageBox::Warning, text, QMessageBox::Ok | QMessageBox::Cancel,
              QMessageBox::Cancel) == QMessageBox::Ok;
}

Choice QtDialogs::AskToSave(const QString& text) {
  return Ask(text, false, ButtonSave, ButtonDontSave, ButtonCancel);
}

Choice QtDialogs::AskToRestore(const QString& text) {
  return Ask(text, true, ButtonRestore, ButtonDiscard, ButtonLater);
}

Choice QtDialogs::AskToOverwrite(const QString& text) {
  return Ask(text, false, ButtonSaveElsewhere, ButtonOverwrite, ButtonCancel);
}

Choice QtDialogs::AskToReload(const QString& text) {
  return Ask(text, false, ButtonKeepMine, ButtonReload, std::nullopt);
}

Choice QtDialogs::Ask(const QString& text, bool question, InterfaceText keepText,
                      InterfaceText discardText, std::optional<InterfaceText> cancelText) {
  QMessageBox box(question ? QMessageBox::Question : QMessageBox::Warning,
                  QApplication::applicationName(), text, QMessageBox::NoButton, parent_);
  box.setTextFormat(Qt::PlainText);
  QPushButton* keep = box.addButton(QMessageBox::Save);
  QPushButton* discard = box.addButton(QMessageBox::Discard);
  QPushButton* cancel = cancelText ? box.addButton(QMessageBox::Cancel) : nullptr;
  keep->setText(Text(language_, keepText));
  discard->setText(Text(language_, discardText));
  if (cancel != nullptr) cancel->setText(Text(language_, *cancelText));
  box.setDefaultButton(keep);
  box.setEscapeButton(cancel != nullptr ? cancel : keep);
  box.exec();
  if (box.clickedButton() == discard) return Choice::Discard;
  if (cancel == nullptr || box.clickedButton() == keep) return Choice::Keep;
  return Choice::Cancel;
}

std::optional<QString> QtDialogs::OpenFile(const QString& filter) {
  QFileDialog dialog(parent_, QString(), QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return Run(dialog, language_);
}

std::optional<QString> QtDialogs::SaveFile(const QString& filter, const QString& defaultSuffix,
                                           const QString& name) {
  QFileDialog dialog(parent_, QString(), QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(defaultSuffix);
  // Saving over a file of the same name does not ask first.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (!name.isEmpty()) dialog.selectFile(name);
  return Run(dialog, language_);
}

std::optional<PrintContent> QtDialogs::ChoosePrintContent(const QString& title, bool listing) {
  QDialog dialog(parent_);
  dialog.setObjectName("PrintContent");
  dialog.setWindowTitle(title);
  auto* layout = new QVBoxLayout(&dialog);
  auto* source = new QRadioButton(Text(language_, TextPrintSource), &dialog);
  source->setObjectName("source");
  auto* listingButton = new QRadioButton(Text(language_, TextPrintListing), &dialog);
  listingButton->setObjectName("listing");
  listingButton->setEnabled(listing);
  source->setChecked(true);
  layout->addWidget(source);
  layout->addWidget(listingButton);
  // The toolkit's own buttons, in the toolkit's words of the interface language.
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  source->setFocus();
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return listingButton->isChecked() ? PrintContent::Listing : PrintContent::Source;
}

bool QtDialogs::SetUpPrinter(QPrinter& printer) {
  QPrintDialog dialog(&printer, parent_);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace q41::ui

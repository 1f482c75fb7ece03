#include "ui/dialogs.hpp"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace q41::ui {

void QtDialogs::Warning(const QString& text) {
  QMessageBox::warning(parent_, QApplication::applicationName(), text);
}

void QtDialogs::Error(const QString& text) {
  QMessageBox::critical(parent_, QApplication::applicationName(), text);
}

bool QtDialogs::Confirm(const QString& text) {
  return QMessageBox::question(parent_, QApplication::applicationName(), text,
                               QMessageBox::Ok | QMessageBox::Cancel,
                               QMessageBox::Cancel) == QMessageBox::Ok;
}

bool QtDialogs::ConfirmWarning(const QString& text) {
  return QMessageBox::warning(parent_, QApplication::applicationName(), text,
                              QMessageBox::Ok | QMessageBox::Cancel,
                              QMessageBox::Cancel) == QMessageBox::Ok;
}

std::optional<QString> QtDialogs::OpenFile(const QString& filter) {
  const QString name = QFileDialog::getOpenFileName(parent_, QString(), QString(), filter);
  if (name.isEmpty()) return std::nullopt;
  return name;
}

std::optional<QString> QtDialogs::SaveFile(const QString& filter, const QString& defaultSuffix) {
  QFileDialog dialog(parent_, QString(), QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(defaultSuffix);
  // Saving over a file of the same name does not ask first.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace q41::ui

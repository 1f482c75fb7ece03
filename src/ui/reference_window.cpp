#include "ui/reference_window.hpp"

#include <QHBoxLayout>
#include <QListWidget>
#include <QTextBrowser>

#include "ui/style.hpp"

namespace q41::ui {

ReferenceWindow::ReferenceWindow(QWidget* mainWindow, Language language)
    : ToolWindow(mainWindow), reference_(InstructionReference(language)) {
  setObjectName("ReferenceWindow");
  setFont(DesignFont());
  resize(760, 520);
  entries = new QListWidget(this);
  entries->setObjectName("referenceEntries");
  entries->setFixedWidth(150);
  for (const ReferenceEntry& e : reference_) entries->addItem(QString::fromStdString(e.title));
  text = new QTextBrowser(this);
  text->setObjectName("referenceText");
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(entries);
  layout->addWidget(text, 1);
  connect(entries, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0 && static_cast<std::size_t>(row) < reference_.size()) {
      text->setHtml(QString::fromStdString(reference_[static_cast<std::size_t>(row)].html));
    }
  });
  entries->setCurrentRow(0);
}

bool ReferenceWindow::ShowEntry(const QString& key) {
  const std::string wanted = key.toUpper().toStdString();
  for (std::size_t k = 0; k < reference_.size(); ++k) {
    if (reference_[k].key == wanted) {
      entries->setCurrentRow(static_cast<int>(k));
      return true;
    }
  }
  return false;
}

QString ReferenceWindow::ShownKey() const {
  const int row = entries->currentRow();
  return row < 0 ? QString()
                 : QString::fromStdString(reference_[static_cast<std::size_t>(row)].key);
}

}  // namespace q41::ui

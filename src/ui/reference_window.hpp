#pragma once
// The instruction reference window: its entries listed on the left, the chosen one on the
// right, in the interface language.

#include <QWidget>
#include <vector>

#include "blocks/reference.hpp"

class QListWidget;
class QTextBrowser;

namespace q41::ui {

class ReferenceWindow : public QWidget {
  Q_OBJECT
 public:
  ReferenceWindow(QWidget* mainWindow, Language language);

  // Shows the entry of that key (a mnemonic in any case, or a topic); false, with the
  // shown entry unchanged, when there is none.
  bool ShowEntry(const QString& key);
  QString ShownKey() const;

  QListWidget* entries;
  QTextBrowser* text;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::vector<ReferenceEntry> reference_;
};

}  // namespace q41::ui

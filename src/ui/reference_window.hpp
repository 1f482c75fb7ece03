#pragma once
// The instruction reference window: its entries listed on the left, the chosen one on the
// right, in the interface language.

#include <vector>

#include "blocks/reference.hpp"
#include "ui/widgets.hpp"

class QListWidget;
class QTextBrowser;

namespace q41::ui {

class ReferenceWindow : public ToolWindow {
  Q_OBJECT
 public:
  ReferenceWindow(QWidget* mainWindow, Language language);

  // Shows the entry of that key (a mnemonic in any case, or a topic); false, with the
  // shown entry unchanged, when there is none.
  bool ShowEntry(const QString& key);
  QString ShownKey() const;

  QListWidget* entries;
  QTextBrowser* text;

 private:
  std::vector<ReferenceEntry> reference_;
};

}  // namespace q41::ui

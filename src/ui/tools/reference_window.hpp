#pragma once
// The instruction reference window: a search field and the entries listed on the left, the
// chosen one on the right, in the interface language. Typing in the field keeps the entries
// whose mnemonic, title or text hold what is typed, the closest first (the mnemonic itself,
// then titles that begin with it, then titles and texts that hold it), and lights it up in the
// entry shown. The keyboard alone finds an entry: Up and Down in the field choose among those
// kept, Return reads the entry, Escape closes the window.

#include <vector>

#include "blocks/reference.hpp"
#include "ui/app/widgets.hpp"

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace q41::ui {

class ReferenceWindow : public ToolWindow {
  Q_OBJECT
 public:
  ReferenceWindow(QWidget* mainWindow, Language language);

  // Shows the entry of that key (a mnemonic in any case, or a topic), clearing a search that
  // left it out; false, with the shown entry and the search unchanged, when there is none.
  bool ShowEntry(const QString& key);
  QString ShownKey() const;
  // The keys of the entries listed, in order.
  QStringList ListedKeys() const;

  QLineEdit* search;
  QListWidget* entries;
  QTextBrowser* text;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Lists the entries that hold `query`, the closest first; all of them for none.
  void Filter(const QString& query);
  // Shows the entry of a row of the list, what is searched for lit up in it.
  void ShowRow(int row);

  Language language_;
  std::vector<ReferenceEntry> reference_;
  std::vector<QString> plain_;  // each entry's text without its markup, to search in
};

}  // namespace q41::ui

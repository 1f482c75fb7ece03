#pragma once
// The windows that stand beside the main window: the listing of the current block, the
// instruction reference and the find and replace dialog. Each is made when first asked for
// and then kept, placed beside the main window.

#include <QObject>
#include <QPointer>
#include <memory>

class QMainWindow;
class QPlainTextEdit;

namespace q41::ui {

class AsmEditor;
class EditorLines;
class FindDialog;
class ListingWindow;
class Application;
class ReferenceWindow;

class ToolWindows : public QObject {
 public:
  // `asmText` and its lines `source` are the main window's source editor.
  ToolWindows(Application& program, QMainWindow& mainWindow, AsmEditor& asmText,
              const EditorLines& source);
  ~ToolWindows() override;

  // Null until first opened.
  ListingWindow* Listing() { return listing_.get(); }
  ReferenceWindow* Reference() { return reference_.get(); }
  FindDialog* Find() { return find_.get(); }

  // The commands that bring each to the front.
  void ShowListing();
  void ShowReference();
  void ShowFind();

  // The listing window, when open, shows the current block's last compile.
  void RefreshListing();
  // The source was edited: an open listing says it is no longer the text's.
  void SourceEdited();

 private:
  void SetListingTitle(bool stale);
  void SaveListing();
  void GoToSourceLine(int line);

  Application& program_;
  QMainWindow& mainWindow_;
  AsmEditor& asmText_;
  const EditorLines& source_;
  std::unique_ptr<ListingWindow> listing_;
  std::unique_ptr<ReferenceWindow> reference_;
  std::unique_ptr<FindDialog> find_;
  // The source editor that last had the keyboard, in either window: what the find dialog
  // searches.
  QPointer<QPlainTextEdit> lastSourceEditor_;
};

}  // namespace q41::ui

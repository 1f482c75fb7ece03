#pragma once
// Message boxes and file dialogs behind one small interface, so that tests can script the
// answers. Texts are Qt strings: these are the interface's own words.

#include <QString>
#include <optional>

#include "common/err_diag.hpp"
#include "ui/app/i_face.hpp"

class QPrinter;
class QWidget;

namespace q41::ui {

// The answer to a question with three buttons: the first (Save, Restore), the second
// (Discard), or Cancel (also closing the box).
enum class Choice { Keep, Discard, Cancel };

// What a block's printout holds: its source with line numbers, or its listing.
enum class PrintContent { Source, Listing };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void Warning(const QString& text) = 0;
  virtual void Error(const QString& text) = 0;
  // A question with OK and Cancel, as a confirmation or a warning box; closing the box
  // counts as Cancel.
  virtual bool Confirm(const QString& text) = 0;
  virtual bool ConfirmWarning(const QString& text) = 0;
  // Unsaved changes would go: Save, Discard or Cancel.
  virtual Choice AskToSave(const QString& text) = 0;
  // Work left by an instance that ended without saving: Restore, Discard or later (Cancel).
  virtual Choice AskToRestore(const QString& text) = 0;
  // The program's file changed on the disk since this instance read or wrote it, and is about
  // to be written over: Save elsewhere (Keep), Overwrite (Discard) or Cancel.
  virtual Choice AskToOverwrite(const QString& text) = 0;
  // It changed while the program holds unsaved changes: Keep mine (Keep, also closing the
  // box) or Reload (Discard).
  virtual Choice AskToReload(const QString& text) = 0;
  // A file name, or nothing when the user cancels. `filter` is a Qt filter list; `name`, when
  // given, is offered first.
  virtual std::optional<QString> OpenFile(const QString& filter) = 0;
  virtual std::optional<QString> SaveFile(const QString& filter, const QString& defaultSuffix,
                                          const QString& name = {}) = 0;
  // What to print, under the dialog's `title`; nothing when the user cancels. The listing
  // is offered only when `listing` says there is one.
  virtual std::optional<PrintContent> ChoosePrintContent(const QString& title, bool listing) = 0;
  // The printer and its settings, chosen into `printer`; false when the user cancels.
  virtual bool SetUpPrinter(QPrinter& printer) = 0;
};

// The toolkit's own boxes and dialogs, modal over `parent`, with the buttons of the
// three-button questions captioned in the interface language.
class QtDialogs : public Dialogs {
 public:
  QtDialogs(QWidget* parent, Language language) : parent_(parent), language_(language) {}
  void Warning(const QString& text) override;
  void Error(const QString& text) override;
  bool Confirm(const QString& text) override;
  bool ConfirmWarning(const QString& text) override;
  Choice AskToSave(const QString& text) override;
  Choice AskToRestore(const QString& text) override;
  Choice AskToOverwrite(const QString& text) override;
  Choice AskToReload(const QString& text) override;
  std::optional<QString> OpenFile(const QString& filter) override;
  std::optional<QString> SaveFile(const QString& filter, const QString& defaultSuffix,
                                  const QString& name = {}) override;
  std::optional<PrintContent> ChoosePrintContent(const QString& title, bool listing) override;
  bool SetUpPrinter(QPrinter& printer) override;

 private:
  // A question of two or three buttons (no Cancel when `cancel` is empty: closing the box then
  // keeps).
  Choice Ask(const QString& text, bool question, InterfaceText keep, InterfaceText discard,
             std::optional<InterfaceText> cancel);
  QWidget* parent_;
  Language language_;
};

}  // namespace q41::ui

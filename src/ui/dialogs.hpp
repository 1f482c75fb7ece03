#pragma once
// Message boxes and file dialogs behind one small interface, so that tests can script the
// answers. Texts are Qt strings: these are the interface's own words.

#include <QString>
#include <optional>

class QWidget;

namespace q41::ui {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void Warning(const QString& text) = 0;
  virtual void Error(const QString& text) = 0;
  // A question with OK and Cancel, as a confirmation or a warning box; closing the box
  // counts as Cancel.
  virtual bool Confirm(const QString& text) = 0;
  virtual bool ConfirmWarning(const QString& text) = 0;
  // A file name, or nothing when the user cancels. `filter` is a Qt filter list.
  virtual std::optional<QString> OpenFile(const QString& filter) = 0;
  virtual std::optional<QString> SaveFile(const QString& filter, const QString& defaultSuffix) = 0;
};

// The toolkit's own boxes and dialogs, modal over `parent`.
class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent) : parent_(parent) {}
  void Warning(const QString& text) override;
  void Error(const QString& text) override;
  bool Confirm(const QString& text) override;
  bool ConfirmWarning(const QString& text) override;
  std::optional<QString> OpenFile(const QString& filter) override;
  std::optional<QString> SaveFile(const QString& filter, const QString& defaultSuffix) override;

 private:
  QWidget* parent_;
};

}  // namespace q41::ui

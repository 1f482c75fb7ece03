#pragma once
// Find and replace in the source editors: it works on the one that last had the keyboard,
// the main window's source or an all-blocks source column. Replacing goes through the editor
// as typing would, so that Undo takes it back (Replace all as one step). It replaces in the
// main window's source only: an all-blocks column is the stored block itself, and text put
// there while that window is not the one in use would not reach the working copy.

#include <QDialog>
#include <QPointer>
#include <QTextDocument>

#include "common/err_diag.hpp"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace q41::ui {

class FindDialog : public QDialog {
  Q_OBJECT
 public:
  FindDialog(QWidget* mainWindow, Language language);

  // The editor searched: the source editor that last had the keyboard.
  void SetTarget(QPlainTextEdit* editor, bool canReplace);
  QPlainTextEdit* Target() const { return target_; }

  // Selects the next match after the caret, wrapping round at the end; false when none.
  bool FindNext();
  // Replaces the selected match, then finds the next one.
  void ReplaceOne();
  // Replaces every match; returns how many.
  int ReplaceAll();

  QLineEdit* findText;
  QLineEdit* replaceText;
  QCheckBox* matchCase;
  QPushButton* findButton;
  QPushButton* replaceButton;
  QPushButton* replaceAllButton;
  QLabel* status;

 private:
  bool SelectionMatches() const;
  QTextDocument::FindFlags Flags() const;
  // A target to replace in, and replacing allowed there.
  bool CanReplace() const;

  Language language_;
  QPointer<QPlainTextEdit> target_;
};

}  // namespace q41::ui

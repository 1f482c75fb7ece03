#pragma once
// The source editors: a Memo that colours the assembly syntax of the lines on screen (and
// only those, so that a program of a million lines costs no more than a short one), and may
// number its lines in a gutter inside its own frame, so that the control keeps its outer
// position and size. The line with the caret is faintly highlighted; a marked line (the
// last fault) carries a mark in the gutter. The mark holds on to its text, not to a number:
// lines added or deleted above it carry it along.

#include <QList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

#include "ui/editor/memo.hpp"

namespace q41::ui {

class AsmEditor : public Memo {
  Q_OBJECT
 public:
  AsmEditor(QWidget* parent, bool numbered);

  // 1-based; 0 for none.
  void SetMarkedLine(int line);
  int MarkedLine() const { return markedLine_; }

 signals:
  // An edit moved the marked text to another line.
  void MarkedLineMoved(int line);

 public:
  // Selections another feature wants shown beside the colours (a linked line).
  void SetHighlights(QList<QTextEdit::ExtraSelection> highlights);
  // The places that name what the caret stands on, shown faintly.
  void SetNameUses(QList<QTextEdit::ExtraSelection> uses);

  // A fault or warning of the check as the user types: its text underlined with a wavy line,
  // its line marked in the gutter. The marks hold on to their text as it is edited.
  struct Diagnostic {
    int line = 0;  // 1-based
    int start = 0;
    int length = 0;
    QString message;
    bool warning = false;
    bool operator==(const Diagnostic&) const = default;
  };
  void SetDiagnostics(const QList<Diagnostic>& diagnostics);
  // The message of a diagnostic mark at `line` (1-based), whether on its text when `column`
  // is given (a character offset) or anywhere on the line when it is -1; empty for none.
  QString DiagnosticAt(int line, int column = -1) const;
  // The line of the gutter at a point of it, 1-based; 0 off the lines.
  int GutterLineAt(int y) const;
  int GutterWidth() const;
  // A numbered editor holds a block's source; the text for compilation is not numbered.
  bool IsNumbered() const { return numbered_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  class Gutter;
  void PaintGutter(QPaintEvent* event);
  void UpdateGutterWidth();
  // Holds the mark on the block of its line in the document shown: a new document (a text
  // installed whole, or a preview replaced by the full text) takes it by its number.
  void AnchorMark();
  // Follows the marked text after lines were added or deleted.
  void FollowMark();
  // The current line, the highlights and the colours of the lines on screen, when any of
  // them changed.
  void Refresh();
  QList<QTextEdit::ExtraSelection> Selections(const QTextBlock& first,
                                              const QTextBlock& last) const;

  bool numbered_;
  Gutter* gutter_ = nullptr;
  int markedLine_ = 0;
  QTextCursor mark_;  // at the start of the marked text; null when it has no line yet
  QList<QTextEdit::ExtraSelection> highlights_;
  QList<QTextEdit::ExtraSelection> uses_;
  struct Mark {
    QTextCursor text;  // selects the marked text
    QString message;
    bool warning;
  };
  QList<Mark> diagnostics_;
  // What the last refresh showed: lines first to last, at this revision, caret line.
  struct Shown {
    const void* document = nullptr;  // a new text may come as a new document, quietly
    int blocks = -1;
    int marked = -1;
    int first = -1;
    int last = -1;
    int revision = -1;
    int caretLine = -1;
    int highlights = -1;
    bool operator==(const Shown&) const = default;
  } shown_;
  int highlightsGeneration_ = 0;
  QTimer refreshTimer_;
};

}  // namespace q41::ui

#pragma once

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <memory>
#include <optional>
#include <vector>

namespace q41::ui {

// A multi-line editor that takes in only what the code page can hold: a character typed,
// pasted, dropped or composed that it cannot hold enters as "?", so what the user sees is
// what the program keeps. Shift+Return starts a new line as Return does, not a line break
// inside the line that no file could hold.
//
// The toolkit shapes a line's text anew for every question about it (where the caret is,
// drawing it, drawing the caret) and forgets the result at once; for a line of a million
// characters that is a large part of a second each time, at every keystroke and every blink
// of the caret, also of a long line beside the caret's. The editor has the toolkit keep the
// shaped text of the long lines on screen and of the caret's, and of no other, since shaped
// text takes some tens of bytes a character. Drawing a line also passes over every character
// of it, however little of it is in sight, so the editor draws those lines itself from the
// part in sight, as the toolkit would draw them, pixel for pixel.
class Memo : public QPlainTextEdit {
 public:
  explicit Memo(QWidget* parent) : QPlainTextEdit(parent) {}

  // Whether the shaped text of `block` is kept.
  bool IsHeld(const QTextBlock& block) const;
  // Lines longer than this many characters are held; a test sets it out of reach to see the
  // toolkit's own drawing.
  void SetLongLine(int characters);
  // Holds the caret's line and the lines on screen that are long, and lets go of the rest;
  // each drawing does it, and so should whoever asks about the lines on screen before one.
  void HoldLongLines();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  // A file dragged here is no text: the window it is dropped on decides what it means.
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // A part of a held line: its characters from `from` on, laid out as one line that stands
  // at `x` on the whole line, whose top is `y` in the block.
  struct Slice {
    QTextBlock block;
    int from = 0;
    std::shared_ptr<QTextLayout> layout;
    qreal x = 0;
    qreal y = 0;
  };
  // The part in sight of `area` of each held line that the toolkit would draw for it, laid
  // out as the whole line lays it out; none when no held line is in `area`, or when a part
  // could not stand for its whole line.
  std::optional<std::vector<Slice>> SlicesOf(const QRect& area) const;
  std::optional<Slice> SliceOf(const QTextBlock& block, const QRect& area) const;
  void PaintWithSlices(QPaintEvent* event, const std::vector<Slice>& slices);

  int longLine_ = 2000;
  std::vector<QTextCursor> held_;  // each at the start of a held line
};

}  // namespace q41::ui

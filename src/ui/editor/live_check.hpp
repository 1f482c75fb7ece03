#pragma once
// The check as the user types: a moment after the last edit of a source editor, its text is
// compiled with the GLOBAL text on a worker thread, by the real preprocessor and assembler
// on a workspace of their own, so that no lamp, code, label, status or stored block changes.
// Typing never waits for it; a check whose text has changed since it started is dropped, and
// only the newest text waiting is checked next.

#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <functional>
#include <memory>

#include "language/service.hpp"

namespace q41::ui {

class EditorLines;

class LiveCheck : public QObject {
  Q_OBJECT
 public:
  // `source` is the editor's lines; `glob` gives the GLOBAL text as it stands.
  LiveCheck(const EditorLines& source, std::function<Lines()> glob, AssemblerOptions options);
  ~LiveCheck() override;

  // The facts of the last check, of the text as it now stands when Current().
  const BlockFacts& Facts() const { return facts_; }
  bool Current() const { return checkedRevision_ == revision_; }

  // The text or the GLOBAL text changed: check again a moment after the last change.
  void TextChanged();
  // The wait after the last edit, in milliseconds (300 unless Q41_CHECK_DELAY_MS says).
  static int Delay();

 signals:
  // A check of the text as it stands has ended; Facts() holds its outcome.
  void Checked();

 private:
  void Start();
  void Finished(int revision, std::shared_ptr<BlockFacts> facts);

  const EditorLines& source_;
  std::function<Lines()> glob_;
  AssemblerOptions options_;
  QTimer delay_;
  QThreadPool worker_;
  int revision_ = 0;  // of the text, counted at every change
  int checkedRevision_ = -1;
  bool running_ = false;
  bool waiting_ = false;  // a newer text waits for the running check to end
  BlockFacts facts_;
};

}  // namespace q41::ui

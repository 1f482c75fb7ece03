#pragma once
// Keeps a copy of unsaved work where a crash, a kill or a power cut cannot take it: within a
// few seconds of a change the whole program is written, as Save .ASM would write it, to a
// recovery file of this instance under the user's state folder. A lock file holding this
// process's id marks the copy as taken while the program runs; a copy whose owner is gone is
// offered at the next start.
//
// The folder is $XDG_STATE_HOME/q41-assembler (else ~/.local/state/q41-assembler). Each
// instance has three files there, named by an id of its own: ID.asm (the program), ID.info
// (the program file it belongs to, one UTF-8 line, empty for a program never saved) and
// ID.lock. Q41_RECOVERY_DELAY_MS sets the delay (5000 unless given).

#include <QDateTime>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "common/err_diag.hpp"
#include "common/text.hpp"

namespace q41::ui {

class Recovery : public QObject {
 public:
  // `snapshot` gives the program file's lines as they stand; `report` shows a failure to write
  // them (once until a write succeeds again), with the file and the system's reason.
  // The system's reasons are named in `language`.
  Recovery(Language language, std::function<Lines()> snapshot,
           std::function<void(const QString&)> report);
  // A clean end: the copy goes.
  ~Recovery() override;

  // The program changed: it is written within the delay. A burst of changes is one write.
  void Changed();
  // The program file the work belongs to, written beside the copy.
  void SetProgramFile(const QString& path);
  // The work is saved, or the user let it go: the copy goes.
  void Clear();
  // Writes the copy at once and waits until it is on the disk.
  void WriteNow();

  // A copy left by an instance that no longer runs, held (locked) by this one until Take or
  // Release.
  struct Left {
    QString id;
    QString programFile;
    QDateTime written;
    std::unique_ptr<QLockFile> lock;
  };
  // The copies left, newest first.
  std::vector<Left> FindLeft();
  // The copy's program file lines; false, with the reason in `error`, when it cannot be read.
  bool Read(const Left& left, Lines& lines, QString& error) const;
  // The copy is no longer wanted (restored, or discarded by the user): its files go.
  void Remove(Left& left) const;
  // Left for a later start: its lock goes, its files stay.
  static void Release(Left& left);

 private:
  struct Job;
  QString PathOf(const QString& id, const char* suffix) const;
  // Takes the program's lines and writes them on a worker thread: writing and flushing a
  // large program to the disk takes long enough to be felt as a stall while typing. One write
  // at a time; a change meanwhile is written once it is done.
  void Write();
  void Written(const Job& job);
  // Waits for the writes running and takes up what they left.
  void Settle();
  void RemoveOwn();

  Language language_;
  std::function<Lines()> snapshot_;
  std::function<void(const QString&)> report_;
  QString folder_;
  QString id_;
  QString programFile_;
  std::unique_ptr<QLockFile> lock_;
  QTimer timer_;
  std::unique_ptr<QThread> writer_;
  bool again_ = false;     // a change came while a write was running
  bool cleared_ = false;   // the work went while a write was running: its copy goes too
  bool written_ = false;   // a copy of ours is on the disk
  bool reported_ = false;  // a failure was shown and nothing was written since
};

}  // namespace q41::ui

#pragma once
// The program and its file: opening, saving, a new program, closing, and everything that
// keeps the user's work from being lost on the way. The program knows whether it holds
// changes its file does not (the block model's Modified); while it does, nothing that
// would discard them (closing the window, Exit, Open, New program, a file dropped or named
// at start-up) goes on without asking Save, Discard or Cancel, and a recovery copy is kept
// on the disk against a crash. With no unsaved changes every command does what it always
// did, its own question included.

#include <QObject>
#include <QString>
#include <optional>
#include <string_view>

#include "common/text.hpp"
#include "files/file_stamp.hpp"
#include "ui/files/recovery.hpp"

namespace q41::ui {

class Application;

class ProgramFiles : public QObject {
 public:
  explicit ProgramFiles(Application& program);

  // The file the program was last read from or saved to; empty before.
  const QString& FileName() const { return fileName_; }

  // The main window's title: the file's name and a change mark before the window's own
  // title ("prog.asm* - " and the title). Not before the interface texts are in place.
  void ShowTitle();
  // The program changed (`modified`), or became its file's again.
  void Changed(bool modified);

  // The commands.
  void OpenAsm1Click();
  void SaveAsm1Click();
  void SaveCod1Click();
  void New1Click();
  void Exit1Click();
  // The main window is closing, whichever way: true when it may close.
  bool MayClose();
  // A file dropped on the main window or named on the command line: opened as Open .ASM
  // opens the file chosen in its dialog.
  void OpenFile(const QString& path);
  // At start-up: offers the work left by instances that no longer run, one question each.
  void OfferRecovery();
  // The program file as it is on the disk, when it changed in a way not yet told of (or
  // asked about); cheap while it did not, and asks nothing.
  std::optional<files::FileStamp> DiskChangeToTell();
  // A window of the program took the activation and the program file is `now` on the disk:
  // read again, asked about or said gone.
  void CheckDisk(const files::FileStamp& now);

  // Writes the lines as Windows-1251 bytes with CR LF, replacing the file only once the whole
  // text is written; false, after an error box naming the file and the cause, when it failed.
  bool WriteLinesTo(const QString& path, const Lines& lines);
  // The same for bytes as they are.
  bool WriteBytesTo(const QString& path, std::string_view bytes);

 private:
  // True when nothing unsaved would be lost: there is none, or the user saved it or let it go.
  bool MayDiscard();
  // Reads the file and shows its program; false, after an error box, with nothing changed.
  bool Read(const QString& path);
  // Stores the current block and saves the program: to its file, or where the save dialog
  // says (with `askName`, or when it has no file yet).
  bool SaveProgram(bool askName);
  bool SaveProgramTo(const QString& path);
  // Before the program is written at `path`: when that is its own file and someone else
  // changed it since, the user's answer. Write, or save elsewhere (`elsewhere`), or neither.
  bool MayWriteOver(const QString& path, bool& elsewhere);
  // The file read again after it changed on the disk (`unsaved`: the user chose so).
  void Reload(bool unsaved);
  void FileGone();
  // Remembers the file at `path` as this instance read or wrote it: `bytes`.
  void Stamp(const QString& path, std::string_view bytes);
  void ShowFileError(const QString& path, int reason);
  QString Text(int row) const;

  Application& program_;
  QString fileName_;
  Recovery recovery_;
  bool titled_ = false;
  bool titleModified_ = false;  // whether the title shown marks a change
  QString recoveryError_;       // the last write of the recovery copy failed so
  // The program file as this instance last read or wrote it (or found it gone).
  files::FileStamp stamp_;
  // The file's content on the disk already asked about (or that failed to read): a change
  // is asked about once.
  std::optional<files::FileStamp> askedAbout_;
  // No file known on the disk: none read or written, or the one known is gone.
  void ForgetDisk();
  // Exit has asked its question: the window closes without another.
  bool closing_ = false;
};

}  // namespace q41::ui

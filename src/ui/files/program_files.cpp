#include "ui/files/program_files.hpp"

#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include "blocks/compile_commands.hpp"
#include "files/file_io.hpp"
#include "ui/app/application.hpp"
#include "ui/app/i_face.hpp"
#include "ui/app/qt_text.hpp"
#include "ui/main/hidForm.hpp"
#include "ui/main/main_controls.hpp"
#include "ui/main/mainform.hpp"

namespace q41::ui {
namespace {

// The dialogs' filters (odASM, sdASM, sdCOD).
const QString AsmOpenFilter = "assembler files (*.asm);;all files (*.*)";
const QString AsmSaveFilter = "assembler files (*.asm);;all fils (*.*)";
const QString CodeSaveFilter = "Q41 files (*.Q41);;all files (*.*)";

}  // namespace

ProgramFiles::ProgramFiles(Application& program)
    : program_(program),
      recovery_(
          program.settings.language, [this] { return program_.presenter().ProgramFileNow(); },
          [this](const QString& error) {
            // In the title, where it stays in view until a write succeeds: a row added to the
            // window for it would move the window's controls.
            recoveryError_ = error;
            if (titled_) ShowTitle();
          }) {}

QString ProgramFiles::Text(int row) const {
  return ui::Text(program_.settings.language, static_cast<InterfaceText>(row));
}

void ProgramFiles::ShowTitle() {
  titled_ = true;
  const bool modified = program_.model().Modified();
  titleModified_ = modified;
  const QString name = fileName_.isEmpty() ? QString() : QFileInfo(fileName_).fileName();
  QString prefix;
  if (!name.isEmpty() || modified) {
    prefix = (name.isEmpty() ? Text(TitleUntitled) : name) + (modified ? "*" : "") + " - ";
  }
  QString suffix;
  if (!recoveryError_.isEmpty()) suffix = " \u2014 " + Text(TextRecoveryFailed) + recoveryError_;
  // "[*]" in a window title is the toolkit's change mark; a file's own stays as it is.
  prefix.replace("[*]", "[*][*]");
  suffix.replace("[*]", "[*][*]");
  program_.Form1().setWindowTitle(prefix + Text(TitleForm1) + suffix);
}

void ProgramFiles::Changed(bool modified) {
  // Told at every keystroke: the title changes only with the mark.
  if (titled_ && modified != titleModified_) ShowTitle();
  if (modified) {
    recovery_.Changed();
  } else {
    recovery_.Clear();
  }
}

bool ProgramFiles::MayDiscard() {
  if (!program_.model().Modified()) return true;
  const QString text = fileName_.isEmpty()
                           ? Text(TextUnsaved)
                           : Text(TextUnsavedNamed).arg(QFileInfo(fileName_).fileName());
  switch (program_.dialogs().AskToSave(text)) {
    case Choice::Keep:
      return SaveProgram(fileName_.isEmpty());
    case Choice::Discard:
      return true;
    case Choice::Cancel:
      break;
  }
  return false;
}

void ProgramFiles::ShowFileError(const QString& path, int reason) {
  const QString cause = reason == files::NotRegularFile
                            ? Text(TextNotRegularFile)
                            : SystemErrorText(program_.settings.language, reason);
  program_.dialogs().Error(QString("%1\n%2").arg(QDir::toNativeSeparators(path), cause));
}

bool ProgramFiles::WriteLinesTo(const QString& path, const Lines& lines) {
  return WriteBytesTo(path, JoinLines(lines, "\r\n"));
}

bool ProgramFiles::WriteBytesTo(const QString& path, std::string_view bytes) {
  const int reason = files::WriteReplacing(LocalPath(path), bytes, {true, true});
  if (reason == 0) return true;
  ShowFileError(path, reason);
  return false;
}

bool ProgramFiles::Read(const QString& path) {
  // The whole file is read before anything on screen changes.
  std::string bytes;
  const int reason = files::ReadRegularFile(LocalPath(path), bytes);
  if (reason != 0) {
    ShowFileError(path, reason);
    return false;
  }
  ClearCodeAndLabels(program_.Form1().Views(), program_.workspace);
  program_.model().ReadProgramFile(SplitLines(bytes));
  fileName_ = QFileInfo(path).absoluteFilePath();
  Stamp(fileName_, bytes);
  recovery_.SetProgramFile(fileName_);
  ShowTitle();
  return true;
}

void ProgramFiles::OpenAsm1Click() {
  if (!MayDiscard()) return;
  const std::optional<QString> path = program_.dialogs().OpenFile(AsmOpenFilter);
  if (path) Read(*path);
}

void ProgramFiles::OpenFile(const QString& path) {
  if (MayDiscard()) Read(path);
}

bool ProgramFiles::SaveProgram(bool askName) {
  BlockModel& model = program_.model();
  model.StoreCurrentBlock(model.CurrentBlock());
  std::optional<QString> path = fileName_;
  if (askName || fileName_.isEmpty()) {
    path = program_.dialogs().SaveFile(AsmSaveFilter, "asm", fileName_);
  }
  return path && SaveProgramTo(*path);
}

bool ProgramFiles::SaveProgramTo(const QString& path) {
  bool elsewhere = false;
  if (!MayWriteOver(path, elsewhere)) return false;
  if (elsewhere) {
    const std::optional<QString> other =
        program_.dialogs().SaveFile(AsmSaveFilter, "asm", fileName_);
    return other && SaveProgramTo(*other);
  }
  BlockModel& model = program_.model();
  std::optional<MarkerClash> clash;
  const std::string bytes = JoinLines(model.WriteProgramFile(clash), "\r\n");
  const bool written = WriteBytesTo(path, bytes);
  // Also after a failed write: the block's own data goes back on screen.
  model.ShowBlock(model.CurrentBlock());
  if (!written) return false;
  fileName_ = QFileInfo(path).absoluteFilePath();
  Stamp(fileName_, bytes);
  recovery_.SetProgramFile(fileName_);
  model.Saved();
  ShowTitle();
  if (clash) program_.dialogs().Warning(MarkerClashText(program_.settings.language, *clash));
  return true;
}

bool ProgramFiles::MayWriteOver(const QString& path, bool& elsewhere) {
  // A file other than the program's own is replaced without a question, as the save dialog
  // chose it; so is the program's own where nothing stands now.
  if (fileName_.isEmpty() || QFileInfo(path).absoluteFilePath() != fileName_) return true;
  const files::FileStamp now = files::StampNow(LocalPath(fileName_), stamp_);
  if (!now.exists || files::CompareStamps(stamp_, now) == files::DiskChange::None) return true;
  // Told of this change now: coming back to the window does not ask about it again.
  askedAbout_ = now;
  const QString name = QFileInfo(fileName_).fileName();
  switch (program_.dialogs().AskToOverwrite(Text(TextChangedOnDiskSave).arg(name))) {
    case Choice::Keep:
      elsewhere = true;
      return true;
    case Choice::Discard:
      return true;
    case Choice::Cancel:
      break;
  }
  return false;
}

void ProgramFiles::Stamp(const QString& path, std::string_view bytes) {
  stamp_ = files::StampOf(LocalPath(path), bytes);
  askedAbout_.reset();
}

std::optional<files::FileStamp> ProgramFiles::DiskChangeToTell() {
  if (fileName_.isEmpty()) return std::nullopt;
  const files::FileStamp now = files::StampNow(LocalPath(fileName_), stamp_);
  switch (files::CompareStamps(stamp_, now)) {
    case files::DiskChange::None:
      // Touched, or its times grown old: the same content, known by newer data.
      stamp_ = now;
      return std::nullopt;
    case files::DiskChange::Gone:
      return now;
    case files::DiskChange::Changed:
      break;
  }
  if (askedAbout_ && askedAbout_->SameContent(now)) return std::nullopt;
  return now;
}

void ProgramFiles::CheckDisk(const files::FileStamp& now) {
  if (!now.exists) {
    FileGone();
    return;
  }
  askedAbout_ = now;
  const bool unsaved = program_.model().Modified();
  if (unsaved) {
    const QString name = QFileInfo(fileName_).fileName();
    if (program_.dialogs().AskToReload(Text(TextChangedOnDiskReload).arg(name)) !=
        Choice::Discard) {
      return;
    }
  }
  Reload(unsaved);
}

void ProgramFiles::Reload(bool unsaved) {
  if (!Read(fileName_)) return;
  // What was shown of the last compile belonged to the text read before.
  MainControls& c = program_.Form1().Controls();
  c.ErrLab->clear();
  c.LineLab->setText(unsaved ? QString() : Text(TextReloaded).arg(QFileInfo(fileName_).fileName()));
}

void ProgramFiles::ForgetDisk() {
  stamp_ = {};
  askedAbout_.reset();
}

void ProgramFiles::FileGone() {
  // Said once: from now on no file is known there, and one that appears is a change.
  ForgetDisk();
  program_.dialogs().Warning(Text(TextFileGone).arg(QDir::toNativeSeparators(fileName_)));
  // What is on screen is now the program's only copy: closing asks, the recovery copy keeps it.
  program_.model().Edited();
}

void ProgramFiles::SaveAsm1Click() {
  SaveProgram(true);
}

void ProgramFiles::SaveCod1Click() {
  BlockModel& model = program_.model();
  if (!model.PrepareCodeFile()) return;
  const std::optional<QString> path = program_.dialogs().SaveFile(CodeSaveFilter, "Q41");
  if (!path) return;
  WriteLinesTo(*path, model.WriteCodeFile());
  model.ShowBlock(model.CurrentBlock());
}

void ProgramFiles::New1Click() {
  BlockModel& model = program_.model();
  // Unsaved changes are asked about instead of the command's own question.
  if (model.Modified()) {
    if (!MayDiscard()) return;
    model.NewProgram();
  } else if (!model.AskNewProgram()) {
    return;
  }
  fileName_.clear();
  ForgetDisk();
  recovery_.SetProgramFile({});
  ShowTitle();
}

void ProgramFiles::Exit1Click() {
  if (program_.model().Modified()) {
    if (!MayDiscard()) return;
    closing_ = true;
  } else if (!program_.dialogs().Confirm(program_.messages.MsgExit)) {
    return;
  }
  program_.Form1().close();
}

bool ProgramFiles::MayClose() {
  if (std::exchange(closing_, false) || MayDiscard()) {
    recovery_.Clear();
    return true;
  }
  return false;
}

void ProgramFiles::OfferRecovery() {
  std::vector<Recovery::Left> left = recovery_.FindLeft();
  for (Recovery::Left& copy : left) {
    const QString program = copy.programFile.isEmpty() ? Text(TextNeverSaved)
                                                       : QDir::toNativeSeparators(copy.programFile);
    const QString text =
        Text(TextRestore).arg(program, copy.written.toString("yyyy-MM-dd HH:mm:ss"));
    const Choice choice = program_.dialogs().AskToRestore(text);
    if (choice == Choice::Cancel) {
      Recovery::Release(copy);
      continue;
    }
    if (choice == Choice::Discard) {
      recovery_.Remove(copy);
      continue;
    }
    Lines lines;
    QString error;
    if (!recovery_.Read(copy, lines, error)) {
      program_.dialogs().Error(Text(TextRestoreFailed) + error);
      Recovery::Release(copy);
      continue;
    }
    if (!MayDiscard()) {
      Recovery::Release(copy);
      return;
    }
    BlockModel& model = program_.model();
    ClearCodeAndLabels(program_.Form1().Views(), program_.workspace);
    model.ReadProgramFile(std::move(lines));
    // Back as unsaved changes to its program file, which is not touched until the user saves.
    fileName_ = copy.programFile;
    // The file as it stands now is the one the restored work is to be saved over.
    stamp_ = fileName_.isEmpty() ? files::FileStamp{}
                                 : files::StampNow(LocalPath(fileName_), files::FileStamp{});
    askedAbout_.reset();
    recovery_.SetProgramFile(fileName_);
    model.Edited();
    // Ours on the disk before the old copy goes.
    recovery_.WriteNow();
    recovery_.Remove(copy);
    return;
  }
}

}  // namespace q41::ui

#include "ui/program_files.hpp"

#include <QDir>
#include <QFileInfo>

#include "blocks/compile_commands.hpp"
#include "files/file_io.hpp"
#include "ui/hidForm.hpp"
#include "ui/i_face.hpp"
#include "ui/mainform.hpp"
#include "ui/program.hpp"
#include "ui/qt_text.hpp"

namespace q41::ui {
namespace {

// The dialogs' filters (odASM, sdASM, sdCOD).
const QString AsmOpenFilter = "assembler files (*.asm);;all files (*.*)";
const QString AsmSaveFilter = "assembler files (*.asm);;all fils (*.*)";
const QString CodeSaveFilter = "Q41 files (*.Q41);;all files (*.*)";

}  // namespace

ProgramFiles::ProgramFiles(Program& program)
    : program_(program),
      recovery_(
          program.settings.language,
          [this] {
            const THF* hf = program_.HF();
            return program_.model().ProgramFileNow(hf != nullptr && hf->HoldsCurrentBlock());
          },
          [this](const QString& error) {
            program_.Form1().ShowNotice(error.isEmpty() ? QString()
                                                        : Text(TextRecoveryFailed) + error);
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
  if (!name.isEmpty() || modified) prefix = name + (modified ? "*" : "") + " - ";
  // "[*]" in a window title is the toolkit's change mark; a file's own stays as it is.
  prefix.replace("[*]", "[*][*]");
  program_.Form1().setWindowTitle(prefix + Text(TitleForm1));
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
  ClearCodeAndLabels(program_.Form1(), program_.workspace);
  program_.model().ReadProgramFile(SplitLines(bytes));
  fileName_ = QFileInfo(path).absoluteFilePath();
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
  model.StoreCurrentBlock(model.CurrentBlock);
  std::optional<QString> path = fileName_;
  if (askName || fileName_.isEmpty()) {
    path = program_.dialogs().SaveFile(AsmSaveFilter, "asm", fileName_);
  }
  return path && SaveProgramTo(*path);
}

bool ProgramFiles::SaveProgramTo(const QString& path) {
  BlockModel& model = program_.model();
  std::optional<MarkerClash> clash;
  const bool written = WriteLinesTo(path, model.WriteProgramFile(clash));
  // Also after a failed write: the block's own data goes back on screen.
  model.ShowBlock(model.CurrentBlock);
  if (!written) return false;
  fileName_ = QFileInfo(path).absoluteFilePath();
  recovery_.SetProgramFile(fileName_);
  model.Saved();
  ShowTitle();
  if (clash) program_.dialogs().Warning(MarkerClashText(program_.settings.language, *clash));
  return true;
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
  model.ShowBlock(model.CurrentBlock);
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
    ClearCodeAndLabels(program_.Form1(), program_.workspace);
    model.ReadProgramFile(std::move(lines));
    // Back as unsaved changes to its program file, which is not touched until the user saves.
    fileName_ = copy.programFile;
    recovery_.SetProgramFile(fileName_);
    model.Edited();
    // Ours on the disk before the old copy goes.
    recovery_.WriteNow();
    recovery_.Remove(copy);
    return;
  }
}

}  // namespace q41::ui

#include "ui/recovery.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "files/file_io.hpp"

namespace q41::ui {
namespace {

QString StateFolder() {
  QString state = qEnvironmentVariable("XDG_STATE_HOME");
  if (state.isEmpty() || !QDir::isAbsolutePath(state)) state = QDir::homePath() + "/.local/state";
  return state + "/q41-assembler";
}

int DelayMs() {
  bool ok = false;
  const int delay = qEnvironmentVariableIntValue("Q41_RECOVERY_DELAY_MS", &ok);
  return ok && delay >= 0 ? delay : 5000;
}

std::string Local(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// Writes bytes as a file, beside and renamed over; an empty text, or the reason it failed.
QString WriteFile(const QString& path, std::string_view bytes) {
  const int reason = files::WriteReplacing(Local(path), bytes, {true, true});
  if (reason == 0) return {};
  return QString::fromLocal8Bit(files::ErrorText(reason));
}

}  // namespace

Recovery::Recovery(std::function<Lines()> snapshot, std::function<void(const QString&)> report)
    : snapshot_(std::move(snapshot)),
      report_(std::move(report)),
      folder_(StateFolder()),
      id_(QString("%1-%2")
              .arg(QCoreApplication::applicationPid())
              .arg(QDateTime::currentMSecsSinceEpoch())) {
  timer_.setSingleShot(true);
  timer_.setInterval(DelayMs());
  connect(&timer_, &QTimer::timeout, this, &Recovery::Write);
}

Recovery::~Recovery() {
  Clear();
  if (lock_) lock_->unlock();
}

QString Recovery::PathOf(const QString& id, const char* suffix) const {
  return folder_ + "/" + id + suffix;
}

void Recovery::Changed() {
  // Not restarted by later changes: every change is on the disk within the delay, also
  // while the user types on without a pause.
  if (!timer_.isActive()) timer_.start();
}

void Recovery::SetProgramFile(const QString& path) {
  programFile_ = path;
}

void Recovery::Clear() {
  timer_.stop();
  if (!written_) return;
  QFile::remove(PathOf(id_, ".asm"));
  QFile::remove(PathOf(id_, ".info"));
  written_ = false;
}

void Recovery::WriteNow() {
  timer_.stop();
  Write();
}

void Recovery::Write() {
  QString error;
  QString failed = folder_;
  if (!QDir().mkpath(folder_)) {
    error = QString::fromLocal8Bit(files::ErrorText(errno));
  } else {
    if (!lock_) {
      lock_ = std::make_unique<QLockFile>(PathOf(id_, ".lock"));
      lock_->setStaleLockTime(0);
      if (!lock_->tryLock(0)) lock_.reset();
    }
    failed = PathOf(id_, ".info");
    error = WriteFile(failed, programFile_.toUtf8().toStdString() + "\n");
    if (error.isEmpty()) {
      failed = PathOf(id_, ".asm");
      error = WriteFile(failed, JoinLines(snapshot_(), "\r\n"));
    }
  }
  if (error.isEmpty()) {
    written_ = true;
    reported_ = false;
    report_({});
    return;
  }
  if (reported_) return;
  reported_ = true;
  report_(QDir::toNativeSeparators(failed) + ": " + error);
}

std::vector<Recovery::Left> Recovery::FindLeft() {
  std::vector<Left> found;
  const QDir folder(folder_);
  for (const QFileInfo& copy : folder.entryInfoList({"*.asm"}, QDir::Files)) {
    const QString id = copy.completeBaseName();
    if (id == id_) continue;
    auto lock = std::make_unique<QLockFile>(PathOf(id, ".lock"));
    lock->setStaleLockTime(0);
    // An instance that still runs holds its lock: its copy is its own.
    if (!lock->tryLock(0)) continue;
    Left left{id, {}, copy.lastModified(), std::move(lock)};
    QFile info(PathOf(id, ".info"));
    if (info.open(QIODevice::ReadOnly)) {
      left.programFile = QString::fromUtf8(info.readLine()).trimmed();
    }
    found.push_back(std::move(left));
  }
  std::sort(found.begin(), found.end(),
            [](const Left& a, const Left& b) { return a.written > b.written; });
  return found;
}

bool Recovery::Read(const Left& left, Lines& lines, QString& error) const {
  std::string bytes;
  const int reason = files::ReadRegularFile(Local(PathOf(left.id, ".asm")), bytes);
  if (reason != 0) {
    error = QDir::toNativeSeparators(PathOf(left.id, ".asm")) + ": " +
            QString::fromLocal8Bit(files::ErrorText(reason));
    return false;
  }
  lines = SplitLines(bytes);
  return true;
}

void Recovery::Remove(Left& left) const {
  QFile::remove(PathOf(left.id, ".asm"));
  QFile::remove(PathOf(left.id, ".info"));
  Release(left);
}

void Recovery::Release(Left& left) {
  if (left.lock) left.lock->unlock();
  left.lock.reset();
}

}  // namespace q41::ui

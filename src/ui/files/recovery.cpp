#include "ui/files/recovery.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "files/file_io.hpp"
#include "ui/app/i_face.hpp"
#include "ui/app/qt_text.hpp"

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

}  // namespace

// One write of the copy: what the worker reads, and what it leaves.
struct Recovery::Job {
  std::string infoPath, programPath;
  std::string info;
  Lines program;
  int reason = 0;
  bool programFailed = false;  // else the info file failed, when `reason` is set
};

Recovery::Recovery(Language language, std::function<Lines()> snapshot,
                   std::function<void(const QString&)> report)
    : language_(language),
      snapshot_(std::move(snapshot)),
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
  Settle();
  Clear();
  if (lock_) lock_->unlock();
}

void Recovery::Settle() {
  while (writer_) {
    writer_->wait();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  }
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
  again_ = false;
  if (writer_) {
    cleared_ = true;
    return;
  }
  RemoveOwn();
}

void Recovery::RemoveOwn() {
  if (!written_) return;
  QFile::remove(PathOf(id_, ".asm"));
  QFile::remove(PathOf(id_, ".info"));
  written_ = false;
}

void Recovery::WriteNow() {
  timer_.stop();
  Settle();
  Write();
  Settle();
}

void Recovery::Write() {
  if (writer_) {
    again_ = true;
    return;
  }
  cleared_ = false;
  if (!QDir().mkpath(folder_)) {
    Job failed;
    failed.reason = errno != 0 ? errno : EACCES;
    failed.infoPath = LocalPath(folder_);
    Written(failed);
    return;
  }
  if (!lock_) {
    lock_ = std::make_unique<QLockFile>(PathOf(id_, ".lock"));
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) lock_.reset();
  }
  auto job = std::make_shared<Job>();
  job->infoPath = LocalPath(PathOf(id_, ".info"));
  job->programPath = LocalPath(PathOf(id_, ".asm"));
  job->info = programFile_.toUtf8().toStdString() + "\n";
  job->program = snapshot_();
  writer_.reset(QThread::create([job] {
    job->reason = files::WriteReplacing(job->infoPath, job->info, {true, true});
    if (job->reason != 0) return;
    job->programFailed = true;
    job->reason =
        files::WriteReplacing(job->programPath, JoinLines(job->program, "\r\n"), {true, true});
  }));
  connect(
      writer_.get(), &QThread::finished, this,
      [this, job] {
        writer_->wait();
        writer_.reset();
        Written(*job);
      },
      Qt::QueuedConnection);
  writer_->start();
}

void Recovery::Written(const Job& job) {
  if (job.reason == 0) {
    written_ = true;
    reported_ = false;
    report_({});
  } else if (!reported_) {
    reported_ = true;
    const std::string& path = job.programFailed ? job.programPath : job.infoPath;
    report_(QDir::toNativeSeparators(QFile::decodeName(path.c_str())) + ": " +
            SystemErrorText(language_, job.reason));
  }
  if (cleared_) {
    cleared_ = false;
    RemoveOwn();
  } else if (std::exchange(again_, false)) {
    Write();
  }
}

std::vector<Recovery::Left> Recovery::FindLeft() {
  std::vector<Left> found;
  const QDir folder(folder_);
  // A lock left by an instance that died with no copy on the disk guards nothing: it goes.
  for (const QFileInfo& lock : folder.entryInfoList({"*.lock"}, QDir::Files)) {
    const QString id = lock.completeBaseName();
    if (id == id_ || QFile::exists(PathOf(id, ".asm"))) continue;
    QLockFile stale(lock.filePath());
    stale.setStaleLockTime(0);
    if (stale.tryLock(0)) stale.unlock();
  }
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
  const int reason = files::ReadRegularFile(LocalPath(PathOf(left.id, ".asm")), bytes);
  if (reason != 0) {
    error = QDir::toNativeSeparators(PathOf(left.id, ".asm")) + ": " +
            SystemErrorText(language_, reason);
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

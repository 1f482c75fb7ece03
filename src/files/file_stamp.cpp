#include "files/file_stamp.hpp"

#include <sys/stat.h>

#include <ctime>
#include <functional>

#include "files/file_io.hpp"

namespace q41::files {
namespace {

// Longer than the coarsest clock of the file systems met in practice (FAT's two seconds).
constexpr std::int64_t TrustAfterNs = 3'000'000'000;

std::int64_t Nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::int64_t NowNs() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now);
}

std::uint64_t Hash(std::string_view bytes) {
  return std::hash<std::string_view>{}(bytes);
}

// The system's data of the file; false when there is no file to stamp.
bool Look(const std::string& path, FileStamp& stamp) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  stamp.exists = true;
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.device = static_cast<std::uint64_t>(info.st_dev);
  stamp.inode = static_cast<std::uint64_t>(info.st_ino);
  stamp.modifiedNs = Nanoseconds(info.st_mtim);
  stamp.changedNs = Nanoseconds(info.st_ctim);
  // A time in the future (a clock set back, a file from another machine) is never trusted.
  const std::int64_t now = NowNs();
  stamp.settled = now - stamp.modifiedNs > TrustAfterNs && now - stamp.changedNs > TrustAfterNs;
  return true;
}

bool SameSystemData(const FileStamp& a, const FileStamp& b) {
  return a.exists == b.exists && a.size == b.size && a.device == b.device && a.inode == b.inode &&
         a.modifiedNs == b.modifiedNs && a.changedNs == b.changedNs;
}

}  // namespace

FileStamp StampOf(const std::string& path, std::string_view bytes) {
  FileStamp stamp;
  if (!Look(path, stamp)) return {};
  stamp.hash = Hash(bytes);
  return stamp;
}

FileStamp StampNow(const std::string& path, const FileStamp& known) {
  FileStamp stamp;
  if (!Look(path, stamp)) return {};
  if (known.settled && SameSystemData(known, stamp)) {
    stamp.hash = known.hash;
    return stamp;
  }
  std::string bytes;
  if (ReadRegularFile(path, bytes) != 0) {
    // Unreadable now (its permissions taken away, a directory put in its place): a content
    // of its own, which no readable file's stamp matches by chance.
    stamp.hash = Hash(std::to_string(stamp.inode) + "/" + std::to_string(stamp.modifiedNs));
    stamp.size = ~std::uint64_t{0};
    return stamp;
  }
  stamp.size = bytes.size();
  stamp.hash = Hash(bytes);
  return stamp;
}

DiskChange CompareStamps(const FileStamp& known, const FileStamp& now) {
  if (known.exists && !now.exists) return DiskChange::Gone;
  return known.SameContent(now) ? DiskChange::None : DiskChange::Changed;
}

}  // namespace q41::files

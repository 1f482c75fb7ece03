#pragma once
// What an instance knows of a file it read or wrote, to tell later whether someone else
// changed it on the disk since: another instance of the program saving the same file, an
// editor, a version control checkout.
//
// A file's times alone cannot tell: two writes within one tick of the file system's clock
// (a few milliseconds, or whole seconds on some file systems) leave the same time and, for
// texts of one length, the same size. So a stamp holds a hash of the content, and the times
// are trusted to stand for the content only once they are older than that tick can be;
// until then a look at the file reads it again.

#include <cstdint>
#include <string>
#include <string_view>

namespace q41::files {

struct FileStamp {
  bool exists = false;
  std::uint64_t size = 0;
  std::uint64_t hash = 0;  // of the content
  // What the system tells without reading the file.
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t modifiedNs = 0;
  std::int64_t changedNs = 0;
  // The times were old enough, when the stamp was taken, to stand for the content.
  bool settled = false;

  // Whether the two stamps are of one content (or both of no file).
  bool SameContent(const FileStamp& other) const {
    return exists == other.exists && (!exists || (size == other.size && hash == other.hash));
  }
};

// The stamp of the file at `path` whose content is `bytes`, as this instance has just read or
// written it. A file that is not there gives the stamp of no file.
FileStamp StampOf(const std::string& path, std::string_view bytes);

// The stamp of the file at `path` as it is now. The file is read only when `known` cannot
// answer for it: its times, size or identity differ, or were too fresh to be trusted.
FileStamp StampNow(const std::string& path, const FileStamp& known);

// What happened to a file since `known` was taken, by its stamp `now`.
enum class DiskChange { None, Changed, Gone };
DiskChange CompareStamps(const FileStamp& known, const FileStamp& now);

}  // namespace q41::files

// Telling a file changed by someone else from one only looked at, whatever its times say.

#include "files/file_stamp.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "files/file_io.hpp"

namespace q41::files {
namespace {

class FileStampTest : public ::testing::Test {
 public:
  void SetUp() override {
    char folder[] = "/tmp/q41_stamp_XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    folder_ = folder;
    path_ = folder_ + "/prog.asm";
  }
  void TearDown() override {
    ::unlink(path_.c_str());
    ::rmdir(folder_.c_str());
  }
  // Writes in place, as an editor that keeps the file's identity does.
  void WriteInPlace(const std::string& bytes) const {
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
  }
  // Sets the file's modification time, `seconds` from now (or to an earlier stamp's).
  void SetModified(const timespec& when) const {
    const timespec times[2] = {when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, path_.c_str(), times, 0), 0);
  }
  timespec ModifiedNow() const {
    struct stat info {};
    ::stat(path_.c_str(), &info);
    return info.st_mtim;
  }
  std::string folder_, path_;
};

// What another writer did, and whether the stamp taken before must see a change. The
// rewrites keep the size and, where a coarse clock would, the very modification time.
TEST_F(FileStampTest, EveryChangeOfContentIsSeenAndNothingElse) {
  const std::string ours = "fromA: nop\r\n";
  const std::string theirs = "fromB: nop\r\n";
  // Another program writes the file in place and puts its modification time back.
  const auto rewriteKeepingTime = [&](FileStampTest& t) {
    const timespec was = t.ModifiedNow();
    t.WriteInPlace(theirs);
    t.SetModified(was);
  };
  struct Case {
    const char* what;
    bool oldTimes;  // the file's times were long settled when it was stamped
    std::function<void(FileStampTest&)> act;
    DiskChange due;
  };
  const Case cases[] = {
      {"nothing", false, [](FileStampTest&) {}, DiskChange::None},
      {"nothing, times settled", true, [](FileStampTest&) {}, DiskChange::None},
      {"rewritten in place in the same tick", false, rewriteKeepingTime, DiskChange::Changed},
      {"rewritten in place, times settled, old time put back", true, rewriteKeepingTime,
       DiskChange::Changed},
      {"replaced by another instance", false,
       [&](FileStampTest& t) { ASSERT_EQ(WriteReplacing(t.path_, theirs, {}), 0); },
       DiskChange::Changed},
      {"the same bytes written again", true,
       [&](FileStampTest& t) { ASSERT_EQ(WriteReplacing(t.path_, ours, {}), 0); },
       DiskChange::None},
      {"touched", true,
       [](FileStampTest& t) {
         t.SetModified({std::time(nullptr), 0});
       },
       DiskChange::None},
      {"removed", false, [](FileStampTest& t) { ::unlink(t.path_.c_str()); }, DiskChange::Gone},
      {"a folder put in its place", false,
       [](FileStampTest& t) {
         ::unlink(t.path_.c_str());
         ::mkdir(t.path_.c_str(), 0755);
       },
       DiskChange::Changed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::rmdir(path_.c_str());
    WriteInPlace(ours);
    if (c.oldTimes) SetModified({std::time(nullptr) - 3600, 0});
    const FileStamp known = StampOf(path_, ours);
    EXPECT_TRUE(known.exists);
    c.act(*this);
    const FileStamp now = StampNow(path_, known);
    EXPECT_EQ(CompareStamps(known, now), c.due);
    // Looking again finds what the first look found.
    EXPECT_EQ(CompareStamps(now, StampNow(path_, now)), DiskChange::None);
  }
  ::rmdir(path_.c_str());
}

// A file where none was known (gone, or never there) is a change; none still is not.
TEST_F(FileStampTest, AFileAppearingWhereNoneWasIsAChange) {
  const FileStamp none = StampOf(path_, "");
  EXPECT_FALSE(none.exists);
  EXPECT_EQ(CompareStamps(none, StampNow(path_, none)), DiskChange::None);
  WriteInPlace("x");
  EXPECT_EQ(CompareStamps(none, StampNow(path_, none)), DiskChange::Changed);
}

}  // namespace
}  // namespace q41::files

#pragma once
// Reading and writing whole files as bytes, for the windows and the command-line tool alike.
// Failures come back as the system's error number, so that the caller can name the cause
// (files/error_text.hpp); nothing here shows a message.
//
// A file is never written in place: the bytes go to a new file beside it, which then takes
// its name, so a failed write (a full disk, a size limit) leaves the old file as it was.

#include <string>
#include <string_view>

namespace q41::files {

// Not a system error: the path names something other than a regular file (a pipe, a
// device), which a program file cannot be read from.
inline constexpr int NotRegularFile = -1;

// The whole file into `bytes`: 0, or the reason it could not be read (`bytes` then holds
// nothing useful). Only regular files are read, and reading never waits for a writer: a
// pipe or a kernel file that blocks reads fails at once instead of hanging the caller.
int ReadRegularFile(const std::string& path, std::string& bytes);

struct WriteOptions {
  // Anything but a regular file (a device, a pipe) is written in place; with this such a
  // write fails at once where it would wait (a pipe nobody reads), as a window must not.
  bool neverWait = false;
  // The new file is on the disk before it takes the name, so that a power cut leaves the
  // old file or the new one, never an empty one. Costs a wait for the disk.
  bool durable = false;
};

// Writes `bytes` as the file at `path` (where a symbolic link there points): 0, or the reason
// it failed, with any old file kept.
int WriteReplacing(const std::string& path, std::string_view bytes, WriteOptions options);

}  // namespace q41::files

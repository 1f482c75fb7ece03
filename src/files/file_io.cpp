#include "files/file_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace q41::files {
namespace {

// Closes a descriptor and keeps the first error seen.
void CloseKeeping(int fd, int& reason) {
  if (::close(fd) != 0 && reason == 0) reason = errno;
}

}  // namespace

int ReadRegularFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  int reason = 0;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    reason = errno;
  } else if (S_ISDIR(info.st_mode)) {
    reason = EISDIR;
  } else if (!S_ISREG(info.st_mode)) {
    reason = NotRegularFile;
  } else if (info.st_size > 0) {
    bytes.reserve(static_cast<std::size_t>(info.st_size));
  }
  char buffer[1 << 16];
  while (reason == 0) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n > 0) {
      bytes.append(buffer, static_cast<std::size_t>(n));
    } else if (errno != EINTR) {
      reason = errno;
    }
  }
  CloseKeeping(fd, reason);
  return reason;
}

int WriteReplacing(const std::string& linkedPath, std::string_view bytes, WriteOptions options) {
  // A file reached through a symbolic link is written where the link points: the new file
  // must take the place of the file, not of the link.
  std::string path = linkedPath;
  struct stat link {};
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    if (char* target = ::realpath(path.c_str(), nullptr)) {
      path = target;
      std::free(target);
    }
  }
  struct stat info {};
  const bool exists = ::stat(path.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) return EISDIR;
  const bool special = exists && !S_ISREG(info.st_mode);
  std::string temporary = special ? path : path + ".XXXXXX";
  const int fd =
      special ? ::open(path.c_str(), O_WRONLY | O_CLOEXEC | (options.neverWait ? O_NONBLOCK : 0))
              : ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  int reason = 0;
  for (std::size_t done = 0; done < bytes.size() && reason == 0;) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n == 0 || errno != EINTR) {
      reason = n == 0 ? EIO : errno;
    }
  }
  if (reason == 0 && !special) {
    // The new file keeps the old one's permissions, or gets what a new file would.
#ifdef __EMSCRIPTEN__
    // The WebAssembly build's C library cannot learn the host's mask (its own says "none
    // may be set"): the usual one stands in.
    const mode_t mask = 022;
#else
    const mode_t mask = ::umask(0);
    ::umask(mask);
#endif
    if (::fchmod(fd, exists ? (info.st_mode & 07777) : (0666 & ~mask)) != 0) reason = errno;
    if (reason == 0 && options.durable && ::fsync(fd) != 0) reason = errno;
  }
  CloseKeeping(fd, reason);
  if (reason == 0 && !special && ::rename(temporary.c_str(), path.c_str()) != 0) reason = errno;
  if (reason != 0 && !special) ::unlink(temporary.c_str());
  return reason;
}

}  // namespace q41::files

#include "system/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

const char kFileMissing[] = "missing";

namespace {

const char* Set(const char** reason, const char* text) {
  if (reason != nullptr) *reason = text;
  return text;
}

// The reason a file of this type is not read, or nullptr for a regular file.
const char* NotAFile(mode_t mode) {
  if (S_ISREG(mode)) return nullptr;
  if (S_ISDIR(mode)) return "is a folder, not a file";
  return "not a regular file";
}

const char* OpenFailure(int err) {
  return err == ENOENT || err == ENOTDIR ? kFileMissing : std::strerror(err);
}

}  // namespace

bool IsRegularFile(const char* path) {
  struct stat st;
  return ::stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

int OpenRegularFile(const char* path, const char** reason) {
  // Look before opening: opening a device can have effects of its own.
  struct stat st;
  if (::stat(path, &st) != 0) {
    Set(reason, OpenFailure(errno));
    return -1;
  }
  if (const char* why = NotAFile(st.st_mode)) {
    Set(reason, why);
    return -1;
  }
  // Non-blocking, so that a pipe swapped in after the look cannot hang the
  // open; what was opened is checked again on the descriptor itself.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    Set(reason, OpenFailure(errno));
    return -1;
  }
  const char* why = ::fstat(fd, &st) != 0 ? std::strerror(errno) : NotAFile(st.st_mode);
  if (why == nullptr) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) why = std::strerror(errno);
  }
  if (why != nullptr) {
    ::close(fd);
    Set(reason, why);
    return -1;
  }
  return fd;
}

bool ReadRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>& out,
                     const char** reason) {
  out.clear();
  const int fd = OpenRegularFile(path, reason);
  if (fd < 0) return false;
  struct stat st;
  const char* why = nullptr;
  if (::fstat(fd, &st) != 0) {
    why = std::strerror(errno);
  } else if (static_cast<uint64_t>(st.st_size) > maxBytes) {
    why = "file too large";
  } else {
    out.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < out.size() && why == nullptr) {
      const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) why = std::strerror(errno);
      if (n == 0) why = "file shrank while being read";
      if (n > 0) got += static_cast<size_t>(n);
    }
  }
  ::close(fd);
  if (why == nullptr) return true;
  out.clear();
  Set(reason, why);
  return false;
}

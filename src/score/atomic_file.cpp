#include "score/atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool Fail(std::string* error, const char* path, const char* reason) {
  if (error != nullptr) {
    *error = path;
    *error += ": ";
    *error += reason;
  }
  return false;
}

bool FailErrno(std::string* error, const char* path, int err) {
  return Fail(error, path, std::strerror(err));
}

bool WriteAll(int fd, const char* p, size_t len) {
  while (len > 0) {
    ssize_t n = ::write(fd, p, len);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    len -= static_cast<size_t>(n);
  }
  return true;
}

// Syncs the folder holding path so that the rename itself is on disk.
// Best effort: the new file is already in place when this runs, and some
// file systems refuse to sync a folder.
void SyncFolderOf(const char* path) {
  char folder[PATH_MAX];
  std::snprintf(folder, sizeof folder, "%s", path);
  char* slash = std::strrchr(folder, '/');
  if (slash == nullptr) {
    std::strcpy(folder, ".");
  } else if (slash == folder) {
    folder[1] = '\0';
  } else {
    *slash = '\0';
  }
  int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool WriteFileAtomically(const char* path, const void* data, size_t len, std::string* error) {
  if (std::strlen(path) >= PATH_MAX) return FailErrno(error, path, ENAMETOOLONG);

  // The file to replace: path itself, or the file a symbolic link names.
  char target[PATH_MAX];
  std::snprintf(target, sizeof target, "%s", path);
  struct stat st;
  if (::lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path, resolved) != nullptr) {
      std::snprintf(target, sizeof target, "%s", resolved);
    }
  }

  bool exists = false;
  mode_t oldMode = 0;
  if (::stat(target, &st) == 0) {
    if (S_ISDIR(st.st_mode)) return FailErrno(error, path, EISDIR);
    if (!S_ISREG(st.st_mode)) return Fail(error, path, "not a regular file");
    if (::access(target, W_OK) != 0) return FailErrno(error, path, errno);
    exists = true;
    oldMode = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    return FailErrno(error, path, errno);
  }

  // A temporary name of our own beside the target.
  static unsigned counter = 0;
  char temp[PATH_MAX + 64];
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; attempt++) {
    std::snprintf(temp, sizeof temp, "%s.tmp-%ld-%u", target, static_cast<long>(::getpid()),
                  counter++);
    fd = ::open(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return FailErrno(error, path, errno);

  if (exists) ::fchmod(fd, oldMode);  // cosmetic: a failure here loses nothing
  int err = 0;
  if (!WriteAll(fd, static_cast<const char*>(data), len) || ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp, target) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp);
    return FailErrno(error, path, err);
  }
  SyncFolderOf(target);
  return true;
}

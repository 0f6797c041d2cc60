#include "score/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kTemporarySuffix[] = ".tmp";

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

// Splits path into its folder ("." when it has none) and its last name.
void SplitPath(const char* path, char (&folder)[PATH_MAX], const char** name) {
  std::snprintf(folder, sizeof folder, "%s", path);
  char* slash = std::strrchr(folder, '/');
  if (slash == nullptr) {
    std::strcpy(folder, ".");
    *name = path;
  } else {
    *name = path + (slash - folder) + 1;
    if (slash == folder) {
      folder[1] = '\0';
    } else {
      *slash = '\0';
    }
  }
}

// Syncs the folder holding path so that the rename itself is on disk.
// Best effort: the new file is already in place when this runs, and some
// file systems refuse to sync a folder.
void SyncFolderOf(const char* path) {
  char folder[PATH_MAX];
  const char* name = nullptr;
  SplitPath(path, folder, &name);
  int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Whether fd is still the file named temp (not renamed or removed since it
// was opened).
bool StillNamed(int fd, const char* temp) {
  struct stat open;
  struct stat named;
  return ::fstat(fd, &open) == 0 && ::lstat(temp, &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

// Opens temp for writing, creating it or taking over a leftover, locked and
// empty. Something else at that name (a link, a pipe, another user's file, a
// second name of some other file) is removed first: the name belongs to the game. Returns the
// descriptor, or -1 with errno set (EWOULDBLOCK when another save holds it).
int OpenTemporary(const char* temp) {
  for (int attempt = 0; attempt < 4; attempt++) {
    // No link is followed and a pipe is never waited on.
    const int fd = ::open(temp, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
      const int err = errno;
      if (err != ELOOP && err != ENXIO && err != EACCES && err != EPERM) return -1;
      if (::unlink(temp) != 0) {
        if (errno == ENOENT) errno = err;  // nothing there: the folder refused
        return -1;
      }
      continue;
    }
    struct stat st;
    // Only a plain file of ours with no other name is emptied and written.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
        st.st_nlink != 1) {
      ::close(fd);
      if (::unlink(temp) != 0 && errno != ENOENT) return -1;
      continue;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int err = errno;
      ::close(fd);
      errno = err;
      return -1;
    }
    // The save that held the lock before us may have renamed this very file
    // into place: then it is no longer ours to empty.
    if (!StillNamed(fd, temp)) {
      ::close(fd);
      continue;
    }
    if (::ftruncate(fd, 0) != 0) {
      const int err = errno;
      ::close(fd);
      errno = err;
      return -1;
    }
    return fd;
  }
  errno = EEXIST;
  return -1;
}

// Whether name is an older version's temporary name for base:
// base + ".tmp-" + digits + "-" + digits.
bool IsOldTemporaryName(const char* name, const char* base) {
  const size_t baseLen = std::strlen(base);
  if (std::strncmp(name, base, baseLen) != 0 || std::strncmp(name + baseLen, ".tmp-", 5) != 0) {
    return false;
  }
  const char* p = name + baseLen + 5;
  int groups = 0;
  while (*p != '\0') {
    if (*p < '0' || *p > '9') return false;
    while (*p >= '0' && *p <= '9') p++;
    groups++;
    if (*p == '-' && groups == 1) p++;
  }
  return groups == 2 && p[-1] != '-';
}

}  // namespace

bool TemporaryPathFor(const char* path, char* out, size_t outSize) {
  const int n = std::snprintf(out, outSize, "%s%s", path, kTemporarySuffix);
  return n > 0 && static_cast<size_t>(n) < outSize;
}

bool WriteFileAtomically(const char* path, const void* data, size_t len, std::string* error) {
  char temp[PATH_MAX];
  if (std::strlen(path) >= PATH_MAX || !TemporaryPathFor(path, temp, sizeof temp)) {
    return FailErrno(error, path, ENAMETOOLONG);
  }

  // What is at path now. A link is replaced, not followed.
  bool keepMode = false;
  mode_t oldMode = 0;
  struct stat st;
  if (::lstat(path, &st) == 0) {
    if (S_ISDIR(st.st_mode)) return FailErrno(error, path, EISDIR);
    if (S_ISREG(st.st_mode)) {
      if (::access(path, W_OK) != 0) return FailErrno(error, path, errno);
      keepMode = true;
      oldMode = st.st_mode & 07777;
    } else if (!S_ISLNK(st.st_mode)) {
      return Fail(error, path, "not a regular file");
    }
  } else if (errno != ENOENT) {
    return FailErrno(error, path, errno);
  }

  const int fd = OpenTemporary(temp);
  if (fd < 0) {
    if (errno == EWOULDBLOCK) return Fail(error, path, "another save of this file is in progress");
    return FailErrno(error, path, errno);
  }
  if (keepMode) ::fchmod(fd, oldMode);  // cosmetic: a failure here loses nothing
  int err = 0;
  if (!WriteAll(fd, static_cast<const char*>(data), len) || ::fsync(fd) != 0) err = errno;
  // Renamed (or removed) while still locked, so the next save cannot take
  // this file over half-way.
  if (err == 0 && ::rename(temp, path) != 0) err = errno;
  if (err != 0) ::unlink(temp);
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) return FailErrno(error, path, err);
  SyncFolderOf(path);
  return true;
}

void RemoveLeftoverTemporaries(const char* path) {
  char temp[PATH_MAX];
  if (std::strlen(path) >= PATH_MAX || !TemporaryPathFor(path, temp, sizeof temp)) return;
  struct stat st;
  if (::lstat(temp, &st) == 0) {
    if (S_ISREG(st.st_mode)) {
      // Only when no save is writing it right now.
      const int fd = ::open(temp, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillNamed(fd, temp)) ::unlink(temp);
        ::close(fd);
      }
    } else if (!S_ISDIR(st.st_mode)) {
      ::unlink(temp);
    }
  }

  char folder[PATH_MAX];
  const char* base = nullptr;
  SplitPath(path, folder, &base);
  DIR* dir = ::opendir(folder);
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsOldTemporaryName(entry->d_name, base)) continue;
    char old[PATH_MAX];
    const int n = std::snprintf(old, sizeof old, "%s/%s", folder, entry->d_name);
    if (n > 0 && static_cast<size_t>(n) < sizeof old) ::unlink(old);
  }
  ::closedir(dir);
}

// Replacing a small file so that a crash, a full disk or a power cut leaves
// either the old file or the new one, never a torn or empty one. Used for
// every file the game writes (score.dat, scorereg.html).
#pragma once

#include <cstddef>
#include <string>

// Writes len bytes to path: the temporary file path + ".tmp" is written,
// synced and renamed over path, then the folder is synced. Each target has
// that one temporary name, so however often a save is cut short (a crash, a
// kill) at most one temporary file is ever left beside it; the next save
// reuses it. The temporary file is locked while it is written (flock), so two
// processes saving the same file at once cannot mix their bytes: the second
// one fails instead ("another save of this file is in progress").
//
// A symbolic link at path is replaced by the new file itself; the file it
// names is never written. An existing file that we may not write to
// (read-only) is refused rather than replaced, as is a folder or other
// non-file at path. Keeps the permission bits of the file it replaces.
//
// On failure (a full disk, a file-size limit: the process must ignore
// SIGXFSZ) the temporary file is removed, any earlier file is left as it
// was, and *error (when not null) gets "<path>: <reason>". The success path
// allocates nothing.
bool WriteFileAtomically(const char* path, const void* data, size_t len, std::string* error);

// The temporary name WriteFileAtomically uses for path, written into out
// (outSize bytes, NUL-terminated). False when it does not fit.
bool TemporaryPathFor(const char* path, char* out, size_t outSize);

// Removes what an interrupted WriteFileAtomically of path left behind: its
// temporary file (unless a save holds it right now) and the temporary files
// older versions of the game named path + ".tmp-<pid>-<n>". Never touches
// path itself. For start-up; allocates.
void RemoveLeftoverTemporaries(const char* path);

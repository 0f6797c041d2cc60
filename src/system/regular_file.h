// Opening the files the game reads (pictures, sounds, music, the best score)
// so that nothing placed at their paths can hang or mislead start-up: only a
// regular file is opened, never a named pipe, a device or a folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The reason OpenRegularFile and ReadRegularFile give when nothing is at the
// path (no such file, or a folder on the way is missing or is a file).
// Compare the pointer: `reason == kFileMissing`.
extern const char kFileMissing[];

// Opens path for reading when it names a regular file; a symbolic link to
// one is followed. A named pipe, device, socket or folder is refused at once
// (it is never waited on, and a device is not opened at all unless it is
// swapped in between the check and the open). Returns a descriptor in
// blocking mode with close-on-exec set, or -1 with *reason (when not null)
// pointing at a short static text: kFileMissing, "is a folder, not a file",
// "not a regular file", or the system's error text. Allocates nothing.
int OpenRegularFile(const char* path, const char** reason);

// Reads the whole regular file at path into out (resized to the file's
// size). A file larger than maxBytes is refused without being read. Returns
// false with *reason as above, or "file too large", "file shrank while being
// read", or the system's error text; out is then empty.
bool ReadRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>& out,
                     const char** reason);

// Whether path names a regular file (following links); never opens it.
bool IsRegularFile(const char* path);

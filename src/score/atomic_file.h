// Replacing a small file so that a crash, a full disk or a power cut leaves
// either the old file or the new one, never a torn or empty one.
#pragma once

#include <cstddef>
#include <string>

// Writes len bytes to path: a temporary file in the same folder is written,
// synced and renamed over path, then the folder is synced. A symbolic link at
// path is followed, so the file it names is the one replaced. An existing
// file that we may not write to (read-only) is refused rather than replaced,
// as is a folder or other non-file at path. Keeps the permission bits of the
// file it replaces.
//
// On failure the temporary file is removed, any earlier file is left as it
// was, and *error (when not null) gets "<path>: <reason>". The success path
// allocates nothing.
bool WriteFileAtomically(const char* path, const void* data, size_t len, std::string* error);

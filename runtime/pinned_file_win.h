// Files in folders that a less trusted user may change (the profile's
// application-data folder, the desktop), opened so that what is read, written
// or deleted is what the path names: neither the file nor any folder on its
// way is a link (junction, symbolic link, mount point), which the system's
// final name of each handle confirms, and nothing can be swapped while held.
#pragma once

#include <windows.h>

#include "runtime/handles_win.h"

namespace qv {

// A file and its folder, both open. The folder is held without delete
// sharing, so it cannot be renamed, removed or replaced by a link meanwhile.
struct PinnedFile {
    UniqueHandleFile folder;
    UniqueHandleFile file;
    explicit operator bool() const { return static_cast<bool>(file); }
};

// Opens the file for writing, without sharing, and empties it; a missing
// file is created. Empty when the folder or the file is a link or is reached
// through one, when the file has other hard links, or when an open fails:
// nothing is created, emptied or written then. A relative path resolves
// against the current directory.
[[nodiscard]] PinnedFile OpenForReplace(const char* path) noexcept;

// Opens the file for appending, sharing reading and writing (appenders); a
// missing file is created. Empty on the same refusals; nothing is created or
// changed then.
[[nodiscard]] PinnedFile OpenForAppend(const char* path) noexcept;

// Opens an existing file for reading, sharing only reading: nobody can write,
// rename or delete it while it is held. Empty on the same refusals.
[[nodiscard]] PinnedFile OpenForReading(const char* path) noexcept;

// Deletes a file (read-only too) that is no link and is not reached through
// one. True when it was deleted.
[[nodiscard]] bool DeleteUnlinkedFile(const char* path) noexcept;

// Removes an empty folder that is no link and is not reached through one.
// True when it was removed.
[[nodiscard]] bool RemoveUnlinkedFolder(const char* path) noexcept;

}  // namespace qv

// Files in folders that a less trusted user may change (the profile's
// application-data folder, the desktop), opened so that what is read, written
// or deleted is what the path names, and changed only where the user could
// have changed it.
//
// A special folder of the user is held once (HoldUserFolder): links at or
// above it are the machine's layout (a moved profile, a desktop linked
// elsewhere) and are followed to where it really is. Below it, and in every
// path below no held folder, neither the file nor any folder on its way may
// be a link (junction, symbolic link, mount point), which the system's final
// name of each handle confirms, and nothing can be swapped while held.
// Creating, writing and deleting also need the user's own access verdict
// where the process acts above its user (UserMay, user_token_win.h).
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/handles_win.h"

namespace qv {

// A file and its folder, both open. The folder is held without delete
// sharing, so it cannot be renamed, removed or replaced by a link meanwhile.
struct PinnedFile {
    UniqueHandleFile folder;
    UniqueHandleFile file;
    explicit operator bool() const { return static_cast<bool>(file); }
};

// Holds the folder path names, following links to it, for the opens below:
// a path that starts with it is taken from where it really is. False when it
// cannot be opened (nothing is held then). Holding it again changes nothing.
bool HoldUserFolder(const char* path) noexcept;

// Opens the file for writing, without sharing, and empties it; a missing
// file is created. Empty when the folder or the file is a link or is reached
// through one, when the file has other hard links, when the user could not
// have written the file (or made it in its folder), or when an open fails:
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

// Deletes a file (read-only too) that is no link, is not reached through
// one, and the user could have deleted. True when it was deleted.
[[nodiscard]] bool DeleteUnlinkedFile(const char* path) noexcept;

// Removes an empty folder on the same terms. True when it was removed.
[[nodiscard]] bool RemoveUnlinkedFolder(const char* path) noexcept;

// Creates the one folder (its parent must exist) in a parent that is no link,
// is not reached through one, and where the user could have made it. True
// when it was created.
[[nodiscard]] bool MakeUnlinkedFolder(const char* path) noexcept;

// True when the file, read from its start, holds exactly bytes[0, length).
[[nodiscard]] bool HoldsExactly(HANDLE file, const void* bytes, uint32_t length) noexcept;

}  // namespace qv

// Making folders for the extraction: the target, folder entries and the
// parents of files.
#pragma once

#include "payload/file_system.h"

namespace qv::payload {

// Creates a folder and, first, every missing folder above it, from the last
// separator back ("\" or "/", never a trail byte). A bare drive succeeds; an
// empty or overlong path fails.
[[nodiscard]] bool CreateFolderChain(const FileSystem& fs, const char* path);

// The same, level by level from the top: every prefix up to a "\" that does
// not exist is made with CreateFolderChain.
[[nodiscard]] bool CreateFolderLevels(const FileSystem& fs, const char* path);

}  // namespace qv::payload

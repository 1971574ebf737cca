// Whether a file or folder opened by the elevated installer is what its path
// names: no junction, symbolic link or mount point on the way. Pure: the
// Win32 side reads the facts from a handle and asks these.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv {

inline constexpr uint32_t kAttributeReparsePoint = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT

// True when attributes and reparse tag (tagKnown false: the system could not
// say) mark a point that redirects the name: a junction, a symbolic link or
// any other name surrogate, or a reparse point of an unknown tag. Reparse
// points that keep the name (cloud placeholders, deduplicated files) are not
// links.
bool IsRedirectingReparse(uint32_t attributes, uint32_t tag, bool tagKnown);

// True when finalPath, as the system names an open handle ("\\?\C:\...",
// "\\?\UNC\server\share\..."), is the full path expected ("C:\...",
// "\\server\share\..."). ASCII letters compare without case; two-byte
// characters byte for byte. A final "\" on either side (not a drive root's)
// does not count.
bool IsSameFinalPath(const char* finalPath, const char* expected);

// The length of folder's significant part when path is that folder or lies
// below it (the next character of path is "\"), compared as IsSameFinalPath
// does; 0 otherwise.
size_t FolderPrefixLength(const char* path, const char* folder);

// The full path a final path names: "\\?\C:\x" gives "C:\x",
// "\\?\UNC\s\x" gives "\\s\x". False when it does not fit size bytes.
bool PlainPath(const char* finalPath, char* out, size_t size);

}  // namespace qv

#include "payload/folders.h"

#include <cstring>

#include "payload/archive_format.h"
#include "runtime/text.h"

namespace qv::payload {

bool CreateFolderChain(const FileSystem& fs, const char* path) {
    const size_t n = TextLength(path);
    if (n == 0 || n >= kPathBytes) return false;
    if (n == 2 && path[1] == ':') return true;
    const FolderMade made = fs.makeFolder(fs.context, path);
    if (made == FolderMade::Created || made == FolderMade::AlreadyExists) return true;
    if (made != FolderMade::ParentMissing) return false;

    char parent[kPathBytes];
    std::memcpy(parent, path, n + 1);
    ptrdiff_t cut = FindLastSeparator(parent, true);
    if (cut < 0) return false;
    if (static_cast<size_t>(cut) == n - 1) {
        parent[cut] = '\0';
        cut = FindLastSeparator(parent, true);
        if (cut < 0) return false;
    }
    parent[cut] = '\0';
    if (!CreateFolderChain(fs, parent)) return false;
    return fs.makeFolder(fs.context, path) == FolderMade::Created;
}

bool CreateFolderLevels(const FileSystem& fs, const char* path) {
    char full[kPathBytes];
    size_t n = TextLength(path);
    const bool separator = !EndsWithSeparatorChar(path, false);
    if (n + separator >= kPathBytes) return false;
    if (n) std::memcpy(full, path, n);
    if (separator) full[n++] = '\\';
    full[n] = '\0';
    for (size_t k = 0; k < n;) {
        const size_t bytes = CharBytes(full + k, n - k);
        if (bytes == 1 && full[k] == '\\') {
            const char kept = full[k + 1];
            full[k + 1] = '\0';
            const bool ok = fs.exists(fs.context, full) || CreateFolderChain(fs, full);
            full[k + 1] = kept;
            if (!ok) return false;
        }
        k += bytes;
    }
    return true;
}

}  // namespace qv::payload

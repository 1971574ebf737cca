#include "runtime/pinned_file_win.h"

#include <cstring>

#include "runtime/link_rules.h"
#include "runtime/text.h"

namespace qv {
namespace {

// Full paths as the system gives them may be longer than MAX_PATH.
constexpr DWORD kPathChars = 2 * MAX_PATH;

// Bound by name: missing before Windows Vista. Without the final name the
// handle checks stop at the attributes.
struct HandleQueries {
    DWORD(WINAPI* finalPath)(HANDLE, LPSTR, DWORD, DWORD) = nullptr;
    BOOL(WINAPI* infoEx)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD) = nullptr;
    BOOL(WINAPI* setInfo)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD) = nullptr;
};

template <typename F>
void Bind(HMODULE kernel, const char* name, F* slot) {
    *slot = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

const HandleQueries& Queries() {
    static HandleQueries queries;
    static bool bound = false;
    if (!bound) {
        if (HMODULE kernel = GetModuleHandleA("kernel32.dll")) {
            Bind(kernel, "GetFinalPathNameByHandleA", &queries.finalPath);
            Bind(kernel, "GetFileInformationByHandleEx", &queries.infoEx);
            Bind(kernel, "SetFileInformationByHandle", &queries.setInfo);
        }
        bound = true;
    }
    return queries;
}

// The full form of a path and of its folder.
struct SplitPath {
    char full[kPathChars];
    char folder[kPathChars];
};

// False when the path has no file name after a folder, or does not fit.

[[nodiscard]] bool Split(const char* path, SplitPath* out) {
    if (!path || !*path) return false;
    const DWORD n = GetFullPathNameA(path, kPathChars, out->full, nullptr);
    if (n == 0 || n >= kPathChars) return false;
    const ptrdiff_t cut = FindLastSeparator(out->full, false);
    if (cut <= 0 || static_cast<DWORD>(cut) + 1 >= n) return false;
    // A drive root keeps its separator.
    const size_t folderLength = cut == 2 && out->full[1] == ':' ? 3 : static_cast<size_t>(cut);
    std::memcpy(out->folder, out->full, folderLength);
    out->folder[folderLength] = '\0';
    return true;
}

[[nodiscard]] bool FinalPathIs(HANDLE h, const char* expected) {
    const HandleQueries& q = Queries();
    if (!q.finalPath) return true;
    char final[kPathChars];
    const DWORD n = q.finalPath(h, final, kPathChars, 0);  // normalised, DOS volume name
    if (n == 0 || n >= kPathChars) return false;
    if (IsSameFinalPath(final, expected)) return true;
    // The expected path may hold short (8.3) names; the final name never does.
    char longForm[kPathChars];
    const DWORD m = GetLongPathNameA(expected, longForm, kPathChars);
    return m > 0 && m < kPathChars && IsSameFinalPath(final, longForm);
}

// The handle is no redirecting reparse point, of the kind asked, with one
// name only (a file), and the system names it as expected.
[[nodiscard]] bool IsUnlinked(HANDLE h, const char* expected, bool folder) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info)) return false;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    const HandleQueries& q = Queries();
    const bool tagKnown = q.infoEx && q.infoEx(h, FileAttributeTagInfo, &tag, sizeof tag);
    if (IsRedirectingReparse(info.dwFileAttributes, tag.ReparseTag, tagKnown)) return false;
    if (((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder) return false;
    if (!folder && info.nNumberOfLinks != 1) return false;
    return FinalPathIs(h, expected);
}

// Opens the folder without delete sharing, on the folder itself (not what
// a link there names), and checks it.
[[nodiscard]] UniqueHandleFile PinFolder(const char* folder) {
    UniqueHandleFile h(CreateFileA(folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (h && !IsUnlinked(h.get(), folder, true)) h.reset();
    return h;
}

[[nodiscard]] PinnedFile Checked(UniqueHandleFile folder, UniqueHandleFile file, const char* expected) {
    PinnedFile pinned;
    if (!file || !IsUnlinked(file.get(), expected, false)) return pinned;
    pinned.folder = std::move(folder);
    pinned.file = std::move(file);
    return pinned;
}

constexpr DWORD kOnTheLinkItself = FILE_FLAG_OPEN_REPARSE_POINT;

// An existing file is opened as it is, to be changed only once checked; a
// missing one is made new, which fails on anything there by then (a dangling
// link included: opening it as it is would make the file it names).
[[nodiscard]] PinnedFile OpenForWriting(const char* path, DWORD access, DWORD share) {
    SplitPath p;
    if (!Split(path, &p)) return {};
    UniqueHandleFile folder = PinFolder(p.folder);
    if (!folder) return {};
    access |= FILE_READ_ATTRIBUTES;
    UniqueHandleFile file(CreateFileA(p.full, access, share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | kOnTheLinkItself, nullptr));
    if (!file && GetLastError() == ERROR_FILE_NOT_FOUND)
        file.reset(CreateFileA(p.full, access, share, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | kOnTheLinkItself, nullptr));
    return Checked(std::move(folder), std::move(file), p.full);
}

}  // namespace

PinnedFile OpenForAppend(const char* path) noexcept {
    return OpenForWriting(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

PinnedFile OpenForReplace(const char* path) noexcept {
    PinnedFile pinned = OpenForWriting(path, GENERIC_WRITE, 0);
    if (pinned && (SetFilePointer(pinned.file.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
                   !SetEndOfFile(pinned.file.get())))
        return {};
    return pinned;
}

PinnedFile OpenForReading(const char* path) noexcept {
    SplitPath p;
    if (!Split(path, &p)) return {};
    UniqueHandleFile folder = PinFolder(p.folder);
    if (!folder) return {};
    UniqueHandleFile file(CreateFileA(p.full, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | kOnTheLinkItself,
                                      nullptr));
    return Checked(std::move(folder), std::move(file), p.full);
}

bool DeleteUnlinkedFile(const char* path) noexcept {
    const HandleQueries& q = Queries();
    SplitPath p;
    if (!q.setInfo || !Split(path, &p)) return false;
    UniqueHandleFile folder = PinFolder(p.folder);
    if (!folder) return false;
    UniqueHandleFile file(CreateFileA(p.full, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, kOnTheLinkItself, nullptr));
    const PinnedFile pinned = Checked(std::move(folder), std::move(file), p.full);
    if (!pinned) return false;
    FILE_DISPOSITION_INFO dispose{TRUE};
    if (q.setInfo(pinned.file.get(), FileDispositionInfo, &dispose, sizeof dispose)) return true;
    // A read-only file is made normal first (times of 0 stay as they are).
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return q.setInfo(pinned.file.get(), FileBasicInfo, &basic, sizeof basic) &&
           q.setInfo(pinned.file.get(), FileDispositionInfo, &dispose, sizeof dispose);
}

bool RemoveUnlinkedFolder(const char* path) noexcept {
    const HandleQueries& q = Queries();
    SplitPath p;
    if (!q.setInfo || !Split(path, &p)) return false;
    UniqueHandleFile parent = PinFolder(p.folder);
    if (!parent) return false;
    UniqueHandleFile folder(CreateFileA(p.full, DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | kOnTheLinkItself,
                                        nullptr));
    if (!folder || !IsUnlinked(folder.get(), p.full, true)) return false;
    FILE_DISPOSITION_INFO dispose{TRUE};
    return q.setInfo(folder.get(), FileDispositionInfo, &dispose, sizeof dispose) != FALSE;
}

}  // namespace qv

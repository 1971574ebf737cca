#include "runtime/pinned_file_win.h"

#include <cstring>

#include "runtime/link_rules.h"
#include "runtime/text.h"
#include "runtime/user_token_win.h"

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

// A special folder as the shell names it and where it really is, held open.
struct HeldFolder {
    char named[kPathChars];
    char real[kPathChars];
    UniqueHandleFile handle;
};
constexpr int kHeldFolders = 12;
HeldFolder g_held[kHeldFolders];
int g_heldCount = 0;

// The full path, with a path below a held folder mapped to where that
// folder really is. False when it does not fit.
[[nodiscard]] bool FullPath(const char* path, char* out) {
    const DWORD n = GetFullPathNameA(path, kPathChars, out, nullptr);
    if (n == 0 || n >= kPathChars) return false;
    const HeldFolder* best = nullptr;
    size_t bestLength = 0;
    for (int i = 0; i < g_heldCount; ++i) {
        const size_t length = FolderPrefixLength(out, g_held[i].named);
        if (length > bestLength) best = &g_held[i], bestLength = length;
    }
    if (!best) return true;
    const size_t real = TextLength(best->real), rest = n - bestLength;
    if (real + rest >= kPathChars) return false;
    std::memmove(out + real, out + bestLength, rest + 1);
    std::memcpy(out, best->real, real);
    return true;
}

// The full form of a path and of its folder.
struct SplitPath {
    char full[kPathChars];
    char folder[kPathChars];
};

// False when the path has no file name after a folder, or does not fit.
[[nodiscard]] bool Split(const char* path, SplitPath* out) {
    if (!path || !*path || !FullPath(path, out->full)) return false;
    const size_t n = TextLength(out->full);
    const ptrdiff_t cut = FindLastSeparator(out->full, false);
    if (cut <= 0 || static_cast<size_t>(cut) + 1 >= n) return false;
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
    UniqueHandleFile h(CreateFileA(folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL,
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

// An existing file is opened as it is, to be changed only once checked and
// only where the user could have changed it; a missing one is made new where
// the user could have made it, which fails on anything there by then (a
// dangling link included: opening it as it is would make the file it names).
[[nodiscard]] PinnedFile OpenForWriting(const char* path, DWORD access, DWORD share) {
    SplitPath p;
    if (!Split(path, &p)) return {};
    UniqueHandleFile folder = PinFolder(p.folder);
    if (!folder) return {};
    const DWORD userAccess = access == GENERIC_WRITE ? FILE_WRITE_DATA : access;
    access |= FILE_READ_ATTRIBUTES | READ_CONTROL;
    UniqueHandleFile file(CreateFileA(p.full, access, share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | kOnTheLinkItself, nullptr));
    if (file) {
        if (!UserMay(file.get(), userAccess)) return {};
    } else if (GetLastError() == ERROR_FILE_NOT_FOUND && UserMay(folder.get(), FILE_ADD_FILE)) {
        file.reset(CreateFileA(p.full, access, share, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | kOnTheLinkItself, nullptr));
    }
    return Checked(std::move(folder), std::move(file), p.full);
}

// Whether the user could have deleted what handle names in folder.
[[nodiscard]] bool UserMayDelete(HANDLE folder, HANDLE handle) {
    return UserMay(handle, DELETE) || UserMay(folder, FILE_DELETE_CHILD);
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
    UniqueHandleFile file(CreateFileA(p.full,
                                      DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | READ_CONTROL,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, kOnTheLinkItself, nullptr));
    const PinnedFile pinned = Checked(std::move(folder), std::move(file), p.full);
    if (!pinned || !UserMayDelete(pinned.folder.get(), pinned.file.get())) return false;
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
    UniqueHandleFile folder(
        CreateFileA(p.full, DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | kOnTheLinkItself, nullptr));
    if (!folder || !IsUnlinked(folder.get(), p.full, true) || !UserMayDelete(parent.get(), folder.get()))
        return false;
    FILE_DISPOSITION_INFO dispose{TRUE};
    return q.setInfo(folder.get(), FileDispositionInfo, &dispose, sizeof dispose) != FALSE;
}

bool MakeUnlinkedFolder(const char* path) noexcept {
    // A final separator names the same folder.
    char trimmed[kPathChars];
    const size_t n = TextLength(path);
    if (n == 0 || n >= kPathChars) return false;
    std::memcpy(trimmed, path, n + 1);
    if (n > 1 && EndsWithSeparatorChar(trimmed, false)) trimmed[n - 1] = '\0';
    SplitPath p;
    if (!Split(trimmed, &p)) return false;
    // Held, so what was checked is where the folder is made.
    const UniqueHandleFile parent = PinFolder(p.folder);
    return parent && UserMay(parent.get(), FILE_ADD_SUBDIRECTORY) && CreateDirectoryA(p.full, nullptr);
}

bool HoldUserFolder(const char* path) noexcept {
    char full[kPathChars];
    if (!path || !*path) return false;
    const DWORD n = GetFullPathNameA(path, kPathChars, full, nullptr);
    if (n == 0 || n >= kPathChars) return false;
    for (int i = 0; i < g_heldCount; ++i)
        if (IsSameFinalPath(g_held[i].named, full)) return true;
    if (g_heldCount == kHeldFolders) return false;
    HeldFolder& held = g_held[g_heldCount];
    // Links at or above the folder are the machine's layout: followed.
    held.handle.reset(CreateFileA(full, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!held.handle) return false;
    char final[kPathChars];
    const HandleQueries& q = Queries();
    if (!q.finalPath) {
        std::memcpy(held.real, full, n + 1);
    } else {
        const DWORD m = q.finalPath(held.handle.get(), final, kPathChars, 0);
        if (m == 0 || m >= kPathChars || !PlainPath(final, held.real, kPathChars)) {
            held.handle.reset();
            return false;
        }
    }
    std::memcpy(held.named, full, n + 1);
    ++g_heldCount;
    return true;
}

bool HoldsExactly(HANDLE file, const void* bytes, uint32_t length) noexcept {
    static uint8_t block[64 * 1024];
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart != static_cast<LONGLONG>(length)) return false;
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
    const auto* expected = static_cast<const uint8_t*>(bytes);
    for (uint32_t done = 0;;) {
        DWORD got = 0;
        if (!ReadFile(file, block, sizeof block, &got, nullptr)) return false;
        if (got == 0) return done == length;
        if (got > length - done || std::memcmp(block, expected + done, got) != 0) return false;
        done += got;
    }
}

}  // namespace qv

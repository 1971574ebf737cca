// The sample product's uninstaller. It removes the product only from the
// folder the installation registered, and nothing but what it made:
//   Uninstall.exe                  -> check, copy itself to a fresh private
//                                     folder (elevated: below the Windows
//                                     temporary folder, administrators only;
//                                     else below %TEMP%), start the copy, end
//   copy /continue PID "PRODUCT"   -> check again, wait for PID, close the
//                                     product, remove
// Removal order: the product tree first; only when all of it is gone, the
// thirteen registry values (and the keys the installation made, once
// empty), the shortcuts, the Start-menu folder, the staging archive and
// launch log. In the user's folders nothing is deleted through a link. It
// shows nothing. Exit codes:
//   0 everything removed (the first process: the copy was started)
//   1 not started from the registered product folder: nothing removed
//   2 a product file could not be removed: registration and shortcuts kept
//   3 the temporary copy could not be made or started: nothing removed
#define _CRT_RAND_S
#include <shlobj.h>
#include <windows.h>
// After windows.h:
#include <sddl.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "installer/product.h"
#include "runtime/handles_win.h"
#include "runtime/library_search_win.h"
#include "runtime/pinned_file_win.h"
#include "runtime/text.h"

namespace {

using qv::PinnedFile;
using qv::UniqueFind;
using qv::UniqueHandleFile;
using qv::UniqueKey;

enum ExitCode { kRemoved = 0, kNotProductFolder = 1, kFilesRemain = 2, kNoCopy = 3 };

using qv::installer::kProductFolder;
using qv::installer::kProductWindowClass;
using qv::installer::kUninstallKey;
constexpr const char* kProductWindowTitle = qv::installer::kDisplayName;
constexpr DWORD kCloseWaitMs = 10000;

// The installation's keys, their values, and how many trailing levels of
// the key path the installation made (removed while empty).
struct KeyRow {
    const char* path;
    const char* values[9];
    int ownLevels;
};
const KeyRow kKeys[] = {
    {QV_PRODUCT_KEY, {"InstPath"}, 1},
    {QV_SETTINGS_KEY, {"Counter", "installpro", "Scancode"}, 2},
    {kUninstallKey,
     {"DisplayIcon", "DisplayName", "DisplayVersion", "EstimatedSize", "InstallLocation", "Publisher",
      "UninstallString", "URLInfoAbout", "URLUpdateInfo"},
     1},
};

// The part of a path before its last real backslash (never a trail byte).
std::string ParentOf(const std::string& path) {
    const ptrdiff_t cut = qv::FindLastSeparator(path.c_str(), false);
    return cut < 0 ? std::string() : path.substr(0, static_cast<size_t>(cut));
}

// The user's folder, held where it is now (links at or above it are the
// machine's layout; below it the deletes follow none).
std::string Folder(int csidl) {
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return std::string();
    (void)qv::HoldUserFolder(path);
    return std::string(path) + "\\";
}

// The full form of a folder path, without a trailing backslash.
std::string FullFolder(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH) return std::string();
    std::string folder = full;
    while (folder.size() > 3 &&
           qv::FindLastSeparator(folder.c_str(), false) == static_cast<ptrdiff_t>(folder.size() - 1))
        folder.pop_back();
    return folder;
}

// The product folder the installation registered, read through the 32-bit
// registry view; empty when there is none.
std::string RegisteredProductFolder() {
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, key.put()) !=
        ERROR_SUCCESS)
        return std::string();
    char value[MAX_PATH] = {};
    DWORD type = 0, size = sizeof value - 1;
    if (RegQueryValueExA(key.get(), "InstallLocation", nullptr, &type, reinterpret_cast<BYTE*>(value),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::string();
    return FullFolder(value);
}

// True when folder is the registered product folder: the same path, a
// folder named like the product's, holding the product's program.
bool IsProductFolder(const std::string& folder) {
    const std::string registered = RegisteredProductFolder();
    const std::string given = FullFolder(folder);
    if (registered.empty() || given.empty() || lstrcmpiA(registered.c_str(), given.c_str()) != 0)
        return false;
    const std::string parent = ParentOf(given);
    if (parent.empty() || lstrcmpiA(given.c_str() + parent.size() + 1, kProductFolder) != 0) return false;
    const DWORD attributes = GetFileAttributesA((given + "\\" QV_SHORT_NAME ".exe").c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Gone(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Removes a file or folder tree; true when nothing of it is left. A reparse
// point (junction, symbolic link) is removed itself, never followed.
bool RemoveTree(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Gone(path);
    const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // Deleted through a handle on the link itself. Wine shows a Unix
        // symbolic link as a reparse point but deletes (or rmdirs) what it
        // points at, so there it is left in place.
        if (UnderWine()) return false;
        UniqueHandleFile link(
            CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        FILE_DISPOSITION_INFO dispose{TRUE};
        if (link) SetFileInformationByHandle(link.get(), FileDispositionInfo, &dispose, sizeof dispose);
        link.reset();
        return Gone(path);
    }
    if (!folder) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return Gone(path);
    }
    bool all = true;
    WIN32_FIND_DATAA fd;
    UniqueFind find(FindFirstFileA((path + "\\*").c_str(), &fd));
    if (find) {
        do {
            const std::string name = fd.cFileName;
            if (name != "." && name != "..") all = RemoveTree(path + "\\" + name) && all;
        } while (FindNextFileA(find.get(), &fd));
    }
    find.reset();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_DIRECTORY);
    RemoveDirectoryA(path.c_str());
    return all && Gone(path);
}

// Asks every product window to close and waits, bounded, for its process
// to end (its files are in use until then).
void CloseRunningProduct() {
    const DWORD deadline = GetTickCount() + kCloseWaitMs;
    auto remaining = [&] {
        const LONG left = static_cast<LONG>(deadline - GetTickCount());
        return left > 0 ? static_cast<DWORD>(left) : 0;
    };
    while (HWND window = FindWindowA(kProductWindowClass, kProductWindowTitle)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        UniqueHandleFile process(OpenProcess(SYNCHRONIZE, FALSE, pid));
        PostMessageA(window, WM_CLOSE, 0, 0);
        while (IsWindow(window) && remaining() > 0) Sleep(50);
        if (IsWindow(window)) return;  // it did not close in time
        if (process) WaitForSingleObject(process.get(), remaining());
        if (remaining() == 0) return;
    }
}

bool KeyIsEmpty(const std::string& path) {
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, key.put()) !=
        ERROR_SUCCESS)
        return false;
    DWORD subkeys = 0, values = 0;
    return RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys == 0 && values == 0;
}

void RemoveRegistration() {
    for (const KeyRow& row : kKeys) {
        UniqueKey key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, row.path, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, key.put()) ==
            ERROR_SUCCESS)
            for (const char* value : row.values)
                if (value) RegDeleteValueA(key.get(), value);
        key.reset();
        // Only the levels the installation made, and only while empty.
        std::string path = row.path;
        for (int level = 0; level < row.ownLevels && KeyIsEmpty(path); ++level) {
            if (RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), KEY_WOW64_32KEY, 0) != ERROR_SUCCESS) break;
            path = ParentOf(path);
        }
    }
}

// In the user's folders, which the user may have turned into links to
// anywhere: each file and folder is removed only when neither it nor a
// folder on its way is a link.
void RemoveShortcutsAndData() {
    const std::string appData = Folder(CSIDL_APPDATA);
    using namespace qv::installer;
    const std::string menu = appData + kMenuFolder;
    (void)qv::DeleteUnlinkedFile((menu + "\\" + kLaunchLink).c_str());
    (void)qv::DeleteUnlinkedFile((menu + "\\" + kUninstallLink).c_str());
    (void)qv::RemoveUnlinkedFolder(menu.c_str());  // only when empty
    (void)qv::DeleteUnlinkedFile((Folder(CSIDL_DESKTOPDIRECTORY) + kLaunchLink).c_str());
    (void)qv::DeleteUnlinkedFile((appData + kStagingArchive).c_str());
    (void)qv::DeleteUnlinkedFile((appData + kCompanyFolder + "\\launch.log").c_str());
    (void)qv::RemoveUnlinkedFolder((appData + kCompanyFolder).c_str());  // only when empty
}

int Uninstall(const std::string& productFolder) {
    CloseRunningProduct();
    if (!RemoveTree(productFolder)) return kFilesRemain;
    RemoveRegistration();
    RemoveShortcutsAndData();
    return kRemoved;
}

// Both files, read from their start through the handles given, are the same.
bool SameContent(HANDLE a, HANDLE b) {
    static char ba[65536], bb[65536];
    for (;;) {
        DWORD na = 0, nb = 0;
        if (!ReadFile(a, ba, sizeof ba, &na, nullptr) || !ReadFile(b, bb, sizeof bb, &nb, nullptr))
            return false;
        if (na != nb || std::memcmp(ba, bb, na) != 0) return false;
        if (na == 0) return true;
    }
}

// Elevated, the copy goes below the Windows temporary folder into a folder
// only administrators and the system may change: below %TEMP% a program
// running as the user could swap it before it starts, or redirect the delete
// at the next restart.
std::string PrivateFolderParent(bool elevated) {
    char parent[MAX_PATH] = {};
    if (elevated) {
        const UINT n = GetWindowsDirectoryA(parent, MAX_PATH - 6);
        if (n == 0 || n >= MAX_PATH - 6) return std::string();
        std::string folder = parent;
        if (folder.back() != '\\') folder += '\\';
        return folder + "Temp\\";
    }
    const DWORD n = GetTempPathA(MAX_PATH, parent);
    return n == 0 || n >= MAX_PATH ? std::string() : std::string(parent);
}

// A new folder with a name nobody can guess, made by us (a folder that exists
// already is never taken).
std::string MakePrivateFolder() {
    const bool elevated = IsUserAnAdmin() != FALSE;
    const std::string parent = PrivateFolderParent(elevated);
    if (parent.empty() || parent.size() >= MAX_PATH - 40) return std::string();
    // Administrators and the system only, nothing inherited from the parent.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (elevated && !ConvertStringSecurityDescriptorToSecurityDescriptorA(
                        "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)", SDDL_REVISION_1, &descriptor, nullptr))
        return std::string();
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    std::string made;
    for (int attempt = 0; attempt < 16 && made.empty(); ++attempt) {
        unsigned words[2] = {};
        if (rand_s(&words[0]) != 0 || rand_s(&words[1]) != 0) break;
        char name[40];
        wsprintfA(name, "QvUninstall-%08x%08x", words[0], words[1]);
        const std::string folder = parent + name;
        if (CreateDirectoryA(folder.c_str(), descriptor ? &security : nullptr)) made = folder;
    }
    if (descriptor) LocalFree(descriptor);
    return made;
}

// Runs this program again from a private copy, handing the product folder
// over; the product folder can then be removed, this image included.
int HandOver(const std::string& self, const std::string& productFolder) {
    const std::string folder = MakePrivateFolder();
    if (folder.empty()) return kNoCopy;
    const std::string copy = folder + "\\QuorvaneUninstall.exe";
    // The copy and its folder stay held against change from the comparison
    // until the copy has started.
    PinnedFile held;
    UniqueHandleFile original;
    if (CopyFileA(self.c_str(), copy.c_str(), TRUE)) {
        held = qv::OpenForReading(copy.c_str());
        original.reset(
            CreateFileA(self.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    }
    if (!held || !original || !SameContent(original.get(), held.file.get())) {
        held = PinnedFile{};
        DeleteFileA(copy.c_str());
        RemoveDirectoryA(folder.c_str());
        return kNoCopy;
    }
    std::string command =
        "\"" + copy + "\" /continue " + std::to_string(GetCurrentProcessId()) + " \"" + productFolder + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(copy.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &pi)) {
        held = PinnedFile{};
        DeleteFileA(copy.c_str());
        RemoveDirectoryA(folder.c_str());
        return kNoCopy;
    }
    UniqueHandleFile thread(pi.hThread), process(pi.hProcess);
    return kRemoved;
}

std::string ModulePath() {
    char self[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(self) : std::string();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    qv::RestrictLibrarySearch();
    const std::string self = ModulePath();
    if (self.empty()) return kNotProductFolder;

    if (__argc >= 4 && std::strcmp(__argv[1], "/continue") == 0) {
        // The folder comes from the command line: it must be the registered
        // one all the same.
        const std::string productFolder = __argv[3];
        if (!IsProductFolder(productFolder)) return kNotProductFolder;
        UniqueHandleFile parent(OpenProcess(SYNCHRONIZE, FALSE, std::strtoul(__argv[2], nullptr, 10)));
        if (parent) WaitForSingleObject(parent.get(), 30000);
        parent.reset();
        const int code = Uninstall(FullFolder(productFolder));
        // The running copy and its folder go at the next restart.
        MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        MoveFileExA(ParentOf(self).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return code;
    }

    const std::string productFolder = ParentOf(self);
    if (!IsProductFolder(productFolder)) return kNotProductFolder;
    return HandOver(self, FullFolder(productFolder));
}

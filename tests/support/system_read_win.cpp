#include "tests/support/system_read_win.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdlib>

#include "tests/support/child_process_win.h"

namespace qv::test {
namespace {
LONG OpenLocalMachine(const char* key, REGSAM access, HKEY* h) {
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, access, h);
}
}  // namespace

bool PrefixIs64() {
    const char* bits = std::getenv("QV_WINDOWS_BITS");
    return bits && std::string(bits) == "64";
}

int WineMajor() {
    using Version = const char*(CDECL*)();
    auto version = reinterpret_cast<Version>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    return version ? std::atoi(version()) : 0;
}

std::pair<DWORD, std::string> ReadLocalMachine(const char* key, const char* name) {
    HKEY h = nullptr;
    if (OpenLocalMachine(key, KEY_READ, &h) != ERROR_SUCCESS) return {0xFFFF, ""};
    char data[1024];
    DWORD type = 0, size = sizeof data;
    const LONG status = RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(h);
    if (status != ERROR_SUCCESS) return {0xFFFF, ""};
    return {type, std::string(data, size)};
}

bool LocalMachineKeyExists(const char* key) {
    HKEY h = nullptr;
    if (OpenLocalMachine(key, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

void DeleteLocalMachineTree(const char* key) { RegDeleteTreeA(HKEY_LOCAL_MACHINE, key); }

LinkRead ReadLink(const std::string& path) {
    LinkRead r;
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return r;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            r.loaded = true;
            char buf[MAX_PATH];
            buf[0] = 0;
            link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH);
            r.target = buf;
            buf[0] = 0;
            link->GetArguments(buf, MAX_PATH);
            r.arguments = buf;
            buf[0] = 0;
            link->GetDescription(buf, MAX_PATH);
            r.description = buf;
            buf[0] = 0;
            link->GetWorkingDirectory(buf, MAX_PATH);
            r.folder = buf;
        }
        file->Release();
    }
    link->Release();
    return r;
}

int KillProcesses(const char* exeName) {
    int killed = 0;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 pe{};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe)) {
        if (lstrcmpiA(pe.szExeFile, exeName) != 0) continue;
        if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pe.th32ProcessID)) {
            TerminateProcess(p, 0);
            WaitForSingleObject(p, 10000);
            CloseHandle(p);
            ++killed;
        }
    }
    CloseHandle(snap);
    return killed;
}

bool WaitForProcessEnd(const char* exeName, DWORD timeoutMs, DWORD* exitCode) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return false;
    HANDLE process = nullptr;
    PROCESSENTRY32 pe{};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32First(snap, &pe); ok && !process; ok = Process32Next(snap, &pe))
        if (lstrcmpiA(pe.szExeFile, exeName) == 0)
            process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pe.th32ProcessID);
    CloseHandle(snap);
    if (!process) return false;
    const bool ended =
        WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0 && GetExitCodeProcess(process, exitCode);
    CloseHandle(process);
    return ended;
}

namespace {
// The Unix path of an existing file or folder, through Wine's own export.
std::string UnixPath(const std::string& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH];
    if (!toUnix || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return std::string();
    char* unix = toUnix(wide);
    if (!unix) return std::string();
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Starts a Unix program (Wine starts one from a Windows path; it splits the
// command line by the Windows rules), waits for it and then until done()
// holds: the handle Wine gives for a Unix process may be signalled early.
template <typename Done>
bool RunUnix(std::string command, Done done) {
    // Its own standard handles: given ours, Wine leaves this process's
    // standard output unusable afterwards.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul;
    PROCESS_INFORMATION pi{};
    const BOOL started =
        CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    if (!started) return false;
    // For a Unix program Wine gives no process handle, and the thread field
    // then holds a value that may be one of this process's own handles:
    // closing it made, seen, later COM look-ups in this process fail.
    if (pi.hProcess) {
        WaitForSingleObject(pi.hProcess, 30000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    for (int i = 0; i < 200; ++i, Sleep(50))
        if (done()) return true;
    return false;
}

// The Unix path of a file or folder whose parent exists.
std::string UnixPathBelow(const std::string& path) {
    const size_t cut = path.find_last_of('\\');
    if (cut == std::string::npos) return std::string();
    const std::string parent = UnixPath(path.substr(0, cut));
    return parent.empty() ? parent : parent + "/" + path.substr(cut + 1);
}
}  // namespace

bool MakeUnixSymlink(const std::string& link, const std::string& target) {
    const std::string from = UnixPathBelow(link);
    const std::string to = UnixPath(target);
    auto made = [&] { return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; };
    return !from.empty() && !to.empty() && RunUnix("Z:\\bin\\ln -sfn \"" + to + "\" \"" + from + "\"", made);
}

void RemoveUnixSymlink(const std::string& link) {
    const std::string path = UnixPathBelow(link);
    if (!path.empty())
        RunUnix("Z:\\bin\\rm -f \"" + path + "\"",
                [&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
    return std::string(path) + "\\";
}

}  // namespace qv::test

#include "tests/support/child_process_win.h"

#include <set>

namespace qv::test {
namespace {

struct WatchState {
    DWORD pid;
    std::set<HWND>* answered;
    ChildOutcome* outcome;
};

BOOL CALLBACK Watch(HWND hwnd, LPARAM param) {
    auto* state = reinterpret_cast<WatchState*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != state->pid || !IsWindowVisible(hwnd)) return TRUE;
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) != "#32770") {
        if (state->answered->insert(hwnd).second) ++state->outcome->visibleWindows;
        return TRUE;
    }
    if (!state->answered->insert(hwnd).second) return TRUE;
    MessageBoxSeen box;
    char buf[4096] = {};
    GetWindowTextA(hwnd, buf, sizeof buf);
    box.caption = buf;
    buf[0] = '\0';
    GetDlgItemTextA(hwnd, 0xFFFF, buf, sizeof buf);
    box.text = buf;
    state->outcome->boxes.push_back(box);
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDOK)));
    return TRUE;
}

}  // namespace

ChildOutcome RunChild(const std::string& commandLine, const char* cwd, DWORD timeoutMs) {
    ChildOutcome outcome;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, cwd, &si, &pi))
        return outcome;
    outcome.started = true;
    std::set<HWND> answered;
    WatchState state{pi.dwProcessId, &answered, &outcome};
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT) {
        EnumWindows(Watch, reinterpret_cast<LPARAM>(&state));
        if (GetTickCount() - start > timeoutMs) {
            outcome.timedOut = true;
            TerminateProcess(pi.hProcess, 0xDEAD);
            WaitForSingleObject(pi.hProcess, 10000);
            break;
        }
    }
    GetExitCodeProcess(pi.hProcess, &outcome.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return outcome;
}

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\'));
}

std::string MakeTempFolder(const char* tag) {
    static unsigned counter = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    for (;;) {
        std::string path = std::string(temp) + "qvt-" + tag + "-" + std::to_string(GetCurrentProcessId()) +
                           "-" + std::to_string(++counter);
        if (CreateDirectoryA(path.c_str(), nullptr)) return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return path;
    }
}

std::string ReadWholeFile(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "";
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    CloseHandle(h);
    return out;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
    return ok && put == bytes.size();
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TempFolder::TempFolder(const char* tag) : path_(MakeTempFolder(tag)) {}
TempFolder::~TempFolder() { RemoveTree(path_); }

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            // A link is never followed (RemoveUnixSymlink removes one).
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace qv::test

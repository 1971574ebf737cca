#include "tests/support/system_read_win.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdlib>

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

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
    return std::string(path) + "\\";
}

}  // namespace qv::test

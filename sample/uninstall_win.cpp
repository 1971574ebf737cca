// The sample product's uninstaller. Started from the product folder, it
// copies itself to the temporary folder and continues from there, so that
// the product tree, itself included, can be removed:
//   Uninstall.exe                     -> copy, start the copy, end
//   copy /continue PID "PRODUCT DIR"  -> wait for PID, remove everything
// It removes the thirteen registry values and the keys the installation made
// once they are empty, the three shortcuts, the Start-menu folder, the
// staging archive and launch log, and the product tree. It shows nothing.
#include <shlobj.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const kKeys[] = {
    "SOFTWARE\\WOW6432Node\\Zentrel2.0",
    "SOFTWARE\\WOW6432Node\\Halvik\\Zentrel",
    "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zentrel2.0",
};
const char* const kValues[][5] = {
    {"InstPath"},
    {"Counter", "installpro", "Scancode"},
    {"DisplayIcon", "DisplayName", "DisplayVersion", "EstimatedSize", "InstallLocation"},
};
const char* const kMoreUninstallValues[] = {"Publisher", "UninstallString", "URLInfoAbout", "URLUpdateInfo"};

std::string Folder(int csidl) {
    char path[MAX_PATH] = {};
    return SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? std::string(path) + "\\" : std::string();
}

bool KeyIsEmpty(HKEY root, const std::string& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    DWORD subkeys = 0, values = 0;
    const bool empty = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                        nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       subkeys == 0 && values == 0;
    RegCloseKey(key);
    return empty;
}

// Deletes the key and then each parent up to (not including) SOFTWARE, as
// long as they are empty.
void DeleteEmptyKeys(std::string path, REGSAM view) {
    while (path.size() > 9 && KeyIsEmpty(HKEY_LOCAL_MACHINE, path, view)) {
        if (RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), view, 0) != ERROR_SUCCESS) return;
        path.erase(path.find_last_of('\\'));
    }
}

void RemoveValues(const std::string& keyPath, const char* const* names, int count, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS)
        return;
    for (int i = 0; i < count && names[i]; ++i) RegDeleteValueA(key, names[i]);
    RegCloseKey(key);
}

void RemoveRegistration() {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    for (int k = 0; k < 3; ++k) {
        // Some registries (Wine) nest a key created below WOW6432Node with a
        // missing parent one WOW6432Node deeper; look there too.
        std::string nested = std::string("SOFTWARE\\WOW6432Node\\WOW6432Node\\") + (kKeys[k] + 21);
        struct Place {
            std::string path;
            REGSAM view;
        } places[] = {{kKeys[k], 0}, {nested, KEY_WOW64_64KEY}};
        for (const Place& p : places) {
            if (p.view && !wow64) continue;
            RemoveValues(p.path, kValues[k], 5, p.view);
            if (k == 2) RemoveValues(p.path, kMoreUninstallValues, 4, p.view);
            DeleteEmptyKeys(p.path, p.view);
        }
    }
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
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

void RemoveEverything(const std::string& productDir) {
    RemoveRegistration();
    const std::string appData = Folder(CSIDL_APPDATA);
    const std::string menu = appData + "Microsoft\\Windows\\Start Menu\\Programs\\Quorvane";
    DeleteFileA((menu + "\\Quorvane.lnk").c_str());
    DeleteFileA((menu + "\\Quorvane卸载.lnk").c_str());
    RemoveDirectoryA(menu.c_str());
    DeleteFileA((Folder(CSIDL_DESKTOPDIRECTORY) + "Quorvane.lnk").c_str());
    DeleteFileA((appData + "Moranzo\\Quorvane.zip").c_str());
    DeleteFileA((appData + "Moranzo\\launch.log").c_str());
    RemoveDirectoryA((appData + "Moranzo").c_str());
    RemoveTree(productDir);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (__argc >= 4 && std::strcmp(__argv[1], "/continue") == 0) {
        if (HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, std::strtoul(__argv[2], nullptr, 10))) {
            WaitForSingleObject(parent, 30000);
            CloseHandle(parent);
        }
        RemoveEverything(__argv[3]);
        MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return 0;
    }

    std::string productDir = self;
    productDir.erase(productDir.find_last_of('\\'));
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string copy =
        std::string(temp) + "QuorvaneUninstall-" + std::to_string(GetCurrentProcessId()) + ".exe";
    if (!CopyFileA(self, copy.c_str(), FALSE)) {
        RemoveEverything(productDir);  // the image itself stays
        return 1;
    }
    std::string command =
        "\"" + copy + "\" /continue " + std::to_string(GetCurrentProcessId()) + " \"" + productDir + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(copy.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, temp, &si, &pi))
        return 1;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

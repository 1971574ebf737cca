// Prints what an installation left: the thirteen registry values, the three
// shortcuts and the product's launch records.
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/system_read_win.h"

namespace {

using namespace qv::test;

void PrintValue(const char* key, const char* name) {
    const auto value = ReadLocalMachine(key, name);
    if (value.first == 0xFFFF) {
        std::printf("  %-16s (missing)\n", name);
    } else if (value.first == REG_DWORD && value.second.size() == 4) {
        DWORD n;
        memcpy(&n, value.second.data(), 4);
        std::printf("  %-16s REG_DWORD %lu\n", name, static_cast<unsigned long>(n));
    } else {
        std::printf("  %-16s REG_SZ    \"%s\"\n", name, value.second.c_str());
    }
}

void PrintLink(const std::string& path) {
    const LinkRead link = ReadLink(path);
    std::printf("  %s\n", path.c_str());
    if (!link.loaded) {
        std::printf("    (missing)\n");
        return;
    }
    std::printf("    target      %s\n    arguments   %s\n    description %s\n", link.target.c_str(),
                link.arguments.empty() ? "(none)" : link.arguments.c_str(), link.description.c_str());
}

}  // namespace

int main() {
    CoInitialize(nullptr);
    const char* product = "SOFTWARE\\WOW6432Node\\Zentrel2.0";
    const char* settings = "SOFTWARE\\WOW6432Node\\Halvik\\Zentrel";
    const char* uninstall =
        "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zentrel2.0";
    std::printf("Registry (HKEY_LOCAL_MACHINE, 32-bit view)\n %s\n", product);
    PrintValue(product, "InstPath");
    std::printf(" %s\n", settings);
    for (const char* name : {"Counter", "installpro", "Scancode"}) PrintValue(settings, name);
    std::printf(" %s\n", uninstall);
    for (const char* name :
         {"DisplayIcon", "DisplayName", "DisplayVersion", "EstimatedSize", "InstallLocation", "Publisher",
          "UninstallString", "URLInfoAbout", "URLUpdateInfo"})
        PrintValue(uninstall, name);

    const std::string appData = SpecialFolder(CSIDL_APPDATA);
    const std::string menu = appData + "Microsoft\\Windows\\Start Menu\\Programs\\Quorvane\\";
    std::printf("\nShortcuts\n");
    PrintLink(menu + "Quorvane.lnk");
    PrintLink(menu + "Quorvane卸载.lnk");
    PrintLink(SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "Quorvane.lnk");

    std::printf(
        "\nProduct launch records (%sMoranzo\\launch.log: path, command line, folder, token elevation type:"
        " 1 not split, 2 full, 3 limited)\n",
        appData.c_str());
    HANDLE h = CreateFileA((appData + "Moranzo\\launch.log").c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        std::printf("  (none)\n");
        return 0;
    }
    char buf[4096];
    DWORD got = 0;
    std::string log;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) log.append(buf, got);
    CloseHandle(h);
    std::printf("  %s", log.c_str());
    return 0;
}

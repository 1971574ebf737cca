// Bitness, install root, redirection and the registry rows in both kinds of
// Windows prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "installer/platform_win.h"
#include "installer/registration.h"
#include "runtime/files_win.h"
#include "tests/support/system_read_win.h"

namespace qv::installer {
namespace {

using test::DeleteLocalMachineTree;
using test::LocalMachineKeyExists;
using test::PrefixIs64;
using test::ReadLocalMachine;

WORD ImageMachine(const char* path) {
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    char buf[4096];
    DWORD got = 0;
    ReadFile(h, buf, sizeof buf, &got, nullptr);
    CloseHandle(h);
    if (got < 0x40) return 0;
    const LONG offset = *reinterpret_cast<LONG*>(buf + 0x3C);
    if (offset < 0 || static_cast<DWORD>(offset) + 6 > got) return 0;
    return *reinterpret_cast<WORD*>(buf + offset + 4);
}

TEST(Platform, DetectsWow64AndChoosesTheRoot) {
    int32_t answer = 0, is64 = 0;
    DetectBitness(&answer, &is64);
    EXPECT_EQ(PrefixIs64() ? 1 : 0, is64);
    EXPECT_EQ(PrefixIs64(), answer != 0);
    EXPECT_STREQ(PrefixIs64() ? "C:\\Program Files (x86)\\" : "C:\\Program Files\\", InstallRootFor(is64));
    EXPECT_STREQ("C:\\Program Files\\", InstallRootFor(0));
    EXPECT_STREQ("C:\\Program Files\\", InstallRootFor(2));
}

TEST(Platform, RedirectionCallsLeaveTheSystemFolderAsItWas) {
    const char* kernel = "C:\\Windows\\System32\\kernel32.dll";
    ASSERT_EQ(IMAGE_FILE_MACHINE_I386, ImageMachine(kernel));
    RedirectionFirst();
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, ImageMachine(kernel));
    RedirectionSecond();
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, ImageMachine(kernel));
    // Shell and COM still load from the 32-bit system folder.
    EXPECT_NE(nullptr, LoadLibraryA("shdocvw.dll"));
}

TEST(Registration, ThirteenValuesReadBackWithExactTypesAndBytes) {
    DeleteLocalMachineTree("SOFTWARE\\WOW6432Node\\Zentrel2.0");
    DeleteLocalMachineTree("SOFTWARE\\WOW6432Node\\Halvik");
    DeleteLocalMachineTree(
        "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zentrel2.0");
    EXPECT_FALSE(LocalMachineKeyExists("SOFTWARE\\WOW6432Node\\Halvik"));
    // A text left by something else is replaced by the number.
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyA(
                  HKEY_LOCAL_MACHINE,
                  "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zentrel2.0", &h));
    RegSetValueExA(h, "EstimatedSize", 0, REG_SZ, reinterpret_cast<const BYTE*>("old"), 4);
    RegCloseKey(h);

    const std::string root = PrefixIs64() ? "C:\\Program Files (x86)\\" : "C:\\Program Files\\";
    EXPECT_EQ(13, RegisterProduct(root.c_str(), "2026129", WriteRegistryValue));

    const char* uninstall =
        "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zentrel2.0";
    auto sz = [](const std::string& s) { return std::make_pair(DWORD{REG_SZ}, s + '\0'); };
    EXPECT_EQ(sz(root), ReadLocalMachine("SOFTWARE\\WOW6432Node\\Zentrel2.0", "InstPath"));
    EXPECT_EQ(sz("2026129"), ReadLocalMachine("SOFTWARE\\WOW6432Node\\Halvik\\Zentrel", "Counter"));
    EXPECT_EQ(sz("100%"), ReadLocalMachine("SOFTWARE\\WOW6432Node\\Halvik\\Zentrel", "installpro"));
    EXPECT_EQ(sz("2026129"), ReadLocalMachine("SOFTWARE\\WOW6432Node\\Halvik\\Zentrel", "Scancode"));
    EXPECT_EQ(sz(root + "Zentrel\\Zentrel.exe"), ReadLocalMachine(uninstall, "DisplayIcon"));
    EXPECT_EQ(sz("Quorvane"), ReadLocalMachine(uninstall, "DisplayName"));
    EXPECT_EQ(sz("2.18.0.10"), ReadLocalMachine(uninstall, "DisplayVersion"));
    EXPECT_EQ(std::make_pair(DWORD{REG_DWORD}, std::string("\xFD\xC6\x00\x00", 4)),
              ReadLocalMachine(uninstall, "EstimatedSize"));
    EXPECT_EQ(sz(root + "Zentrel"), ReadLocalMachine(uninstall, "InstallLocation"));
    EXPECT_EQ(sz("quorvane.com"), ReadLocalMachine(uninstall, "Publisher"));
    EXPECT_EQ(sz(root + "Zentrel\\Uninstall.exe"), ReadLocalMachine(uninstall, "UninstallString"));
    EXPECT_EQ(sz("https://www.quorvane.com/"), ReadLocalMachine(uninstall, "URLInfoAbout"));
    EXPECT_EQ(sz("https://www.quorvane.com/"), ReadLocalMachine(uninstall, "URLUpdateInfo"));
}

}  // namespace
}  // namespace qv::installer

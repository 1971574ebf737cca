// The installer end to end, as a person runs it: in a prefix of either
// bitness, then again, and with faults it must pass over.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support_win.h"
#include "tests/support/child_process_win.h"
#include "tests/support/registry_rows.h"
#include "tests/support/system_read_win.h"

namespace qv::test {
namespace {

std::string TodayStamp() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return std::to_string(now.wYear) + std::to_string(now.wMonth) + std::to_string(now.wDay);
}

// The dates a run may stamp: that of its start and that of its end (midnight
// may pass in between).
struct RunDates {
    std::string before = TodayStamp();
    std::string after;
    void Ended() { after = TodayStamp(); }
};

void ExpectRegistration(const RunDates& dates) {
    const std::string stamp = ReadLocalMachine(kSettingsKey, "Counter").second;
    EXPECT_TRUE(stamp == dates.before + '\0' || stamp == dates.after + '\0') << stamp;
    for (const ExpectedValue& v :
         ExpectedRegistry(Root(), stamp.empty() ? "" : stamp.substr(0, stamp.size() - 1))) {
        SCOPED_TRACE(v.name);
        const auto read = ReadLocalMachine(v.key.c_str(), v.name.c_str());
        if (v.dword) {
            EXPECT_EQ(std::make_pair(DWORD{REG_DWORD}, std::string("\xFD\xC6\x00\x00", 4)), read);
        } else {
            EXPECT_EQ(std::make_pair(DWORD{REG_SZ}, v.text + '\0'), read);
        }
    }
}

void ExpectShortcuts() {
    const std::string product = Root() + "Zentrel\\Zentrel.exe";
    LinkRead menu = ReadLink(MenuFolder() + "\\Quorvane.lnk");
    EXPECT_TRUE(menu.loaded);
    EXPECT_EQ(product, menu.target);
    EXPECT_EQ("/n", menu.arguments);
    EXPECT_EQ("Quorvane", menu.description);
    EXPECT_EQ("", menu.folder);
    LinkRead uninstall = ReadLink(MenuFolder() + "\\Quorvane\xD0\xB6\xD4\xD8.lnk");
    EXPECT_TRUE(uninstall.loaded);
    EXPECT_EQ(Root() + "Zentrel\\Uninstall.exe", uninstall.target);
    EXPECT_EQ("", uninstall.arguments);
    EXPECT_EQ("\xD0\xB6\xD4\xD8\xB3\xCC\xD0\xF2", uninstall.description);
    LinkRead desktop = ReadLink(DesktopLink());
    EXPECT_TRUE(desktop.loaded);
    EXPECT_EQ(product, desktop.target);
    EXPECT_EQ("/n", desktop.arguments);
}

class Installation : public testing::Test {
protected:
    void TearDown() override { KillProcesses("Zentrel.exe"); }
};

uint64_t WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

uint64_t KeyWriteTime(const char* key) {
    HKEY h = nullptr;
    FILETIME t{};
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return 0;
    RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, &t);
    RegCloseKey(h);
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

TEST_F(Installation, InstallsEverythingShowsNothingAndStartsTheProduct) {
    ForgetInstallation();
    const TempFolder elsewhere("cwd");
    RunDates dates;
    ChildOutcome out = RunInstaller(" /S --target D:\\elsewhere", elsewhere.c_str());
    dates.Ended();
    EXPECT_FALSE(out.timedOut);
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_TRUE(out.boxes.empty());
    EXPECT_EQ(0, out.visibleWindows);

    EXPECT_TRUE(ReadWholeFile(Staging()) == ReadWholeFile(g_payload))
        << "staging archive differs from the payload";
    int files = 0;
    ExpectSameTree(g_productDir + "\\Zentrel", ProductFolder(), &files);
    EXPECT_EQ(44, files);
    EXPECT_TRUE(PathExists(ProductFolder() + "\\Win10x64"));
    EXPECT_EQ(0u, GetFileAttributesA((ProductFolder() + "\\Zentrel.exe").c_str()) & FILE_ATTRIBUTE_READONLY);
    ExpectRegistration(dates);
    ExpectShortcuts();
    // The order of what the run leaves: registry values, staging archive,
    // product tree (its folder changes with its last entry), the Start-menu
    // shortcut, the uninstall shortcut, the desktop shortcut.
    const uint64_t order[] = {KeyWriteTime(kUninstallKey),
                              WriteTime(Staging()),
                              WriteTime(ProductFolder()),
                              WriteTime(MenuFolder() + "\\Quorvane.lnk"),
                              WriteTime(MenuFolder() + "\\" + kUninstallLinkName),
                              WriteTime(DesktopLink())};
    for (size_t i = 0; i < std::size(order); ++i) EXPECT_NE(0u, order[i]) << i;
    for (size_t i = 1; i < std::size(order); ++i) EXPECT_LE(order[i - 1], order[i]) << "effect " << i;

    ASSERT_TRUE(WaitForLaunches(1));
    const std::string record = ReadWholeFile(LaunchLog());
    EXPECT_EQ(Root() + "Zentrel\\Zentrel.exe\t\"" + Root() + "Zentrel\\Zentrel.exe\" /n\t",
              record.substr(0, record.find('\t', record.find('\t') + 1) + 1));
    // The product runs as the user: under Wine 8 the installer's token is a
    // full one with a limited linked token, under Wine 10 a limited one.
    EXPECT_EQ("3\r\n", record.substr(record.rfind('\t') + 1)) << "its token's elevation type";
    const std::string desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    EXPECT_NE(
        0u, GetFileAttributesA(desktop.substr(0, desktop.size() - 1).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT)
        << "the desktop folder is Wine's link into the Unix home";
    Sleep(1000);
    EXPECT_EQ(1, LaunchCount()) << "started once";
}

TEST_F(Installation, ASecondRunReplacesEverythingAndStartsTheProductAgain) {
    ForgetInstallation();
    ASSERT_EQ(0u, RunInstaller().exitCode);
    ASSERT_TRUE(WaitForLaunches(1));
    KillProcesses("Zentrel.exe");
    // Damage a file, a shortcut and a value, and see that it took.
    ASSERT_TRUE(WriteWholeFile(ProductFolder() + "\\Res\\settings.cfg", "damaged"));
    ASSERT_TRUE(DeleteFileA(DesktopLink().c_str()));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_SET_VALUE, &key));
    RegSetValueExA(key, "InstPath", 0, REG_SZ, reinterpret_cast<const BYTE*>("X"), 2);
    RegCloseKey(key);
    ASSERT_EQ("damaged", ReadWholeFile(ProductFolder() + "\\Res\\settings.cfg"));
    ASSERT_FALSE(PathExists(DesktopLink()));
    ASSERT_EQ(std::string("X", 2), ReadLocalMachine(kProductKey, "InstPath").second);

    const int before = LaunchCount();
    RunDates dates;
    ChildOutcome out = RunInstaller();
    dates.Ended();
    EXPECT_EQ(0u, out.exitCode);
    int files = 0;
    ExpectSameTree(g_productDir + "\\Zentrel", ProductFolder(), &files);
    ExpectRegistration(dates);
    ExpectShortcuts();
    EXPECT_TRUE(WaitForLaunches(before + 1));
}

TEST_F(Installation, AHeldStagingFileStillInstallsTheWholeProduct) {
    ForgetInstallation();
    CreateDirectoryA((AppData() + "Moranzo").c_str(), nullptr);
    ASSERT_TRUE(WriteWholeFile(Staging(), "held"));
    HANDLE held = CreateFileA(Staging().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    RunDates dates;
    ChildOutcome out = RunInstaller();
    dates.Ended();
    CloseHandle(held);
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_TRUE(out.boxes.empty());
    EXPECT_EQ("held", ReadWholeFile(Staging()));
    int files = 0;
    ExpectSameTree(g_productDir + "\\Zentrel", ProductFolder(), &files);
    EXPECT_EQ(44, files) << "extracted from the installer's own image";
    ExpectRegistration(dates);
    ExpectShortcuts();
    EXPECT_TRUE(WaitForLaunches(1));
}

TEST_F(Installation, AFileThatCannotBeReplacedStopsTheExtractionThere) {
    ASSERT_EQ(0u, RunInstaller().exitCode);
    KillProcesses("Zentrel.exe");
    RemoveTree(ProductFolder() + "\\Res");
    RemoveTree(ProductFolder() + "\\UninsFile");
    // Held without sharing it cannot be replaced (Wine as root would replace
    // a read-only file).
    const std::string blocker = ProductFolder() + "\\QvStore.dll";
    HANDLE held = CreateFileA(blocker.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ChildOutcome out = RunInstaller();
    CloseHandle(held);
    EXPECT_EQ(4u, out.exitCode) << "the product tree is incomplete";
    EXPECT_TRUE(PathExists(ProductFolder() + "\\QvRender.dll"));
    EXPECT_FALSE(PathExists(ProductFolder() + "\\Res"));
    EXPECT_FALSE(PathExists(ProductFolder() + "\\UninsFile"));
    ExpectShortcuts();
}

TEST_F(Installation, AMissingStartMenuParentLeavesOnlyTheDesktopShortcut) {
    ForgetInstallation();
    const std::string programs = AppData() + "Microsoft\\Windows\\Start Menu\\Programs";
    const std::string away = programs + ".away";
    ASSERT_TRUE(MoveFileA(programs.c_str(), away.c_str()));
    ChildOutcome out = RunInstaller();
    const bool menuMade = PathExists(MenuFolder());
    MoveFileA(away.c_str(), programs.c_str());
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_FALSE(menuMade);
    EXPECT_TRUE(ReadLink(DesktopLink()).loaded);
    EXPECT_TRUE(PathExists(ProductFolder() + "\\Zentrel.exe"));
    EXPECT_TRUE(WaitForLaunches(1));
}

// The exit code says whether the machine-wide installation is complete.
TEST_F(Installation, AProductFolderBlockedByAFileGivesTheProductsCode) {
    ForgetInstallation();
    ASSERT_TRUE(WriteWholeFile(ProductFolder(), "a file"));
    RunDates dates;
    const ChildOutcome out = RunInstaller();
    dates.Ended();
    DeleteFileA(ProductFolder().c_str());
    EXPECT_EQ(4u, out.exitCode);
    EXPECT_TRUE(out.boxes.empty());
    ExpectRegistration(dates);
    ExpectShortcuts();
}

TEST_F(Installation, ARegistrationThatCannotBeStoredGivesItsCode) {
    ForgetInstallation();
    // Below a volatile key only volatile keys can be made.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kHalvikKey, 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
    const ChildOutcome out = RunInstaller();
    EXPECT_EQ(2u, out.exitCode);
    EXPECT_FALSE(LocalMachineKeyExists(kSettingsKey));
    EXPECT_TRUE(LocalMachineKeyExists(kUninstallKey)) << "the other values are written all the same";
    EXPECT_TRUE(PathExists(ProductFolder() + "\\Zentrel.exe"));
    EXPECT_TRUE(WaitForLaunches(1)) << "and the product started";
    ForgetInstallation();
}

TEST_F(Installation, AMissingDesktopFolderStillGivesZero) {
    ForgetInstallation();
    // The user's desktop named where there is no folder.
    const char* shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, shellFolders, 0, KEY_ALL_ACCESS, &key));
    char kept[MAX_PATH] = {};
    DWORD type = 0, size = sizeof kept;
    ASSERT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(key, "Desktop", nullptr, &type, reinterpret_cast<BYTE*>(kept), &size));
    const char nowhere[] = "C:\\nowhere\\Desktop";
    RegSetValueExA(key, "Desktop", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(nowhere), sizeof nowhere);
    const ChildOutcome out = RunInstaller();
    RegSetValueExA(key, "Desktop", 0, type, reinterpret_cast<const BYTE*>(kept), size);
    RegCloseKey(key);
    // Where the lookup fails (Wine 8) the link goes to the program folder.
    DeleteFileA((g_installer.substr(0, g_installer.rfind('\\') + 1) + installer::kLaunchLink).c_str());
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_FALSE(PathExists("C:\\nowhere"));
    EXPECT_TRUE(PathExists(ProductFolder() + "\\Zentrel.exe"));
    EXPECT_TRUE(PathExists(MenuFolder() + "\\Quorvane.lnk"));
}

}  // namespace
}  // namespace qv::test

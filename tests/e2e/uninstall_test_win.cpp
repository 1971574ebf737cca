// The sample product's uninstaller: it removes an installation completely,
// and nothing else, wherever it is started from.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/e2e/e2e_support_win.h"
#include "tests/support/child_process_win.h"
#include "tests/support/system_read_win.h"

namespace qv::test {
namespace {

constexpr char kCopyName[] = "QuorvaneUninstall.exe";
constexpr DWORD kNotProductFolder = 1, kFilesRemain = 2;

// A key (and a text value in it, when name is given) of another product.
void PutForeign(const char* key, const char* name = nullptr, const char* text = "") {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, key, &h));
    if (name) RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1);
    RegCloseKey(h);
}

class Uninstaller : public testing::Test {
protected:
    void SetUp() override {
        ForgetInstallation();
        ASSERT_EQ(0u, RunInstaller().exitCode);
        ASSERT_TRUE(WaitForLaunches(1));
    }
    void TearDown() override {
        KillProcesses(kCopyName);
        ForgetInstallation();
    }

    // Runs an uninstaller as the user does and, when it handed over to its
    // copy, waits for the copy: the code of whichever did the work.
    DWORD Run(const std::string& program, const std::string& arguments = "", const char* cwd = nullptr) {
        ChildOutcome first = RunChild("\"" + program + "\"" + arguments, cwd);
        EXPECT_FALSE(first.timedOut);
        EXPECT_TRUE(first.boxes.empty());
        DWORD code = first.exitCode;
        if (code == 0) {
            EXPECT_TRUE(WaitForProcessEnd(kCopyName, 120000, &code)) << "no copy ran";
        }
        return code;
    }
    std::string Registered() { return ReadLink(MenuFolder() + "\\" + kUninstallLinkName).target; }
    void ExpectProductInstalled() {
        EXPECT_TRUE(PathExists(ProductFolder() + "\\Zentrel.exe"));
        EXPECT_EQ(REG_SZ, ReadLocalMachine(kUninstallKey, "InstallLocation").first);
        EXPECT_TRUE(PathExists(MenuFolder() + "\\" + kUninstallLinkName));
    }
};

// Folders of the uninstaller's private copies below folder.
int PrivateCopies(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "QvUninstall-*").c_str(), &fd);
    int n = 0;
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &fd)) ++n;
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    return n;
}

std::string UserTemp() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return temp;
}

std::string WindowsTemp() {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\Temp\\";
}

TEST_F(Uninstaller, RemovesEverythingTheInstallationMadeAndNothingBeside) {
    // Another product's value, sibling key and files where ours live.
    PutForeign(kUninstallKey, "QvForeign", "theirs");
    PutForeign("SOFTWARE\\WOW6432Node\\Halvik\\Other");
    WriteWholeFile(MenuFolder() + "\\Other.lnk", "theirs");
    WriteWholeFile(AppData() + "Moranzo\\other.txt", "theirs");
    KillProcesses("Zentrel.exe");

    const LinkRead link = ReadLink(MenuFolder() + "\\" + kUninstallLinkName);
    ASSERT_TRUE(link.loaded);
    const int systemCopies = PrivateCopies(WindowsTemp()), userCopies = PrivateCopies(UserTemp());
    EXPECT_EQ(0u, Run(link.target));
    // Elevated (as every program is under Wine), the copy ran from a folder
    // below the Windows temporary folder, which stays until the restart.
    EXPECT_EQ(systemCopies + 1, PrivateCopies(WindowsTemp()));
    EXPECT_EQ(userCopies, PrivateCopies(UserTemp()));

    EXPECT_FALSE(PathExists(ProductFolder()));
    EXPECT_FALSE(PathExists(MenuFolder() + "\\Quorvane.lnk"));
    EXPECT_FALSE(PathExists(MenuFolder() + "\\" + kUninstallLinkName));
    EXPECT_FALSE(PathExists(DesktopLink()));
    EXPECT_FALSE(PathExists(Staging()));
    EXPECT_FALSE(PathExists(LaunchLog()));
    EXPECT_FALSE(LocalMachineKeyExists(kProductKey));
    EXPECT_FALSE(LocalMachineKeyExists(kSettingsKey));
    for (const char* name : {"DisplayName", "InstallLocation", "UninstallString", "EstimatedSize"})
        EXPECT_EQ(0xFFFFu, ReadLocalMachine(kUninstallKey, name).first) << name;

    EXPECT_EQ(std::string("theirs", 7), ReadLocalMachine(kUninstallKey, "QvForeign").second);
    EXPECT_TRUE(LocalMachineKeyExists("SOFTWARE\\WOW6432Node\\Halvik\\Other"));
    EXPECT_EQ("theirs", ReadWholeFile(MenuFolder() + "\\Other.lnk"));
    EXPECT_EQ("theirs", ReadWholeFile(AppData() + "Moranzo\\other.txt"));
    EXPECT_TRUE(LocalMachineKeyExists("SOFTWARE\\Microsoft"));
}

TEST_F(Uninstaller, StartedAnywhereElseRemovesNothing) {
    // A Downloads folder that even holds a Zentrel.exe, and a drive root.
    const TempFolder downloads("Downloads");
    WriteWholeFile(downloads + "\\Zentrel.exe", "not the product");
    WriteWholeFile(downloads + "\\thesis.docx", "the user's work");
    ASSERT_TRUE(CopyFileA((ProductFolder() + "\\Uninstall.exe").c_str(),
                          (downloads + "\\Uninstall.exe").c_str(), FALSE));
    EXPECT_EQ(kNotProductFolder, Run(downloads + "\\Uninstall.exe", "", downloads.c_str()));
    EXPECT_EQ("the user's work", ReadWholeFile(downloads + "\\thesis.docx"));
    EXPECT_TRUE(PathExists(downloads + "\\Zentrel.exe"));

    WriteWholeFile("C:\\qvuser.txt", "the user's file");
    ASSERT_TRUE(CopyFileA((ProductFolder() + "\\Uninstall.exe").c_str(), "C:\\Uninstall.exe", FALSE));
    EXPECT_EQ(kNotProductFolder, Run("C:\\Uninstall.exe"));
    EXPECT_EQ("the user's file", ReadWholeFile("C:\\qvuser.txt"));

    // A crafted hand-over naming another folder.
    EXPECT_EQ(kNotProductFolder,
              Run(downloads + "\\Uninstall.exe", " /continue 0 \"" + downloads.path() + "\""));
    EXPECT_EQ("the user's work", ReadWholeFile(downloads + "\\thesis.docx"));
    ExpectProductInstalled();
    DeleteFileA("C:\\Uninstall.exe");
    DeleteFileA("C:\\qvuser.txt");
}

TEST_F(Uninstaller, ALinkInsideTheProductIsNeverFollowed) {
    KillProcesses("Zentrel.exe");
    const TempFolder outside("outside"), empty("empty");
    WriteWholeFile(outside + "\\keep.txt", "kept");
    const std::string linked = ProductFolder() + "\\Res\\linked", toEmpty = ProductFolder() + "\\toEmpty";
    const UnixSymlink linkedLink(linked, outside), emptyLink(toEmpty, empty);
    ASSERT_TRUE(linkedLink);
    ASSERT_TRUE(emptyLink);
    const DWORD code = Run(ProductFolder() + "\\Uninstall.exe");
    EXPECT_EQ("kept", ReadWholeFile(outside + "\\keep.txt"));
    EXPECT_TRUE(PathExists(empty)) << "an empty folder behind a link was removed";
    // Windows deletes the links themselves; Wine cannot, and then the
    // product stays registered for another try.
    if (code == 0) {
        EXPECT_FALSE(PathExists(ProductFolder()));
    } else {
        EXPECT_EQ(kFilesRemain, code);
        EXPECT_TRUE(PathExists(linked));
        EXPECT_FALSE(PathExists(ProductFolder() + "\\Res\\settings.cfg")) << "the rest went";
        EXPECT_EQ(REG_SZ, ReadLocalMachine(kUninstallKey, "InstallLocation").first);
    }
}

TEST_F(Uninstaller, NothingIsDeletedThroughLinksInTheUsersFolders) {
    KillProcesses("Zentrel.exe");
    // The company folder and the Start-menu folder turned into links to
    // folders holding files of the same names.
    const TempFolder company("company"), menu("menu");
    WriteWholeFile(company + "\\Quorvane.zip", "theirs");
    WriteWholeFile(company + "\\launch.log", "theirs");
    WriteWholeFile(menu + "\\Quorvane.lnk", "theirs");
    RemoveTree(AppData() + "Moranzo");
    RemoveTree(MenuFolder());
    {
        const UnixSymlink companyLink(AppData() + "Moranzo", company), menuLink(MenuFolder(), menu);
        ASSERT_TRUE(companyLink);
        ASSERT_TRUE(menuLink);
        EXPECT_EQ(0u, Run(ProductFolder() + "\\Uninstall.exe"));
        EXPECT_FALSE(PathExists(ProductFolder()));
        EXPECT_FALSE(PathExists(DesktopLink())) << "what is no link still goes";
    }
    EXPECT_EQ("theirs", ReadWholeFile(company + "\\Quorvane.zip"));
    EXPECT_EQ("theirs", ReadWholeFile(company + "\\launch.log"));
    EXPECT_EQ("theirs", ReadWholeFile(menu + "\\Quorvane.lnk"));
}

TEST_F(Uninstaller, AFileInUseKeepsTheRegistrationForAnotherTry) {
    KillProcesses("Zentrel.exe");
    const std::string held = ProductFolder() + "\\Res\\settings.cfg";
    HANDLE h = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(kFilesRemain, Run(ProductFolder() + "\\Uninstall.exe"));
    CloseHandle(h);
    EXPECT_TRUE(PathExists(held));
    EXPECT_EQ(REG_SZ, ReadLocalMachine(kUninstallKey, "InstallLocation").first);
    EXPECT_TRUE(PathExists(MenuFolder() + "\\" + kUninstallLinkName));

    // The uninstaller went with the rest; the installer brings it back, and
    // the next try removes everything.
    ASSERT_EQ(0u, RunInstaller().exitCode);
    KillProcesses("Zentrel.exe");
    EXPECT_EQ(0u, Run(ProductFolder() + "\\Uninstall.exe"));
    EXPECT_FALSE(PathExists(ProductFolder()));
    EXPECT_FALSE(LocalMachineKeyExists(kUninstallKey));
    EXPECT_FALSE(LocalMachineKeyExists(kHalvikKey)) << "the company key it made, once empty";
    EXPECT_FALSE(PathExists(MenuFolder()));
    EXPECT_FALSE(PathExists(AppData() + "Moranzo"));
}

TEST_F(Uninstaller, ARunningProductIsAskedToCloseFirst) {
    // The product started by the installation is still running.
    EXPECT_EQ(0u, Run(ProductFolder() + "\\Uninstall.exe"));
    EXPECT_FALSE(PathExists(ProductFolder()));
    EXPECT_EQ(0, KillProcesses("Zentrel.exe")) << "the product was not closed";
    EXPECT_FALSE(LocalMachineKeyExists(kUninstallKey));
}

}  // namespace
}  // namespace qv::test

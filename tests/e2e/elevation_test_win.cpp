// The user's folders as machines lay them out (a profile moved behind a
// link) get the whole installation; what a program running as the user may
// leave there before the elevated installer runs (a planted archive or
// desktop link held open for shared reading, links below the user's folders)
// is never installed, written through or started.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "tests/e2e/e2e_support_win.h"
#include "tests/support/child_process_win.h"
#include "tests/support/system_read_win.h"
#include "tests/support/zip_builder.h"

namespace qv::test {
namespace {

// Saves a shell link to program with arguments at path.
bool SaveLink(const std::string& path, const std::string& program, const char* arguments) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool saved = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        link->SetPath(program.c_str());
        link->SetArguments(arguments);
        wchar_t wide[MAX_PATH];
        saved = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) &&
                SUCCEEDED(file->Save(wide, TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

class Elevation : public testing::Test {
protected:
    void SetUp() override { ForgetInstallation(); }
    void TearDown() override { KillProcesses("Zentrel.exe"); }
    // No product started: the launch log stays empty a while after the run.
    void ExpectNothingStarted() {
        Sleep(2000);
        EXPECT_EQ(0, LaunchCount()) << ReadWholeFile(LaunchLog());
    }
};

TEST_F(Elevation, APlantedArchiveHeldForSharedReadingIsNeverExtracted) {
    // The user's own "product": the sample program and a marker of its own.
    ZipEntrySpec folder = FolderEntry("Zentrel/"), program, marker;
    program.name = "Zentrel/Zentrel.exe";
    program.data = ReadWholeFile(g_productDir + "\\Zentrel\\Zentrel.exe");
    ASSERT_FALSE(program.data.empty());
    marker.name = "Zentrel/planted.txt";
    marker.data = "the user's";
    const std::string planted = BuildZip({folder, program, marker});
    ASSERT_TRUE(CreateDirectoryA((AppData() + "Moranzo").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(Staging(), planted));
    HANDLE held =
        CreateFileA(Staging().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const ChildOutcome out = RunInstaller();
    CloseHandle(held);
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_TRUE(out.boxes.empty());
    EXPECT_TRUE(ReadWholeFile(Staging()) == planted);
    EXPECT_FALSE(PathExists(ProductFolder() + "\\planted.txt"));
    int files = 0;
    ExpectSameTree(g_productDir + "\\Zentrel", ProductFolder(), &files);
    EXPECT_EQ(44, files) << "the installer's own payload";
    EXPECT_TRUE(WaitForLaunches(1));
}

TEST_F(Elevation, APlantedDesktopLinkHeldForSharedReadingIsNotStarted) {
    const TempFolder elsewhere("evil");
    const std::string evil = elsewhere + "\\Zentrel.exe";
    ASSERT_TRUE(CopyFileA((g_productDir + "\\Zentrel\\Zentrel.exe").c_str(), evil.c_str(), FALSE));
    ASSERT_TRUE(SaveLink(DesktopLink(), evil, "/evil"));
    const std::string plantedLink = ReadWholeFile(DesktopLink());
    HANDLE held =
        CreateFileA(DesktopLink().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const ChildOutcome out = RunInstaller();
    CloseHandle(held);
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_TRUE(PathExists(ProductFolder() + "\\Zentrel.exe")) << "installed all the same";
    EXPECT_TRUE(ReadWholeFile(DesktopLink()) == plantedLink);
    ExpectNothingStarted();
}

TEST_F(Elevation, NothingIsWrittenWhereACompanyFolderLinkPoints) {
    const TempFolder elsewhere("target");
    const UnixSymlink company(AppData() + "Moranzo", elsewhere);
    ASSERT_TRUE(company);
    const ChildOutcome out = RunInstaller();
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_TRUE(out.boxes.empty());
    EXPECT_FALSE(PathExists(elsewhere + "\\Quorvane.zip"));
    EXPECT_TRUE(PathExists(ProductFolder() + "\\Zentrel.exe")) << "installed from the image all the same";
}

TEST_F(Elevation, NothingIsCreatedWhereAStartMenuLinkPoints) {
    const std::string programs = AppData() + "Microsoft\\Windows\\Start Menu\\Programs";
    const TempFolder elsewhere("programs");
    const MovedAside moved(programs);
    ASSERT_TRUE(moved);
    const UnixSymlink link(programs, elsewhere);
    ASSERT_TRUE(link);
    const ChildOutcome out = RunInstaller();
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_FALSE(PathExists(elsewhere + "\\Quorvane"));
    EXPECT_TRUE(PathExists(ProductFolder() + "\\Zentrel.exe"));
    EXPECT_TRUE(ReadLink(DesktopLink()).loaded);
    EXPECT_TRUE(WaitForLaunches(1));
}

TEST_F(Elevation, AProfileMovedBehindALinkGetsTheWholeInstallation) {
    const std::string profile = SpecialFolder(CSIDL_PROFILE);
    const std::string named = profile.substr(0, profile.size() - 1);
    const MovedAside moved(named);
    ASSERT_TRUE(moved);
    const UnixSymlink link(named, moved.to());
    ASSERT_TRUE(link);
    const ChildOutcome out = RunInstaller();
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_TRUE(out.boxes.empty());
    const std::string appData = moved.to() + AppData().substr(named.size());
    EXPECT_TRUE(ReadWholeFile(appData + installer::kStagingArchive) == ReadWholeFile(g_payload));
    EXPECT_TRUE(PathExists(appData + installer::kMenuFolder + "\\Quorvane.lnk"));
    EXPECT_TRUE(PathExists(appData + installer::kMenuFolder + "\\" + installer::kUninstallLink));
    EXPECT_TRUE(ReadLink(DesktopLink()).loaded);
    EXPECT_TRUE(PathExists(ProductFolder() + "\\Zentrel.exe"));
    EXPECT_TRUE(WaitForLaunches(1));
    KillProcesses("Zentrel.exe");
    ForgetInstallation();
}

}  // namespace
}  // namespace qv::test

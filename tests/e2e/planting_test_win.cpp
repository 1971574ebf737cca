// A library planted beside a shipped program (a Downloads folder) is never
// loaded: a marker library copied under the names of system libraries
// records any load in C:\qvmarker.log.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/e2e/e2e_support_win.h"
#include "tests/support/child_process_win.h"
#include "tests/support/system_read_win.h"

namespace qv::test {
namespace {

constexpr char kMarkerLog[] = "C:\\qvmarker.log";

// What a normal run of the four programs loads (WINEDEBUG=+loaddll), and
// what Windows components load on demand.
const char* const kPlantedNames[] = {
    "actxprxy.dll",
    "advapi32.dll",
    "apphelp.dll",
    "bcrypt.dll",
    "cfgmgr32.dll",
    "clbcatq.dll",
    "combase.dll",
    "comctl32.dll",
    "comdlg32.dll",
    "crypt32.dll",
    "cryptbase.dll",
    "cryptsp.dll",
    "dbghelp.dll",
    "devobj.dll",
    "dnsapi.dll",
    "dwmapi.dll",
    "dwrite.dll",
    "gdi32.dll",
    "gdiplus.dll",
    "imagehlp.dll",
    "imm32.dll",
    "iphlpapi.dll",
    "kernelbase.dll",
    "linkinfo.dll",
    "mpr.dll",
    "msasn1.dll",
    "msctf.dll",
    "msimg32.dll",
    "mswsock.dll",
    "netapi32.dll",
    "nsi.dll",
    "ntmarta.dll",
    "ntshrui.dll",
    "ole32.dll",
    "oleacc.dll",
    "oleaut32.dll",
    "powrprof.dll",
    "profapi.dll",
    "propsys.dll",
    "rpcrt4.dll",
    "rsaenh.dll",
    "samcli.dll",
    "sechost.dll",
    "secur32.dll",
    "setupapi.dll",
    "shcore.dll",
    "shell32.dll",
    "shfolder.dll",
    "shlwapi.dll",
    "srvcli.dll",
    "sspicli.dll",
    "ucrtbase.dll",
    "urlmon.dll",
    "user32.dll",
    "userenv.dll",
    "uxtheme.dll",
    "version.dll",
    "win32u.dll",
    "windowscodecs.dll",
    "winhttp.dll",
    "wininet.dll",
    "winmm.dll",
    "winspool.drv",
    "wintrust.dll",
    "wldp.dll",
    "ws2_32.dll",
    "wsock32.dll",
    "wtsapi32.dll",
    "zlib1.dll",
    "iertutil.dll",
    "edputil.dll",
    "textinputframework.dll",
    "kernel.appcore.dll",
};

class Planting : public testing::Test {
protected:
    void SetUp() override {
        DeleteFileA(kMarkerLog);
        downloads_ = MakeTempFolder("Downloads");
        const std::string marker = ExeFolder() + "\\qvmarker.dll";
        ASSERT_TRUE(PathExists(marker));
        for (const char* name : kPlantedNames)
            ASSERT_TRUE(CopyFileA(marker.c_str(), (downloads_ + "\\" + name).c_str(), FALSE)) << name;
    }
    void TearDown() override {
        KillProcesses("Zentrel.exe");
        RemoveTree(downloads_);
        DeleteFileA(kMarkerLog);
    }
    std::string Place(const std::string& program, const char* name) {
        const std::string copy = downloads_ + "\\" + name;
        EXPECT_TRUE(CopyFileA(program.c_str(), copy.c_str(), FALSE)) << program;
        return copy;
    }
    void ExpectNothingPlantedLoaded() {
        EXPECT_FALSE(PathExists(kMarkerLog)) << "planted libraries loaded:\n" << ReadWholeFile(kMarkerLog);
    }
    std::string downloads_;
};

TEST_F(Planting, TheInstallerLoadsNothingPlantedAndInstallsCompletely) {
    ForgetInstallation();
    const std::string installer = Place(g_installer, "QuorvaneSetup.exe");
    ChildOutcome out = RunChild("\"" + installer + "\"", downloads_.c_str(), 600000);
    EXPECT_FALSE(out.timedOut);
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_TRUE(out.boxes.empty());
    EXPECT_TRUE(PathExists(ProductFolder() + "\\Zentrel.exe"));
    EXPECT_TRUE(PathExists(ProductFolder() + "\\Uninstall.exe"));
    EXPECT_TRUE(PathExists(ProductFolder() + "\\Win10x64"));
    EXPECT_EQ(REG_SZ, ReadLocalMachine(kUninstallKey, "URLUpdateInfo").first);
    EXPECT_TRUE(ReadLink(MenuFolder() + "\\Quorvane.lnk").loaded);
    EXPECT_TRUE(ReadLink(MenuFolder() + "\\" + kUninstallLinkName).loaded);
    EXPECT_TRUE(ReadLink(DesktopLink()).loaded);
    EXPECT_TRUE(WaitForLaunches(1));
    ExpectNothingPlantedLoaded();
}

TEST_F(Planting, TheProductLoadsNothingPlanted) {
    ForgetInstallation();
    const std::string product = Place(g_productDir + "\\Zentrel\\Zentrel.exe", "Zentrel.exe");
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + product + "\" /n";
    ASSERT_TRUE(CreateProcessA(product.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               downloads_.c_str(), &si, &pi));
    HWND window = nullptr;
    for (int i = 0; i < 600 && !window; ++i, Sleep(100)) window = FindWindowA("ZentrelMain", "Quorvane");
    EXPECT_NE(nullptr, window) << "the product did not come up";
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(0u, code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ExpectNothingPlantedLoaded();
}

TEST_F(Planting, TheUninstallerAndTheUnpackToolLoadNothingPlanted) {
    const std::string uninstaller = Place(g_productDir + "\\Zentrel\\Uninstall.exe", "Uninstall.exe");
    ChildOutcome out = RunChild("\"" + uninstaller + "\"", downloads_.c_str());
    EXPECT_EQ(1u, out.exitCode) << "not the product folder";

    const std::string unpack = Place(ExeFolder() + "\\unpack.exe", "unpack.exe");
    out = RunChild("\"" + unpack + "\" \"" + g_payload + "\" \"" + downloads_ + "\\tree\"",
                   downloads_.c_str(), 600000);
    EXPECT_EQ(0u, out.exitCode) << "outcome 1";
    EXPECT_TRUE(PathExists(downloads_ + "\\tree\\Zentrel\\Zentrel.exe"));
    ExpectNothingPlantedLoaded();
}

}  // namespace
}  // namespace qv::test

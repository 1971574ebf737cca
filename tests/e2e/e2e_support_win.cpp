#include "tests/e2e/e2e_support_win.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdio>

#include "tests/support/system_read_win.h"

namespace qv::test {

std::string g_installer, g_payload, g_productDir;

std::string Root() { return PrefixIs64() ? "C:\\Program Files (x86)\\" : "C:\\Program Files\\"; }
std::string ProductFolder() { return Root() + installer::kProductFolder; }
std::string AppData() { return SpecialFolder(CSIDL_APPDATA); }
std::string MenuFolder() { return AppData() + installer::kMenuFolder; }
std::string DesktopLink() { return SpecialFolder(CSIDL_DESKTOPDIRECTORY) + installer::kLaunchLink; }
std::string LaunchLog() { return AppData() + installer::kCompanyFolder + "\\launch.log"; }
std::string Staging() { return AppData() + installer::kStagingArchive; }

int LaunchCount() {
    const std::string log = ReadWholeFile(LaunchLog());
    int n = 0;
    for (char c : log) n += c == '\n';
    return n;
}

bool WaitForLaunches(int n) {
    for (int i = 0; i < 600; ++i, Sleep(100))
        if (LaunchCount() >= n) return true;
    return false;
}

void ForgetInstallation() {
    KillProcesses("Zentrel.exe");
    RemoveTree(ProductFolder());
    RemoveTree(MenuFolder());
    RemoveTree(AppData() + installer::kCompanyFolder);
    DeleteFileA(DesktopLink().c_str());
    DeleteLocalMachineTree(kProductKey);
    DeleteLocalMachineTree(kHalvikKey);
    DeleteLocalMachineTree(kUninstallKey);
}

// Every file and folder below a and b, compared by content.
void ExpectSameTree(const std::string& a, const std::string& b, int* files) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((a + "\\*").c_str(), &fd);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << a;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ExpectSameTree(a + "\\" + name, b + "\\" + name, files);
        } else {
            EXPECT_TRUE(ReadWholeFile(a + "\\" + name) == ReadWholeFile(b + "\\" + name))
                << b << "\\" << name;
            ++*files;
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

ChildOutcome RunInstaller(const std::string& arguments, const char* cwd) {
    return RunChild("\"" + g_installer + "\"" + arguments, cwd, 600000);
}

namespace {
std::string WindowsPath(const std::string& unix) {
    std::string p = "Z:" + unix;
    for (char& c : p) c = c == '/' ? '\\' : c;
    return p;
}
}  // namespace

}  // namespace qv::test

// e2e_tests.exe [gtest flags] INSTALLER PAYLOAD_ZIP PRODUCT_DIR (Unix paths)
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: e2e_tests [gtest flags] INSTALLER PAYLOAD_ZIP PRODUCT_DIR\n");
        return 64;
    }
    qv::test::g_installer = qv::test::WindowsPath(argv[1]);
    qv::test::g_payload = qv::test::WindowsPath(argv[2]);
    qv::test::g_productDir = qv::test::WindowsPath(argv[3]);
    CoInitialize(nullptr);
    const int result = RUN_ALL_TESTS();
    qv::test::KillProcesses("Zentrel.exe");
    return result;
}

// What the Windows implementation under test does where the code or the other
// tests depend on it, and where Wine releases differ: each test says what it
// expects of Wine 8, Wine 10 and Windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/child_process_win.h"
#include "tests/support/system_read_win.h"

namespace qv::test {
namespace {

// A 32-bit process creating a whole missing path below WOW6432Node: Wine 8's
// 64-bit prefix nests it one WOW6432Node deeper, where no 32-bit reader
// looks (why WriteRegistryValue makes missing levels one at a time); Wine 10
// and Windows create it at its path.
TEST(Implementation, AWholePathCreatedBelowWow6432Node) {
    const std::string company = "SOFTWARE\\WOW6432Node\\QvImpl" + std::to_string(GetCurrentProcessId());
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, (company + "\\a\\b").c_str(), 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    RegCloseKey(key);
    auto exists = [](const std::string& path) {
        HKEY h = nullptr;
        const bool found = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY,
                                         &h) == ERROR_SUCCESS;
        if (h) RegCloseKey(h);
        return found;
    };
    const bool nests = PrefixIs64() && WineMajor() == 8;
    const std::string deeper = "SOFTWARE\\WOW6432Node\\WOW6432Node" + company.substr(20);
    EXPECT_EQ(nests, exists(deeper + "\\a\\b"))
        << "Wine " << WineMajor() << ", " << (PrefixIs64() ? 64 : 32) << "-bit Windows";
    EXPECT_EQ(!nests, exists(company + "\\a\\b"));
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, company.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, deeper.c_str());
}

// The links the tests plant are Unix symbolic links; Wine 8 and Wine 10 alike
// show one to a folder as a reparse point and one to a file as a plain file,
// and open what a link names even when asked for the link itself, giving the
// handle the target's name. So under both, the final-name check is what
// refuses them (on Windows a junction is opened on itself and refused by its
// tag).
TEST(Implementation, PlantedLinksAreOpenedThroughAndNamedByTheirTarget) {
    if (WineMajor() == 0) GTEST_SKIP() << "such links are made only under Wine";
    const TempFolder dir("impl"), elsewhere("impl-target");
    const std::string file = elsewhere + "\\file.txt";
    ASSERT_TRUE(WriteWholeFile(file, "theirs"));
    const UnixSymlink folderLink(dir + "\\folder", elsewhere), fileLink(dir + "\\file.txt", file);
    ASSERT_TRUE(folderLink);
    ASSERT_TRUE(fileLink);

    const DWORD folderAttributes = GetFileAttributesA((dir + "\\folder").c_str());
    EXPECT_EQ(DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT},
              folderAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    EXPECT_EQ(0u, GetFileAttributesA((dir + "\\file.txt").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);

    HANDLE h = CreateFileA((dir + "\\file.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    char bytes[16] = {}, name[MAX_PATH] = {};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(h, bytes, sizeof bytes, &got, nullptr));
    EXPECT_EQ("theirs", std::string(bytes, got));
    ASSERT_GT(GetFinalPathNameByHandleA(h, name, MAX_PATH, 0), 0u);
    CloseHandle(h);
    EXPECT_EQ(0, lstrcmpiA(name + 4, file.c_str())) << name;
}

}  // namespace
}  // namespace qv::test

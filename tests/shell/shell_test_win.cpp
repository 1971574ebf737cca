// Shell commands against Wine's shell: folders, link files read back through
// IShellLinkA, and ShellExecuteA starting a probe program.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "runtime/memory.h"
#include "runtime/value.h"
#include "shell/shell_win.h"
#include "tests/support/child_process_win.h"
#include "tests/support/system_read_win.h"

namespace qv::test {
namespace {

std::string Folder(int32_t kind) {
    TypedValue arg = MakeInt(kind), result{};
    shell::GetSpecialFolder(&result, 1, &arg);
    std::string s = result.text ? result.text : "<null>";
    FreeBlock(const_cast<char*>(result.text));
    return s;
}

TEST(SpecialFolder, KindsGiveTheirFoldersWithOneSeparator) {
    const int csidl[] = {CSIDL_PERSONAL,  CSIDL_FAVORITES, CSIDL_DESKTOPDIRECTORY, CSIDL_FONTS,
                         CSIDL_STARTMENU, CSIDL_PROGRAMS,  CSIDL_STARTUP,          CSIDL_APPDATA};
    for (int kind = 1; kind <= 8; ++kind) {
        char expected[MAX_PATH] = {};
        if (!SHGetSpecialFolderPathA(nullptr, expected, csidl[kind - 1], FALSE)) {
            EXPECT_EQ("<null>", Folder(kind)) << kind;
            continue;
        }
        EXPECT_EQ(std::string(expected) + "\\", Folder(kind)) << kind;
    }
    char windows[MAX_PATH], system[MAX_PATH], temp[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    GetSystemDirectoryA(system, MAX_PATH);
    GetTempPathA(MAX_PATH, temp);
    EXPECT_EQ(std::string(windows) + "\\", Folder(9));
    EXPECT_EQ(std::string(system) + "\\", Folder(10));
    EXPECT_EQ(std::string(temp), Folder(11));
    EXPECT_EQ('\\', temp[strlen(temp) - 1]);
    for (int kind : {0, -1, 12}) EXPECT_EQ("<null>", Folder(kind));
}

TEST(SpecialFolder, EachCallGivesItsOwnBlock) {
    TypedValue arg = MakeInt(8), a{}, b{};
    shell::GetSpecialFolder(&a, 1, &arg);
    shell::GetSpecialFolder(&b, 1, &arg);
    ASSERT_NE(nullptr, a.text);
    ASSERT_NE(a.text, b.text);
    const std::string kept = b.text;
    FreeBlock(const_cast<char*>(a.text));
    EXPECT_EQ(kept, b.text);
    FreeBlock(const_cast<char*>(b.text));
}

class Shortcut : public testing::Test {
protected:
    void SetUp() override { dir_ = MakeTempFolder("lnk"); }
    void TearDown() override { RemoveTree(dir_); }
    bool Create(std::initializer_list<TypedValue> args) {
        TypedValue result{};
        shell::CreateShortcut(&result, static_cast<int>(args.size()), args.begin());
        return result.word != 0;
    }
    std::string dir_;
};

TEST_F(Shortcut, SavesEveryPropertyAndAppendsLnk) {
    const std::string link = dir_ + "\\Quorvane";
    EXPECT_TRUE(Create({MakeText(link.c_str()), MakeText("C:\\Program Files\\Zentrel\\Zentrel.exe"),
                        MakeText("Quorvane"), MakeText("/n"), MakeText("C:\\Work")}));
    const LinkRead r = ReadLink(link + ".lnk");
    EXPECT_EQ("C:\\Program Files\\Zentrel\\Zentrel.exe", r.target);
    EXPECT_EQ("/n", r.arguments);
    EXPECT_EQ("Quorvane", r.description);
    EXPECT_EQ("C:\\Work", r.folder);
    // The header's show-command field (offset 0x3C) as saved.
    const std::string raw = ReadWholeFile(link + ".lnk");
    ASSERT_GT(raw.size(), 0x40u);
    EXPECT_EQ(SW_SHOW, static_cast<unsigned char>(raw[0x3C]));
}

TEST_F(Shortcut, AbsentArgumentsLeaveEmptyFieldsAndGbkNamesBecomeUnicode) {
    // "Quorvane卸载" in GBK, "卸载程序" as description.
    const std::string link = dir_ + "\\Quorvane\xD0\xB6\xD4\xD8";
    EXPECT_TRUE(Create({MakeText(link.c_str()), MakeText("C:\\Program Files\\Zentrel\\Uninstall.exe"),
                        MakeText("\xD0\xB6\xD4\xD8\xB3\xCC\xD0\xF2"), MakeAbsent(), MakeAbsent()}));
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, dir_.c_str(), -1, wide, MAX_PATH);
    const std::wstring expected = std::wstring(wide) + L"\\Quorvane\x5378\x8F7D.lnk";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(expected.c_str()));
    const LinkRead r = ReadLink(link + ".lnk");
    EXPECT_EQ("", r.arguments);
    EXPECT_EQ("", r.folder);
    EXPECT_EQ("\xD0\xB6\xD4\xD8\xB3\xCC\xD0\xF2", r.description);
}

TEST_F(Shortcut, FewerThanFiveArgumentsIgnoreArgumentsFourAndFive) {
    const std::string link = dir_ + "\\four";
    EXPECT_TRUE(Create({MakeText(link.c_str()), MakeText("C:\\x.exe"), MakeAbsent(), MakeText("/n")}));
    const LinkRead r = ReadLink(link + ".lnk");
    EXPECT_EQ("", r.arguments);
    EXPECT_EQ("", r.description);
}

TEST_F(Shortcut, DotsInFoldersAndExtensionsInNames) {
    CreateDirectoryA((dir_ + "\\user.name").c_str(), nullptr);
    EXPECT_TRUE(Create({MakeText((dir_ + "\\user.name\\Quorvane").c_str()), MakeText("C:\\x.exe")}));
    EXPECT_TRUE(PathExists(dir_ + "\\user.name\\Quorvane.lnk"));
    EXPECT_TRUE(Create({MakeText((dir_ + "\\already.lnk").c_str()), MakeText("C:\\x.exe")}));
    EXPECT_TRUE(PathExists(dir_ + "\\already.lnk"));
    EXPECT_TRUE(Create({MakeText((dir_ + "\\notes.txt").c_str()), MakeText("C:\\x.exe")}));
    EXPECT_TRUE(PathExists(dir_ + "\\notes.txt"));
    EXPECT_FALSE(PathExists(dir_ + "\\notes.txt.lnk"));
}

TEST_F(Shortcut, FailsWithoutWritingForMissingFolderOrOverlongName) {
    EXPECT_FALSE(Create({MakeText((dir_ + "\\missing\\Quorvane").c_str()), MakeText("C:\\x.exe")}));
    EXPECT_FALSE(PathExists(dir_ + "\\missing"));
    std::string longName = dir_ + "\\" + std::string(256 - dir_.size() - 1, 'n');
    ASSERT_EQ(256u, longName.size());
    EXPECT_FALSE(Create({MakeText(longName.c_str()), MakeText("C:\\x.exe")}));
    EXPECT_FALSE(PathExists(longName + ".lnk"));
    // 255 bytes still take the suffix (259 with it).
    const std::string fits = longName.substr(0, 255);
    EXPECT_TRUE(Create({MakeText(fits.c_str()), MakeText("C:\\x.exe")}));
    EXPECT_TRUE(PathExists(fits + ".lnk"));
}

TEST_F(Shortcut, NothingIsWrittenThroughALinkOrIntoAFileHeldOpen) {
    const TempFolder elsewhere("elsewhere");
    // The link's folder is a link.
    {
        const UnixSymlink folder(dir_ + "\\Desktop", elsewhere);
        ASSERT_TRUE(folder);
        EXPECT_FALSE(Create({MakeText((dir_ + "\\Desktop\\Quorvane").c_str()), MakeText("C:\\x.exe")}));
        EXPECT_FALSE(PathExists(elsewhere + "\\Quorvane.lnk"));
    }
    // The link file is a link to another file, or another name of one.
    const std::string victim = elsewhere + "\\victim.dll";
    ASSERT_TRUE(WriteWholeFile(victim, "system"));
    {
        const UnixSymlink file(dir_ + "\\Quorvane.lnk", victim);
        ASSERT_TRUE(file);
        EXPECT_FALSE(Create({MakeText((dir_ + "\\Quorvane").c_str()), MakeText("C:\\x.exe")}));
    }
    ASSERT_TRUE(CreateHardLinkA((dir_ + "\\Quorvane.lnk").c_str(), victim.c_str(), nullptr));
    EXPECT_FALSE(Create({MakeText((dir_ + "\\Quorvane").c_str()), MakeText("C:\\x.exe")}));
    EXPECT_EQ("system", ReadWholeFile(victim));
    // A planted link held open for shared reading is not replaced.
    const std::string planted = dir_ + "\\Planted.lnk";
    ASSERT_TRUE(WriteWholeFile(planted, "planted"));
    HANDLE held =
        CreateFileA(planted.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(Create({MakeText(planted.c_str()), MakeText("C:\\x.exe")}));
    CloseHandle(held);
    EXPECT_EQ("planted", ReadWholeFile(planted));
}

TEST_F(Shortcut, ALinkIsTheOneSavedOnlyWhenEveryByteIs) {
    const std::string link = dir_ + "\\Quorvane";
    const TypedValue args[5] = {MakeText(link.c_str()), MakeText("C:\\Program Files\\Zentrel\\Zentrel.exe"),
                                MakeText("Quorvane"), MakeText("/n"), MakeAbsent()};
    ASSERT_TRUE(Create({args[0], args[1], args[2], args[3], args[4]}));
    const auto is = [&](const std::string& file, std::initializer_list<TypedValue> with) {
        HANDLE h =
            CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, h);
        const bool same = shell::ShortcutIs(h, static_cast<int>(with.size()), with.begin());
        CloseHandle(h);
        return same;
    };
    EXPECT_TRUE(is(link + ".lnk", {args[0], args[1], args[2], args[3], args[4]}));
    EXPECT_FALSE(is(link + ".lnk", {args[0], MakeText("C:\\Program Files\\Zentrel\\Uninstall.exe"), args[2],
                                    args[3], args[4]}));
    EXPECT_FALSE(is(link + ".lnk", {args[0], args[1], args[2], MakeText("/n /x"), args[4]}));
    EXPECT_FALSE(is(link + ".lnk", {args[0], args[1], args[2], args[3], MakeText("C:\\")}));
    // The same target and arguments with another show command (header
    // offset 0x3C) is another link.
    std::string bytes = ReadWholeFile(link + ".lnk");
    ASSERT_GT(bytes.size(), 0x40u);
    bytes[0x3C] = SW_SHOWMINNOACTIVE;
    ASSERT_TRUE(WriteWholeFile(dir_ + "\\other.lnk", bytes));
    EXPECT_FALSE(is(dir_ + "\\other.lnk", {args[0], args[1], args[2], args[3], args[4]}));
    ASSERT_TRUE(WriteWholeFile(dir_ + "\\junk.lnk", std::string(200, 'j')));
    EXPECT_FALSE(is(dir_ + "\\junk.lnk", {args[0], args[1], args[2], args[3], args[4]}));
}

// ShellExecuteA as the command calls it: this program's import slot points
// at a recorder while a test runs.
struct ShellCall {
    int calls = 0;
    const char* verb = nullptr;
    std::string verbText, file;
    const char* parameters = nullptr;
    std::string parametersText;
    const char* folder = nullptr;
    int show = -1;
};
ShellCall g_shell;

HINSTANCE WINAPI RecordShellExecute(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder,
                                    INT show) {
    ++g_shell.calls;
    g_shell.verb = verb;
    g_shell.verbText = verb ? verb : "";
    g_shell.file = file ? file : "";
    g_shell.parameters = parameters;
    g_shell.parametersText = parameters ? parameters : "";
    g_shell.folder = folder;
    g_shell.show = show;
    return reinterpret_cast<HINSTANCE>(42);
}

extern "C" void* g_shellExecuteSlot __asm__("__imp__ShellExecuteA@24");

class ShellVerbCall : public testing::Test {
protected:
    void SetUp() override {
        g_shell = ShellCall{};
        DWORD old = 0;
        ASSERT_TRUE(VirtualProtect(&g_shellExecuteSlot, sizeof(void*), PAGE_READWRITE, &old));
        saved_ = g_shellExecuteSlot;
        g_shellExecuteSlot = reinterpret_cast<void*>(&RecordShellExecute);
    }
    void TearDown() override { g_shellExecuteSlot = saved_; }
    void Run(std::initializer_list<TypedValue> args) {
        TypedValue result{};
        shell::ExecuteShellVerb(&result, static_cast<int>(args.size()), args.begin());
        EXPECT_EQ(0u, result.raw) << "nothing is returned";
    }
    void* saved_ = nullptr;
};

TEST_F(ShellVerbCall, VerbParametersFolderAndShowAsTheTablesSay) {
    Run({MakeInt(4), MakeText("C:\\x.lnk"), MakeAbsent(), MakeAbsent(), MakeAbsent()});
    ASSERT_EQ(1, g_shell.calls);
    EXPECT_EQ("open", g_shell.verbText);
    EXPECT_EQ("C:\\x.lnk", g_shell.file);
    EXPECT_EQ(nullptr, g_shell.parameters) << "absent parameters are a null pointer";
    ASSERT_NE(nullptr, g_shell.folder) << "the working folder is an empty text";
    EXPECT_STREQ("", g_shell.folder);
    EXPECT_EQ(SW_SHOWNORMAL, g_shell.show);

    for (int verb : {0, 6, -1}) {
        g_shell = ShellCall{};
        Run({MakeInt(verb), MakeText("f"), MakeText("/a"), MakeText("C:\\w"), MakeInt(3)});
        EXPECT_EQ(nullptr, g_shell.verb) << verb;
        EXPECT_EQ("/a", g_shell.parametersText);
        EXPECT_STREQ("C:\\w", g_shell.folder);
        EXPECT_EQ(SW_SHOWMINIMIZED, g_shell.show) << "show mode 3";
    }
    const char* const verbs[] = {"edit", "explore", "find", "open", "print"};
    const int shows[] = {SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED, SW_SHOWNA, SW_MINIMIZE};
    for (int i = 1; i <= 6; ++i) {
        g_shell = ShellCall{};
        Run({MakeInt(i <= 5 ? i : 0), MakeText("f"), MakeAbsent(), MakeAbsent(), MakeInt(i)});
        if (i <= 5) {
            EXPECT_EQ(verbs[i - 1], g_shell.verbText);
        }
        EXPECT_EQ(shows[i - 1], g_shell.show) << i;
    }
    g_shell = ShellCall{};
    Run({MakeInt(4), MakeText("f"), MakeAbsent(), MakeAbsent(), MakeInt(9)});
    EXPECT_EQ(SW_SHOWNORMAL, g_shell.show) << "a show mode outside the table";
}

TEST(ShellVerb, OpeningAShortcutStartsItsTargetWithItsArguments) {
    const TempFolder dir("verb");
    const std::string log = dir + "\\cmdline.log";
    SetEnvironmentVariableA("QV_PROBE_LOG", log.c_str());
    const std::string probe = ExeFolder() + "\\cmdline_probe.exe";
    const std::string link = dir + "\\Probe";
    TypedValue created{};
    const TypedValue linkArgs[5] = {MakeText(link.c_str()), MakeText(probe.c_str()), MakeText("probe"),
                                    MakeText("/n"), MakeAbsent()};
    shell::CreateShortcut(&created, 5, linkArgs);
    ASSERT_EQ(1u, created.word);

    const std::string file = link + ".lnk";
    const TypedValue args[5] = {MakeInt(4), MakeText(file.c_str()), MakeAbsent(), MakeAbsent(), MakeAbsent()};
    TypedValue result{};
    shell::ExecuteShellVerb(&result, 5, args);
    EXPECT_EQ(0u, result.raw);
    std::string seen;
    for (int i = 0; i < 200 && seen.empty(); ++i, Sleep(100)) seen = ReadWholeFile(log);
    EXPECT_NE(std::string::npos, seen.find("cmdline_probe.exe")) << seen;
    EXPECT_NE(std::string::npos, seen.find(" /n")) << seen;
}

TEST(ShellVerb, ANullVerbOpensAProgramToo) {
    const TempFolder dir("verb0");
    const std::string log = dir + "\\cmdline.log";
    SetEnvironmentVariableA("QV_PROBE_LOG", log.c_str());
    const std::string probe = ExeFolder() + "\\cmdline_probe.exe";
    for (int verb : {0, 6}) {
        const TypedValue args[4] = {MakeInt(verb), MakeText(probe.c_str()), MakeText("verb"), MakeAbsent()};
        TypedValue result{};
        shell::ExecuteShellVerb(&result, 4, args);
    }
    std::string seen;
    for (int i = 0; i < 200; ++i, Sleep(100)) {
        seen = ReadWholeFile(log);
        if (seen.find("verb\n") != seen.rfind("verb\n")) break;
    }
    EXPECT_NE(seen.find("verb\n"), seen.rfind("verb\n")) << seen;
}

}  // namespace
}  // namespace qv::test

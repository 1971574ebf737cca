// The shortcut table walked by its loop, with recording commands in place
// of GetSpecialFolder and CreateShortcut.
#include "installer/shortcuts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/product.h"
#include "runtime/memory.h"
#include "runtime/values.h"

namespace qv::installer {
namespace {

struct Call {
    int argc;
    std::vector<uint32_t> tags;
    std::vector<std::string> texts;
};
std::vector<Call> g_calls;

void FakeFolder(TypedValue* result, int, const TypedValue* args) {
    const std::string folder = "C:\\F" + std::to_string(args[0].i32) + "\\";
    char* text = static_cast<char*>(AllocBlock(folder.size() + 1));
    std::copy(folder.c_str(), folder.c_str() + folder.size() + 1, text);
    result->text = text;
}
void NoFolder(TypedValue*, int, const TypedValue*) {}
// Saves every link but the uninstaller's.
void RecordShortcut(TypedValue* result, int argc, const TypedValue* args) {
    result->word = g_calls.size() != 1;
    Call call{argc, {}, {}};
    for (int i = 0; i < argc; ++i) {
        call.tags.push_back(args[i].tag);
        call.texts.push_back(args[i].tag == kTagText && args[i].text ? args[i].text : "");
    }
    g_calls.push_back(call);
}

TEST(Shortcuts, ThreeRowsInOrderWithFiveArgumentsEach) {
    g_calls.clear();
    EXPECT_EQ(0b101u, CreateProductShortcuts("C:\\Program Files (x86)\\", FakeFolder, RecordShortcut))
        << "the rows saved, by bit";
    ASSERT_EQ(3u, g_calls.size());
    const std::string menu = "C:\\F8\\Microsoft\\Windows\\Start Menu\\Programs\\Quorvane\\";
    const std::string root = "C:\\Program Files (x86)\\Zentrel\\";
    const std::vector<std::vector<std::string>> expected = {
        {menu + "Quorvane", root + "Zentrel.exe", "Quorvane", "/n", ""},
        {menu + "Quorvane\xD0\xB6\xD4\xD8", root + "Uninstall.exe", "\xD0\xB6\xD4\xD8\xB3\xCC\xD0\xF2", "",
         ""},
        {"C:\\F3\\Quorvane", root + "Zentrel.exe", "Quorvane", "/n", ""},
    };
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(5, g_calls[i].argc);
        EXPECT_EQ(expected[i], g_calls[i].texts);
        EXPECT_EQ(0u, g_calls[i].tags[4]) << "the working folder is absent";
    }
    EXPECT_EQ(0u, g_calls[1].tags[3]) << "the uninstaller takes no arguments";
    EXPECT_EQ(static_cast<uint32_t>(kTagText), g_calls[0].tags[3]);
    EXPECT_EQ("C:\\F3\\Quorvane", g_calls[kLaunchRow].texts[0]) << "the desktop link starts the product";
}

TEST(Shortcuts, AFolderLookupThatFailsLeavesTheRelativeNames) {
    g_calls.clear();
    CreateProductShortcuts(nullptr, NoFolder, RecordShortcut);
    ASSERT_EQ(3u, g_calls.size());
    EXPECT_EQ(std::string(kMenuFolder) + "\\Quorvane", g_calls[0].texts[0]);
    EXPECT_EQ("Zentrel\\Zentrel.exe", g_calls[0].texts[1]);
    EXPECT_EQ("Quorvane", g_calls[2].texts[0]);
}

}  // namespace
}  // namespace qv::installer

#include "installer/registration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv::installer {
namespace {

struct Written {
    int32_t root;
    std::string path;
    uint32_t tag;
    std::string text;
    double number;
};
std::vector<Written> g_written;

void RecordWrite(TypedValue*, int argc, const TypedValue* args) {
    ASSERT_EQ(3, argc);
    g_written.push_back({args[0].i32, args[1].text, args[2].tag, args[2].tag == kTagText ? args[2].text : "",
                         args[2].tag == kTagF64 ? args[2].f64 : 0});
}

TEST(Registration, WritesThirteenRowsInOrderUnderLocalMachine) {
    g_written.clear();
    RegisterProduct("C:\\Program Files (x86)\\", "2026129", RecordWrite);
    ASSERT_EQ(13u, g_written.size());
    const std::string uninstall =
        "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zentrel2.0\\";
    const char* expected[13][2] = {
        {"SOFTWARE\\WOW6432Node\\Zentrel2.0\\InstPath", "C:\\Program Files (x86)\\"},
        {"SOFTWARE\\WOW6432Node\\Halvik\\Zentrel\\Counter", "2026129"},
        {"SOFTWARE\\WOW6432Node\\Halvik\\Zentrel\\installpro", "100%"},
        {"SOFTWARE\\WOW6432Node\\Halvik\\Zentrel\\Scancode", "2026129"},
        {"DisplayIcon", "C:\\Program Files (x86)\\Zentrel\\Zentrel.exe"},
        {"DisplayName", "Quorvane"},
        {"DisplayVersion", "2.18.0.10"},
        {"EstimatedSize", nullptr},
        {"InstallLocation", "C:\\Program Files (x86)\\Zentrel"},
        {"Publisher", "quorvane.com"},
        {"UninstallString", "C:\\Program Files (x86)\\Zentrel\\Uninstall.exe"},
        {"URLInfoAbout", "https://www.quorvane.com/"},
        {"URLUpdateInfo", "https://www.quorvane.com/"},
    };
    for (int i = 0; i < 13; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(4, g_written[i].root);
        const std::string path = i < 4 ? expected[i][0] : uninstall + expected[i][0];
        EXPECT_EQ(path, g_written[i].path);
        if (expected[i][1]) {
            EXPECT_EQ(kTagText, g_written[i].tag);
            EXPECT_EQ(expected[i][1], g_written[i].text);
        }
    }
    EXPECT_EQ(kTagF64, g_written[7].tag);
    EXPECT_EQ(50941.0, g_written[7].number);
}

TEST(Registration, NullRootAndStampAreWrittenAsEmptyTexts) {
    g_written.clear();
    RegisterProduct(nullptr, nullptr, RecordWrite);
    ASSERT_EQ(13u, g_written.size());
    EXPECT_EQ("", g_written[0].text);
    EXPECT_EQ("", g_written[1].text);
    EXPECT_EQ("Zentrel", g_written[8].text);
}

}  // namespace
}  // namespace qv::installer

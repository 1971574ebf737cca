#include "installer/registration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/registry_rows.h"

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
    const std::vector<test::ExpectedValue> expected =
        test::ExpectedRegistry("C:\\Program Files (x86)\\", "2026129");
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(4, g_written[i].root);
        EXPECT_EQ(expected[i].key + "\\" + expected[i].name, g_written[i].path);
        if (expected[i].dword) {
            EXPECT_EQ(kTagF64, g_written[i].tag) << "a number, not a text";
            EXPECT_EQ(50941.0, g_written[i].number);
        } else {
            EXPECT_EQ(kTagText, g_written[i].tag);
            EXPECT_EQ(expected[i].text, g_written[i].text);
        }
    }
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

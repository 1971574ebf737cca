#include "installer/registration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/exit_code.h"
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

// Stores every value but the one at this index (-1: none fails).
int g_failing = -1;

void RecordWrite(TypedValue* result, int argc, const TypedValue* args) {
    ASSERT_EQ(3, argc);
    result->word = static_cast<int>(g_written.size()) != g_failing;
    g_written.push_back({args[0].i32, args[1].text, args[2].tag, args[2].tag == kTagText ? args[2].text : "",
                         args[2].tag == kTagF64 ? args[2].f64 : 0});
}

TEST(Registration, WritesThirteenRowsInOrderUnderLocalMachine) {
    g_written.clear();
    EXPECT_EQ(13, RegisterProduct("C:\\Program Files (x86)\\", "2026129", RecordWrite));
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

TEST(Registration, AValueNotStoredIsCountedAndTheRestStillWritten) {
    g_written.clear();
    g_failing = 0;
    EXPECT_EQ(12, RegisterProduct("C:\\Program Files\\", "2026129", RecordWrite));
    EXPECT_EQ(13u, g_written.size());
    g_failing = -1;
}

TEST(ExitCode, ZeroOnlyForTheWholeMachineWideInstallation) {
    const struct {
        int stored;
        int32_t extraction;
        uint32_t code;
    } rows[] = {
        {13, 1, 0}, {12, 1, 2}, {0, 1, 2}, {13, 0, 4}, {13, -1, 4}, {12, 0, 6}, {0, -1, 6}, {14, 1, 2},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.code, InstallerExitCode(row.stored, row.extraction))
            << row.stored << " " << row.extraction;
    // The documented codes (README) are these.
    EXPECT_EQ(2u, kExitRegistrationIncomplete);
    EXPECT_EQ(4u, kExitProductIncomplete);
}

}  // namespace
}  // namespace qv::installer

// The archive component through the unpack driver: events as percentages,
// a cancelling handler, and a reference to no component.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "payload/archive_format.h"
#include "tests/support/child_process_win.h"
#include "tests/support/zip_builder.h"

namespace qv::test {
namespace {

class Component : public testing::Test {
protected:
    void SetUp() override {
        dir_ = MakeTempFolder("component");
        archive_ = dir_ + "\\a.zip";
        std::vector<ZipEntrySpec> entries;
        for (int i = 0; i < 51; ++i) {
            ZipEntrySpec e;
            e.name = "f" + std::to_string(100 + i) + ".txt";
            e.data = std::to_string(i);
            entries.push_back(e);
        }
        WriteWholeFile(archive_, BuildZip(entries));
    }
    void TearDown() override { RemoveTree(dir_); }

    ChildOutcome Unpack(const std::string& extra, std::string* output) {
        const std::string out = dir_ + "\\out.txt";
        const std::string cmd = "cmd /c \"\"" + ExeFolder() + "\\unpack.exe\" \"" + archive_ + "\" \"" +
                                dir_ + "\\target\" " + extra + " > \"" + out + "\"\"";
        ChildOutcome o = RunChild(cmd);
        *output = ReadWholeFile(out);
        return o;
    }
    std::string dir_, archive_;
};

TEST_F(Component, RaisesOnePercentagePerEntryAndAHundredAtTheEnd) {
    std::string output;
    ChildOutcome o = Unpack("", &output);
    EXPECT_EQ(0u, o.exitCode);
    std::string expected;
    for (uint32_t i = 0; i < 51; ++i) expected += "progress " + std::to_string(i * 100 / 51) + "\r\n";
    expected += "progress 100\r\noutcome 1\r\n";
    EXPECT_EQ(expected, output.substr(0, expected.size()));
    EXPECT_NE(std::string::npos, expected.find("progress 56\r\n"));
    EXPECT_TRUE(PathExists(dir_ + "\\target\\f150.txt"));
}

TEST_F(Component, AHandlerAnsweringFalseStopsAfterTheFirstEntry) {
    std::string output;
    ChildOutcome o = Unpack("--cancel-at 1", &output);
    EXPECT_EQ(0u, o.exitCode);
    EXPECT_EQ("progress 0\r\noutcome 1\r\n", output.substr(0, output.find("seconds")));
    EXPECT_TRUE(PathExists(dir_ + "\\target\\f100.txt"));
    EXPECT_FALSE(PathExists(dir_ + "\\target\\f101.txt"));
}

TEST_F(Component, AReferenceToNoComponentIsFatal) {
    std::string output;
    ChildOutcome o = RunChild("\"" + ExeFolder() + "\\unpack.exe\" \"" + archive_ + "\" \"" + dir_ +
                              "\\target\" --component 16010044");
    EXPECT_EQ(0xFFFFFFFFu, o.exitCode);
    ASSERT_EQ(1u, o.boxes.size());
    EXPECT_EQ("错误", o.boxes[0].caption);
    EXPECT_NE(std::string::npos, o.boxes[0].text.find("指定窗口或窗口组件不存在或尚未载入"));
    EXPECT_NE(std::string::npos, o.boxes[0].text.find("1375797249, 369164356"));
    EXPECT_FALSE(PathExists(dir_ + "\\target"));
}

}  // namespace
}  // namespace qv::test

// Whole-program behaviour of the runtime frame, watched from outside.
#include <gtest/gtest.h>

#include "tests/support/child_process_win.h"

namespace qv::test {
namespace {

class ProbeProgram : public testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeTempFolder("probe");
        log_ = folder_ + "\\probe.log";
    }
    void TearDown() override { RemoveTree(folder_); }

    ChildOutcome Run(const char* mode, const char* cwd = nullptr) {
        return RunChild("\"" + ExeFolder() + "\\probe_program.exe\" " + mode + " \"" + log_ + "\"", cwd);
    }
    std::string Log() { return ReadWholeFile(log_); }

    std::string folder_, log_;
};

TEST_F(ProbeProgram, CreatedEventThatReturnsEndsInOrderWithCleanupsOnce) {
    ChildOutcome out = Run("return", folder_.c_str());
    ASSERT_TRUE(out.started);
    EXPECT_FALSE(out.timedOut);
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_TRUE(out.boxes.empty());
    EXPECT_EQ(0, out.visibleWindows);
    EXPECT_EQ("cwd " + ExeFolder() + "\nvisible 0\nloop ended\ncleanup A\ncleanup B\n", Log());
}

TEST_F(ProbeProgram, EndProcessFromCreatedEventRunsCleanups) {
    ChildOutcome out = Run("end", folder_.c_str());
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_TRUE(out.boxes.empty());
    EXPECT_EQ("cwd " + ExeFolder() + "\nvisible 0\ncleanup A\ncleanup B\n", Log());
}

TEST_F(ProbeProgram, AProgramNameWithA5CTrailByteStillGivesItsFolder) {
    // 81 5C is one GBK character: its second byte is no separator.
    const std::string copy = folder_ + "\\probe\x81\x5C.exe";
    ASSERT_TRUE(CopyFileA((ExeFolder() + "\\probe_program.exe").c_str(), copy.c_str(), FALSE));
    const TempFolder elsewhere("elsewhere");
    ChildOutcome out = RunChild("\"" + copy + "\" end \"" + log_ + "\"", elsewhere.c_str());
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_EQ("cwd " + folder_ + "\nvisible 0\ncleanup A\ncleanup B\n", Log());
}

struct ErrorCase {
    const char* mode;
    const char* text;
};

TEST_F(ProbeProgram, RuntimeErrorsShowOneBoxAndEndWithMinusOne) {
    const ErrorCase cases[] = {
        {"stack",
         "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n\r\n67174403, "
         "765\r\n"},
        {"alloc", "运行时出错!\r\n\r\n错误信息：分配 2147483632 字节内存失败!\r\n\r\n0, 0\r\n"},
        {"component",
         "运行时出错!\r\n\r\n错误信息：指定窗口或窗口组件不存在或尚未载入\r\n\r\n1375797249, 369164441\r\n"
         "\"启动窗口\"\r\n未找到所指定的窗口组件\r\n"},
        {"window",
         "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n\r\n1375797367, 0\r\n未找到所指定的窗口\r\n"},
        {"unbound",
         "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件中的输出命令“QvNoSuchFunction”\r\n\r\n0, 0\r\n"},
        {"unbound-lib",
         "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“Kernel32."
         "dll”中的输出命令“QvNoSuchFunction”\r\n\r\n0, 0\r\n"},
        {"code", "运行时出错!\r\n\r\n错误代码：3\r\n\r\n错误信息：数组维定义数目不正确\r\n\r\n0, 0\r\n"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.mode);
        DeleteFileA(log_.c_str());
        ChildOutcome out = Run(c.mode);
        EXPECT_FALSE(out.timedOut);
        EXPECT_EQ(0xFFFFFFFFu, out.exitCode);
        ASSERT_EQ(1u, out.boxes.size());
        EXPECT_EQ("错误", out.boxes[0].caption);
        EXPECT_EQ(c.text, out.boxes[0].text);
        EXPECT_EQ(std::string::npos, Log().find("cleanup")) << "clean-up routines ran after an error";
    }
}

}  // namespace
}  // namespace qv::test

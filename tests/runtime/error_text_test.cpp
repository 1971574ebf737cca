#include "runtime/error_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace qv {
namespace {

std::string Build(int code, const char* message, int32_t pos1, int32_t pos2, ErrorSubjectLookup lookup) {
    char out[1024];
    const size_t n = BuildErrorText(out, sizeof out, code, message, pos1, pos2, lookup);
    EXPECT_EQ(std::strlen(out), n);
    return out;
}

ErrorSubject HostWindow(uint32_t windowId, uint32_t componentId) {
    ErrorSubject s;
    s.windowFound = windowId == 0x52010001;
    s.windowName = "启动窗口";
    s.componentFound = componentId == 0 || componentId == 0x16010043;
    s.componentName = "ZIP压缩1";
    return s;
}

TEST(ErrorText, StackFaultLayout) {
    EXPECT_EQ(
        "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n\r\n67174403, 765\r\n",
        Build(6, RuntimeErrorMessage(6), 67174403, 765, HostWindow));
}

TEST(ErrorText, OmitsCodeAndMessageLinesWhenAbsent) {
    EXPECT_EQ("运行时出错!\r\n\r\n错误信息：分配 64 字节内存失败!\r\n\r\n0, 0\r\n",
              Build(0, "分配 64 字节内存失败!", 0, 0, HostWindow));
    EXPECT_EQ("运行时出错!\r\n\r\n错误代码：3\r\n\r\n1, 2\r\n", Build(3, "", 1, 2, HostWindow));
}

TEST(ErrorText, CutsAtTheBufferAndStaysTerminated) {
    char small[16];
    const size_t n = BuildErrorText(small, sizeof small, 6, RuntimeErrorMessage(6), 1, 2, nullptr);
    EXPECT_EQ(15u, n);
    EXPECT_EQ('\0', small[15]);
    EXPECT_EQ(0, std::strncmp(small, "运行时出错!", 11));
}

TEST(ErrorText, NamesWindowAndComponent) {
    const char* msg = "指定窗口或窗口组件不存在或尚未载入";
    EXPECT_EQ(std::string("运行时出错!\r\n\r\n错误信息：") + msg +
                  "\r\n\r\n1375797249, 369164355\r\n\"启动窗口\"\r\n\"ZIP压缩1\"\r\n",
              Build(0, msg, 0x52010001, 0x16010043, HostWindow));
    EXPECT_EQ(std::string("运行时出错!\r\n\r\n错误信息：") + msg +
                  "\r\n\r\n1375797249, 369164356\r\n\"启动窗口\"\r\n未找到所指定的窗口组件\r\n",
              Build(0, msg, 0x52010001, 0x16010044, HostWindow));
    EXPECT_EQ("运行时出错!\r\n\r\n1375797250, 0\r\n未找到所指定的窗口\r\n",
              Build(0, "", 0x52010002, 0, HostWindow));
    // A routine identifier names nothing.
    EXPECT_EQ("运行时出错!\r\n\r\n67174403, 884\r\n", Build(0, nullptr, 0x04010003, 884, HostWindow));
}

}  // namespace
}  // namespace qv

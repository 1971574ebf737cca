#include "runtime/error_text.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

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
        BuildErrorText(6, RuntimeErrorMessage(6), 67174403, 765, HostWindow));
}

TEST(ErrorText, OmitsCodeAndMessageLinesWhenAbsent) {
    EXPECT_EQ("运行时出错!\r\n\r\n错误信息：分配 64 字节内存失败!\r\n\r\n0, 0\r\n",
              BuildErrorText(0, "分配 64 字节内存失败!", 0, 0, HostWindow));
    EXPECT_EQ("运行时出错!\r\n\r\n错误代码：3\r\n\r\n1, 2\r\n", BuildErrorText(3, "", 1, 2, HostWindow));
}

TEST(ErrorText, NamesWindowAndComponent) {
    const char* msg = "指定窗口或窗口组件不存在或尚未载入";
    EXPECT_EQ(std::string("运行时出错!\r\n\r\n错误信息：") + msg +
                  "\r\n\r\n1375797249, 369164355\r\n\"启动窗口\"\r\n\"ZIP压缩1\"\r\n",
              BuildErrorText(0, msg, 0x52010001, 0x16010043, HostWindow));
    EXPECT_EQ(std::string("运行时出错!\r\n\r\n错误信息：") + msg +
                  "\r\n\r\n1375797249, 369164356\r\n\"启动窗口\"\r\n未找到所指定的窗口组件\r\n",
              BuildErrorText(0, msg, 0x52010001, 0x16010044, HostWindow));
    EXPECT_EQ("运行时出错!\r\n\r\n1375797250, 0\r\n未找到所指定的窗口\r\n",
              BuildErrorText(0, "", 0x52010002, 0, HostWindow));
    // A routine identifier names nothing.
    EXPECT_EQ("运行时出错!\r\n\r\n67174403, 884\r\n", BuildErrorText(0, nullptr, 0x04010003, 884, HostWindow));
}

}  // namespace
}  // namespace qv

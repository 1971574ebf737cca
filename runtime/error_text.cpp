#include "runtime/error_text.h"

#include <cstdio>

namespace qv {

const char* RuntimeErrorMessage(int code) {
    static const char* const kMessages[] = {
        "",
        "数组成员下标超出定义范围",
        "未得到所需要的数值型数据",
        "数组维定义数目不正确",
        "除数不能为零",
        "数值计算结果溢出",
        "调用DLL命令后发现堆栈错误",
        "无法找到指定的子程序",
        "所传递的参数数目不正确",
        "所传递的参数类型不正确",
        "子程序调用层次过深",
        "程序运行所需内存不足",
    };
    return code >= 1 && code <= 11 ? kMessages[code] : "";
}

std::string BuildErrorText(int code, const char* message, int32_t pos1, int32_t pos2, ErrorSubjectLookup lookup) {
    char number[64];
    std::string position;
    std::snprintf(number, sizeof number, "\r\n%d, %d", static_cast<int>(pos1), static_cast<int>(pos2));
    position = number;
    const uint32_t first = static_cast<uint32_t>(pos1);
    if (first != 0 && ObjectKind(first) == 2 && lookup) {
        const ErrorSubject subject = lookup(first, static_cast<uint32_t>(pos2));
        if (!subject.windowFound) {
            position += "\r\n未找到所指定的窗口";
        } else {
            position += "\r\n\"" + subject.windowName + "\"";
            if (subject.componentFound)
                position += "\r\n\"" + subject.componentName + "\"";
            else
                position += "\r\n未找到所指定的窗口组件";
        }
    }
    position += "\r\n";

    std::string text = "运行时出错!\r\n";
    if (code != 0) {
        std::snprintf(number, sizeof number, "%d", code);
        text += "\r\n错误代码：";
        text += number;
        text += "\r\n";
    }
    if (message && *message) {
        text += "\r\n错误信息：";
        text += message;
        text += "\r\n";
    }
    return text + position;
}

}  // namespace qv

#include "runtime/error_text.h"

#include <cstring>

#include "runtime/format.h"

namespace qv {
namespace {

// Appends to a terminated text in a fixed buffer, cutting at its end.
class TextBuffer {
public:
    TextBuffer(char* out, size_t capacity) : out_(out), capacity_(capacity) {
        if (capacity_) out_[0] = '\0';
    }
    TextBuffer& operator<<(const char* text) {
        for (const char* p = text ? text : ""; *p && length_ + 1 < capacity_; ++p) out_[length_++] = *p;
        if (capacity_) out_[length_] = '\0';
        return *this;
    }
    size_t Length() const { return length_; }

private:
    char* out_;
    size_t capacity_;
    size_t length_ = 0;
};

}  // namespace

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

size_t BuildErrorText(char* out, size_t capacity, int code, const char* message, int32_t pos1, int32_t pos2,
                      ErrorSubjectLookup lookup) {
    char number[32];
    TextBuffer text(out, capacity);
    text << "运行时出错!\r\n";
    if (code != 0) {
        FormatText(number, sizeof number, "%d", code);
        text << "\r\n错误代码：" << number << "\r\n";
    }
    if (message && *message) text << "\r\n错误信息：" << message << "\r\n";
    FormatText(number, sizeof number, "\r\n%d, %d", static_cast<int>(pos1), static_cast<int>(pos2));
    text << number;
    const uint32_t first = static_cast<uint32_t>(pos1);
    if (first != 0 && ObjectKind(first) == 2 && lookup) {
        const ErrorSubject subject = lookup(first, static_cast<uint32_t>(pos2));
        if (!subject.windowFound) {
            text << "\r\n未找到所指定的窗口";
        } else {
            text << "\r\n\"" << subject.windowName << "\"";
            if (subject.componentFound)
                text << "\r\n\"" << subject.componentName << "\"";
            else
                text << "\r\n未找到所指定的窗口组件";
        }
    }
    text << "\r\n";
    return text.Length();
}

}  // namespace qv

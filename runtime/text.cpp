#include "runtime/text.h"

namespace qv {
namespace {

bool IsSeparatorByte(char c, bool alsoSlash) { return c == '\\' || (alsoSlash && c == '/'); }

}  // namespace

ptrdiff_t FindLastSeparator(const char* text, bool alsoSlash) {
    ptrdiff_t last = -1;
    if (!text) return last;
    for (ptrdiff_t i = 0; text[i];) {
        const size_t n = CharBytes(text + i);
        if (n == 1 && IsSeparatorByte(text[i], alsoSlash)) last = i;
        i += static_cast<ptrdiff_t>(n);
    }
    return last;
}

bool IsWellFormedCp936(const char* bytes, size_t length) {
    for (size_t i = 0; i < length;) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c <= 0x80) {
            ++i;
            continue;
        }
        if (!IsLeadByte(c) || i + 1 == length) return false;
        const unsigned char t = static_cast<unsigned char>(bytes[i + 1]);
        if (t < 0x40 || t == 0x7F || t == 0xFF) return false;
        i += 2;
    }
    return true;
}

bool EndsWithSeparatorChar(const char* text, bool alsoSlash) {
    bool last = false;
    for (size_t i = 0; text && text[i];) {
        const size_t n = CharBytes(text + i);
        last = n == 1 && IsSeparatorByte(text[i], alsoSlash);
        i += n;
    }
    return last;
}

}  // namespace qv

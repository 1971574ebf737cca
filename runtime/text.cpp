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

#include "runtime/text.h"

namespace qv {

ptrdiff_t FindLastSeparator(const char* text, bool alsoSlash) {
    ptrdiff_t last = -1;
    if (!text) return last;
    for (ptrdiff_t i = 0; text[i];) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(c)) {
            if (!text[i + 1]) break;
            i += 2;
            continue;
        }
        if (c == '\\' || (alsoSlash && c == '/')) last = i;
        ++i;
    }
    return last;
}

}  // namespace qv

// Byte-level helpers for texts in the system code page (GBK): a byte of 0x80
// or above starts a two-byte character whose second byte may be 0x5C.
#pragma once

#include <cstddef>

namespace qv {

inline bool IsLeadByte(unsigned char c) { return c >= 0x80; }

// Offset of the last separator byte ('\\', and '/' too when alsoSlash) that is
// not the trail byte of a two-byte character, or -1 when there is none. A lead
// byte followed by the terminator ends the walk.
ptrdiff_t FindLastSeparator(const char* text, bool alsoSlash);

// Length of a possibly null text.
inline size_t TextLength(const char* text) {
    size_t n = 0;
    if (text)
        while (text[n]) ++n;
    return n;
}

}  // namespace qv

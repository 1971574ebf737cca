// Byte-level helpers for texts in the system code page (GBK): a byte of 0x81
// to 0xFE starts a two-byte character whose second byte may be 0x5C ("\");
// 0x80 and 0xFF are characters of their own.
#pragma once

#include <cstddef>

namespace qv {

inline bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Bytes of the character that starts at p, of at most `left` bytes (left > 0):
// 2 for a lead byte with a byte after it, else 1. A lead byte at the end
// (just before the NUL, or the last of `left`) is a character of its own.
inline size_t CharBytes(const char* p, size_t left) {
    return left > 1 && IsLeadByte(static_cast<unsigned char>(p[0])) && p[1] ? 2 : 1;
}
inline size_t CharBytes(const char* p) { return CharBytes(p, 2); }

// Offset of the last separator byte ('\\', and '/' too when alsoSlash) that is
// not the trail byte of a two-byte character, or -1 when there is none.
ptrdiff_t FindLastSeparator(const char* text, bool alsoSlash);

// True when the last character of the text (a two-byte character counting
// as one) is "\", or "/" too when alsoSlash.
bool EndsWithSeparatorChar(const char* text, bool alsoSlash);

// True when bytes[0, length) are well-formed code page 936: single bytes
// below 0x80 or 0x80 itself, and pairs of a lead byte (0x81 to 0xFE) with a
// trail byte (0x40 to 0x7E or 0x80 to 0xFE).
bool IsWellFormedCp936(const char* bytes, size_t length);

// Length of a possibly null text.
inline size_t TextLength(const char* text) {
    size_t n = 0;
    if (text)
        while (text[n]) ++n;
    return n;
}

}  // namespace qv

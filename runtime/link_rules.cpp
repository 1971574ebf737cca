#include "runtime/link_rules.h"

#include <cstring>

#include "runtime/text.h"

namespace qv {
namespace {

constexpr uint32_t kNameSurrogateBit = 0x20000000;

// The path without the "\\?\" prefix; a UNC path keeps two backslashes: the
// result is written into out only for that case.
const char* WithoutPrefix(const char* path, char* uncOut, size_t uncSize) {
    if (std::strncmp(path, "\\\\?\\UNC\\", 8) == 0) {
        const size_t n = TextLength(path + 8);
        if (n + 3 > uncSize) return path;
        uncOut[0] = uncOut[1] = '\\';
        std::memcpy(uncOut + 2, path + 8, n + 1);
        return uncOut;
    }
    if (std::strncmp(path, "\\\\?\\", 4) == 0) return path + 4;
    return path;
}

// Length that counts: a final "\" goes unless the path is a drive root.
size_t SignificantLength(const char* path) {
    const size_t n = TextLength(path);
    if (n > 0 && EndsWithSeparatorChar(path, false) && !(n == 3 && path[1] == ':')) return n - 1;
    return n;
}

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool IsRedirectingReparse(uint32_t attributes, uint32_t tag, bool tagKnown) {
    if (!(attributes & kAttributeReparsePoint)) return false;
    return !tagKnown || (tag & kNameSurrogateBit) != 0;
}

bool IsSameFinalPath(const char* finalPath, const char* expected) {
    if (!finalPath || !expected) return false;
    char uncA[600], uncB[600];
    const char* a = WithoutPrefix(finalPath, uncA, sizeof uncA);
    const char* b = WithoutPrefix(expected, uncB, sizeof uncB);
    const size_t na = SignificantLength(a), nb = SignificantLength(b);
    if (na != nb || na == 0) return false;
    for (size_t i = 0; i < na;) {
        const size_t n = CharBytes(a + i, na - i);
        if (CharBytes(b + i, nb - i) != n) return false;
        if (n == 2 ? (a[i] != b[i] || a[i + 1] != b[i + 1]) : FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
        i += n;
    }
    return true;
}

}  // namespace qv

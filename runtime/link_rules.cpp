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

// Compares a and b over n bytes: ASCII letters without case, two-byte
// characters byte for byte.
bool SameText(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n;) {
        const size_t k = CharBytes(a + i, n - i);
        if (CharBytes(b + i, n - i) != k) return false;
        if (k == 2 ? (a[i] != b[i] || a[i + 1] != b[i + 1]) : FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
        i += k;
    }
    return true;
}

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
    return na == nb && na > 0 && SameText(a, b, na);
}

size_t FolderPrefixLength(const char* path, const char* folder) {
    if (!path || !folder) return 0;
    const size_t nf = SignificantLength(folder), np = TextLength(path);
    if (nf == 0 || np < nf || !SameText(path, folder, nf)) return 0;
    // A drive root keeps its separator; any other folder is followed by one.
    if (np == nf || path[nf] == '\\' || (nf == 3 && folder[1] == ':')) return nf;
    return 0;
}

bool PlainPath(const char* finalPath, char* out, size_t size) {
    if (!finalPath) return false;
    char unc[600];
    const char* plain = WithoutPrefix(finalPath, unc, sizeof unc);
    const size_t n = TextLength(plain);
    if (n + 1 > size) return false;
    std::memcpy(out, plain, n + 1);
    return true;
}

}  // namespace qv

#include "payload/archive_format.h"

#include <cstring>

#include "runtime/text.h"

namespace qv::payload {

uint32_t DecodeAttributes(uint32_t x) {
    uint32_t a = 0x80;
    if (x & 0x40000010u) a |= 0x10;
    if (x & 0x20u) a |= 0x20;
    if (x & 0x02u) a |= 0x02;
    if (!(x & 0x00800000u) || (x & 0x01u)) a |= 0x01;
    if (x & 0x04u) a |= 0x04;
    return a;
}

namespace {
uint32_t Le16(const uint8_t* p) { return p[0] | (p[1] << 8); }
int64_t Le32(const uint8_t* p) {
    return static_cast<int64_t>(static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) |
                                (static_cast<uint32_t>(p[3]) << 24));
}
}  // namespace

UnixTimes FindUnixTimes(const uint8_t* extra, size_t length) {
    UnixTimes times;
    if (!extra || length <= 4) return times;
    for (size_t offset = 0; offset + 4 < length;) {
        const uint32_t size = Le16(extra + offset + 2);
        if (extra[offset] == 'U' && extra[offset + 1] == 'T') {
            const size_t end = offset + 4 + size < length ? offset + 4 + size : length;
            size_t p = offset + 4;
            if (p >= end) break;
            const uint8_t flags = extra[p++];
            struct Slot {
                uint8_t bit;
                bool* set;
                int64_t* time;
            } slots[] = {{1, &times.write, &times.writeTime},
                         {2, &times.access, &times.accessTime},
                         {4, &times.creation, &times.creationTime}};
            for (const Slot& s : slots) {
                if (!(flags & s.bit)) continue;
                if (p + 4 > end) break;
                *s.set = true;
                *s.time = Le32(extra + p);
                p += 4;
            }
            break;
        }
        offset += 4 + size;
    }
    return times;
}

uint64_t UnixToFileTime(int64_t seconds) {
    return static_cast<uint64_t>(seconds + 11644473600LL) * 10000000ULL;
}

bool IsUnsafeName(const char* name) {
    if (!name) return true;
    if (name[0] == '\\' || name[0] == '/' || (name[0] && name[1] == ':')) return true;
    // A ".." segment: between separators (either kind), at the start or end.
    const char* segment = name;
    for (const char* p = name;; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == 0 || c == '/' || c == '\\') {
            if (p - segment == 2 && segment[0] == '.' && segment[1] == '.') return true;
            if (c == 0) return false;
            segment = p + 1;
        } else {
            p += CharBytes(p) - 1;
        }
    }
}

bool MapOutputPath(const char* target, const char* name, char (&path)[kPathBytes]) {
    path[0] = '\0';
    if (IsUnsafeName(name)) return false;
    const size_t targetLength = TextLength(target);
    const size_t separator = EndsWithSeparatorChar(target, false) ? 0 : 1;
    if (targetLength + separator + TextLength(name) >= kPathBytes) return false;
    size_t n = 0;
    for (size_t i = 0; i < targetLength; ++i) path[n++] = target[i];
    if (separator) path[n++] = '\\';
    // A "/" byte is replaced wherever it stands; it cannot be a GBK trail
    // byte (those are 0x40 and above).
    for (const char* p = name; *p; ++p) path[n++] = *p == '/' ? '\\' : *p;
    path[n] = '\0';
    return true;
}

bool PassesHeaderTest(const uint8_t* b, size_t length) {
    if (!b || length < 32) return false;
    if (!(b[0] == 0x50 && b[1] == 0x4B && b[2] == 0x03 && b[3] == 0x04)) return false;
    const int32_t value = static_cast<int32_t>(static_cast<uint32_t>(Le32(b + 24)));
    return value >= 1;
}

int32_t ProgressPercent(uint32_t current, uint32_t total) {
    if (total == 0) return 0;
    const long double p = static_cast<long double>(current) / static_cast<long double>(total) * 100.0L;
    return static_cast<int32_t>(p);
}

}  // namespace qv::payload

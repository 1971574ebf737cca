// Pure decoding of archive entries: status values, attributes, times, output
// paths and the first-header test. No file or system calls.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::payload {

// Status values of the entry layer.
enum : uint32_t {
    kStatusOk = 0,
    kStatusCannotOpen = 0x200,       // the archive, or an output file, cannot be opened or created
    kStatusWriteFailed = 0x400,      // data unreadable, not inflatable, CRC-32 mismatch, or WriteFile failed
    kStatusHeaderMismatch = 0x700,   // local header disagrees with the central record, or method not 0 or 8
    kStatusLocalExtra = 0x800,       // the local extra field cannot be positioned on or read
    kStatusBadName = 0x900,          // name absolute, with a ".." segment, or not fitting 260 bytes
    kStatusBadIndex = 0x10000,       // null handle, or index below -1 or past the last entry
    kStatusNotOpen = 0x80000,        // the handle is not an open archive
    kStatusAlreadyOpen = 0x1000000,  // open on an open reader, or without a root folder
};

constexpr size_t kPathBytes = 260;  // name, root folder and path buffers, NUL included

// Windows attribute flags from the central record's external attributes:
// NORMAL, plus DIRECTORY (bit 30 or 4), ARCHIVE (5), HIDDEN (1), READONLY
// (bit 23 clear or bit 0 set), SYSTEM (2).
uint32_t DecodeAttributes(uint32_t external);

// Times of a local "UT" extra block, Unix seconds; flags say which are set.
struct UnixTimes {
    bool write = false, access = false, creation = false;
    int64_t writeTime = 0, accessTime = 0, creationTime = 0;
};

// Walks the blocks of a local extra field and decodes the first "UT" block.
// Times announced by the flags but not held by the block are left unset.
UnixTimes FindUnixTimes(const uint8_t* extra, size_t length);

// 100-ns units since 1601 of a Unix time (seconds since 1970, UTC).
uint64_t UnixToFileTime(int64_t seconds);

// True for names the extraction refuses: absolute ("\", "/" first, or ":"
// second) or holding a ".." segment.
bool IsUnsafeName(const char* name);

// Output path of an entry: target, one "\" unless the target's last
// character is one, the name with "/" as "\". False, with path empty, when
// the name is unsafe or the path would not fit kPathBytes.
[[nodiscard]] bool MapOutputPath(const char* target, const char* name, char (&path)[kPathBytes]);

// The first-header test on the first 32 bytes of an archive: signature
// 50 4B 03 04 and bytes 24..27, signed little-endian, at least 1.
bool PassesHeaderTest(const uint8_t* bytes, size_t length);

// Percentage of progress: current / total * 100 in 64-bit-mantissa floating
// point, truncated; 0 when total is 0.
int32_t ProgressPercent(uint32_t current, uint32_t total);

}  // namespace qv::payload

// What an archive must satisfy before anything of it is written: the rules
// the extraction and the payload validator share, so that they cannot
// disagree. Pure logic over a byte source; no file or system calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/memory.h"

namespace qv::payload {

// Why an archive or an entry is refused.
enum class Refusal : uint8_t {
    None,
    // The archive as a whole: nothing of it is extracted.
    NoEndRecord,         // no end record in the last 65535 + 22 bytes, or bytes after it
    Zip64,               // ZIP64 end record or locator, or 0xFFFFFFFF counts, sizes, offsets
    SeveralDisks,        // disk numbers not 0, or the counts of this disk and all disks differ
    DirectoryOutside,    // central directory not wholly before the end record
    DirectoryShort,      // fewer central records than the end record counts
    DirectoryLeftOver,   // records left over after the count, or not ending at offset + size
    GapBeforeDirectory,  // bytes between the last entry's data and the central directory
    Overlap,             // an entry's header or data inside another's, or one header named twice
    // One entry: the entries before it are extracted.
    EmptyName,
    UnsafeName,          // absolute, a ".." segment, or a NUL byte
    DeviceName,          // a component that Windows takes for a device (CON, NUL, COM1, ...)
    Colon,               // a ":" (alternate data stream, drive-relative name)
    TrailingDotOrSpace,  // a component ending in "." or " " (Windows drops them)
    NameTooLong,         // with the target folder, 260 bytes or more
    FolderTooLong,       // a folder of 248 bytes or more (CreateDirectoryA's own limit)
    Encrypted,
    Method,             // neither stored (0) nor deflated (8)
    NoLocalHeader,      // no local header at the recorded offset
    LocalMismatch,      // local header disagrees with the central record
    LocalExtra,         // the local extra field reaches past the entries
    DataBeyondEntries,  // entry data reaching into the central directory
    StoredSizes,        // stored data whose compressed and uncompressed sizes differ
    DataMismatch,       // data not exactly its declared size, or its CRC-32 differs
};

// The words used for a refusal, by the extraction's tests and the validator.
const char* RefusalText(Refusal refusal);

// The entry layer's status for an entry refused by the scan (kStatusOk for
// None): kStatusLocalExtra, kStatusBadName for the name rules, else
// kStatusHeaderMismatch.
uint32_t StatusForRefusal(Refusal refusal);

// The name rules, on the name as stored (separators "/" or "\", GBK bytes).
Refusal CheckEntryName(const char* name, size_t length);

// The output rules for a name below a target folder: the path must fit 260
// bytes and every folder on it 248 bytes (the name rules are not repeated).
Refusal CheckOutputLength(size_t targetLength, bool targetEndsInSeparator, const char* name, size_t length);

// Reads size bytes at offset; false when they cannot all be read.
using ReadAt = bool (*)(void* source, uint64_t offset, void* buffer, size_t size);

// An archive held in memory, and the ReadAt over it (source: a MemoryArchive).
struct MemoryArchive {
    const void* data;
    uint64_t size;
};
bool ReadMemoryArchive(void* source, uint64_t offset, void* buffer, size_t size);

// A folder entry: the directory bit in its external attributes, or a name
// ending in a separator (the extraction creates such a path as a folder).
bool IsFolderEntry(const char* name, size_t length, uint32_t external);

// The result of scanning an archive's directory. entryRefusals has one value
// per entry (null unless the archive itself passes).
struct ArchiveLayout {
    Refusal archive = Refusal::NoEndRecord;
    uint32_t count = 0;
    uint64_t directoryOffset = 0;
    UniqueBlock<Refusal[]> entryRefusals;
};

// Reads the end record, every central record and every local header of an
// archive of fileSize bytes and applies the rules above, the name rules
// included. Entry data is not read (DataMismatch is found while extracting).
ArchiveLayout ScanArchive(ReadAt read, void* source, uint64_t fileSize);

}  // namespace qv::payload

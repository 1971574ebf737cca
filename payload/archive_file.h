// The archive file as minizip and the directory scan read it: local headers
// from a window read ahead, the directory and the end records from memory
// once read, blocks of entry data straight from the file.
#pragma once

#include <cstdint>

#include "payload/file_system.h"
#include "payload/minizip_local.h"

namespace qv::payload {

constexpr uint32_t kWindowBytes = 4096;

struct ArchiveFile {
    const FileSystem* fs;
    void* file;
    uint64_t size;
    uint64_t position;  // minizip's
    uint64_t windowStart;
    uint32_t windowLength;
    uint8_t window[kWindowBytes];
    uint64_t tailStart;   // the directory (or more) to the end of the file, once read
    const uint8_t* tail;  // (the reader's)
};

// An archive file over an open file of fs, of size bytes, nothing read yet.
ArchiveFile MakeArchiveFile(const FileSystem* fs, void* file, uint64_t size);

// Reads up to size bytes at offset; the count read (short only at the end
// of the file or on a read error).
uint32_t ReadArchive(ArchiveFile* f, uint64_t offset, void* buffer, uint32_t size);

// For ScanArchive: exactly size bytes at offset, or false.
[[nodiscard]] bool ReadArchiveExactly(void* archiveFile, uint64_t offset, void* buffer, size_t size);

// minizip's file layer over f: "opening" hands out f, closing leaves it.
zlib_filefunc_def ArchiveFileLayer(ArchiveFile* f);

}  // namespace qv::payload

// The entry layer: one open archive read through minizip over a file system,
// entries described as ArchiveEntry records and written to files.
#pragma once

#include <cstdint>
#include <memory>

#include "payload/archive_format.h"
#include "payload/archive_rules.h"
#include "payload/file_system.h"
#include "runtime/memory.h"

namespace qv::payload {

struct ArchiveEntry {
    int32_t index;
    char name[kPathBytes];
    uint32_t attributes;
    uint64_t accessTime, creationTime, writeTime;  // Windows file times; 0 when unknown
    uint32_t compressedSize, uncompressedSize;
};

struct ArchiveFile;  // the file as the reader reads it
struct ZipCloser {
    void operator()(void* zip) const noexcept;  // unzClose
};

// One archive; closed until OpenArchive succeeds. Fields are the layer's own;
// closing (or the reader going) releases what it owns.
struct ArchiveReader {
    const FileSystem* fs = nullptr;
    std::unique_ptr<void, ZipCloser> zip;
    UniqueBlock<ArchiveFile> source;
    UniqueBlock<uint8_t[]> tail;  // the directory and end records, read once
    FileHandle file;
    UniqueBlock<Refusal[]> refusals;  // per entry, from the scan at open
    bool open = false;
    int32_t count = 0;
    int32_t position = 0;
    int32_t openEntry = -1;
    int32_t cachedIndex = -1;
    ArchiveEntry cached{};
    char root[kPathBytes] = {};
    char lastFolder[kPathBytes] = {};  // the folder ensured last, without "\"
};

// Opens the archive on fs (which must outlive the reader's being open) and
// reads its central directory; root ends in "\" after. kStatusAlreadyOpen
// (open reader, empty or overlong root), kStatusCannotOpen (also for an
// archive whose structure is refused: see ScanArchive). On failure the
// reader is left as it was, its root included.
[[nodiscard]] uint32_t OpenArchive(ArchiveReader* reader, const FileSystem& fs, const char* archivePath,
                                   const char* rootFolder);

// Describes entry index (-1: the archive). kStatusBadIndex, kStatusNotOpen,
// kStatusHeaderMismatch, kStatusLocalExtra, kStatusBadName (an entry the
// scan refused gives the status of its refusal). *entry is zeroed first and
// filled only on success.
[[nodiscard]] uint32_t GetEntry(ArchiveReader* reader, int32_t index, ArchiveEntry* entry);

// Writes entry index to outputPath (or creates it as a folder below the
// root). kStatusCannotOpen, kStatusWriteFailed (data shorter or longer than
// declared, or a CRC-32 mismatch, too), or a status of GetEntry. A file whose
// writing failed stays as far as written, with normal attributes.
[[nodiscard]] uint32_t UnpackEntry(ArchiveReader* reader, int32_t index, const char* outputPath);

// Records folder (a path without its final "\") as made: a file below it
// does not make it again.
void NoteFolderMade(ArchiveReader* reader, const char* folder);

// Closes entry data, the archive and its file; the reader is closed again.
[[nodiscard]] uint32_t CloseArchive(ArchiveReader* reader);

}  // namespace qv::payload

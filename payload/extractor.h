// Walks all entries of an archive into a target folder, reporting progress.
#pragma once

#include <cstdint>

#include "payload/archive_format.h"
#include "payload/file_system.h"

namespace qv::payload {

struct ArchiveExtractor;

// Called after every entry and once at the end: (current index, total,
// current output path, extractor). It may set the extractor's cancel flag.
using ProgressListener = void (*)(uint32_t current, uint32_t total, const char* path,
                                  ArchiveExtractor* extractor);

struct ArchiveExtractor {
    void* component = nullptr;
    int32_t cancel = 0;
    ProgressListener listener = nullptr;
    char currentPath[kPathBytes] = {};
    uint32_t total = 0;
    uint32_t currentIndex = 0;
};

// Extracts archivePath into targetFolder on fs. 1: the walk ended after the
// last entry, or was cancelled; 0: a failure (the target cannot be made, the
// archive is damaged or unsafe, an entry cannot be described or written);
// -1: a null text, an empty target, or no file or folder named archivePath.
// Entries written before a failure stay on disk.
int32_t RunExtraction(ArchiveExtractor* extractor, const FileSystem& fs, const char* archivePath,
                      const char* targetFolder);

}  // namespace qv::payload

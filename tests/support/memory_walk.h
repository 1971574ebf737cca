// The shipped extraction walk (RunExtraction) over an archive in memory, on
// a MemoryFileSystem, with what it made and where it stopped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::test {

struct WalkOutput {
    std::string path;  // a file or folder the walk made
    bool folder = false;
    uint64_t bytes = 0;     // written, for a file
    uint32_t declared = 0;  // its entry's declared size (0 when no entry maps to it)
};

struct WalkResult {
    int32_t outcome = 0;
    bool complete = false;  // outcome 1: every entry extracted
    // The entry the walk stopped at on a failure; -1 for the archive itself
    // (or none).
    int32_t failedAt = -1;
    std::vector<WalkOutput> outputs;  // in the order made
};

WalkResult WalkArchive(const std::string& archive, const char* target);

}  // namespace qv::test

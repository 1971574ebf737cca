// The extraction's decisions on an archive held in memory, natively: the
// same rules (payload/archive_rules.h) and the same checked reading of entry
// data over minizip as the Windows entry layer; nothing is written, each
// output is only recorded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::test {

struct WalkOutput {
    std::string path;  // the output path below the target
    bool folder = false;
    uint64_t bytes = 0;     // data handed on for a file
    uint32_t declared = 0;  // its declared size
};

struct WalkResult {
    bool complete = false;  // every entry would be extracted
    int32_t failedAt = -1;  // the entry the walk stopped at; -1 for the archive itself
    std::vector<WalkOutput> outputs;
};

WalkResult WalkArchive(const std::string& archive, const char* target);

}  // namespace qv::test

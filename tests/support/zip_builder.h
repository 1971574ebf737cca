// Builds ZIP archives byte by byte for tests, with knobs to damage them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::test {

struct ZipEntrySpec {
    std::string name;
    std::string data;
    bool deflate = true;
    uint32_t external = 0x20;
    uint16_t dosDate = 0x5956;  // 2024-10-22
    uint16_t dosTime = 0x7E6F;  // 15:51:30
    std::string localExtra;
    std::string centralExtra;
    // Damage
    bool wrongCrc = false;      // in both headers
    int localMethod = -1;       // local header method, when >= 0
    int method = -1;            // method in both headers, when >= 0
    bool corruptData = false;   // flips bytes of the stored data
    int localExtraLength = -1;  // declared local extra length, when >= 0
    int64_t declaredSize = -1;  // uncompressed size in both headers, when >= 0
                                // (the CRC-32 then covers that many bytes)
};

std::string BuildZip(const std::vector<ZipEntrySpec>& entries);

// A folder entry (stored, size 0, external attributes 0x10).
ZipEntrySpec FolderEntry(const std::string& name);

// A "UT" extra block with the given flags and times.
std::string UtBlock(uint8_t flags, const std::vector<uint32_t>& times);

// Deterministic filler bytes; compressible unless random is set.
std::string Filler(size_t size, uint32_t seed, bool random);

}  // namespace qv::test

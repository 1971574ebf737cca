#include "tests/support/memory_walk.h"

#include <cstring>

#include "payload/archive_reader.h"
#include "payload/archive_rules.h"
#include "payload/extractor.h"
#include "tests/support/memory_file_system.h"

namespace qv::test {
namespace {

constexpr char kArchivePath[] = "C:\\archive.zip";

int g_entryCalls = 0;

void CountEntries(uint32_t, uint32_t, const char*, payload::ArchiveExtractor* x) {
    // Every call but the last, which comes with current = total.
    if (x->currentIndex != x->total) ++g_entryCalls;
}

// The declared size of the entry whose output path is path, through the
// entry layer itself.
uint32_t DeclaredSize(const MemoryFileSystem& fs, const char* target, const std::string& path) {
    payload::ArchiveReader reader;
    if (payload::OpenArchive(&reader, fs.table(), kArchivePath, target) != payload::kStatusOk) return 0;
    uint32_t declared = 0;
    payload::ArchiveEntry entry;
    for (int32_t i = 0; i < reader.count && payload::GetEntry(&reader, i, &entry) == payload::kStatusOk;
         ++i) {
        char mapped[payload::kPathBytes];
        if (payload::MapOutputPath(target, entry.name, mapped) && path == mapped)
            declared = entry.uncompressedSize;
    }
    (void)payload::CloseArchive(&reader);
    return declared;
}

}  // namespace

WalkResult WalkArchive(const std::string& archive, const char* target) {
    MemoryFileSystem fs;
    fs.PutFile(kArchivePath, archive);
    payload::ArchiveExtractor x;
    x.listener = CountEntries;
    g_entryCalls = 0;
    WalkResult result;
    result.outcome = payload::RunExtraction(&x, fs.table(), kArchivePath, target);
    result.complete = result.outcome == 1;
    // A failure is the archive's when its header or structure is refused,
    // else that of the entry after the last one reported.
    const payload::MemoryArchive memory{archive.data(), archive.size()};
    const bool archiveRefused =
        !payload::PassesHeaderTest(reinterpret_cast<const uint8_t*>(archive.data()), archive.size()) ||
        payload::ScanArchive(payload::ReadMemoryArchive, const_cast<payload::MemoryArchive*>(&memory),
                             archive.size())
                .archive != payload::Refusal::None;
    if (!result.complete && !archiveRefused) result.failedAt = g_entryCalls;
    const size_t below = std::strlen(target);
    for (const std::string& path : fs.created()) {
        // The target's own levels are not the archive's.
        if (path.size() <= below || path.compare(0, below, target) != 0) continue;
        const MemoryFileSystem::Node* node = fs.Find(path);
        WalkOutput out;
        out.path = path;
        out.folder = node && node->folder;
        out.bytes = node && !node->folder ? node->bytes.size() : 0;
        if (!out.folder) out.declared = DeclaredSize(fs, target, path);
        result.outputs.push_back(out);
    }
    return result;
}

}  // namespace qv::test

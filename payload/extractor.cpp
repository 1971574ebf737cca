#include "payload/extractor.h"

#include <cstring>

#include "payload/archive_reader.h"
#include "payload/folders.h"
#include "runtime/text.h"

namespace qv::payload {
namespace {

constexpr uint32_t kAttributeDirectory = 0x10;

[[nodiscard]] bool HeaderTestPasses(const FileSystem& fs, const char* archivePath) {
    uint64_t size = 0;
    const FileHandle file(&fs, fs.openForReading(fs.context, archivePath, &size));
    if (!file) return false;
    uint8_t head[32];
    uint32_t got = 0;
    if (!fs.read(file.get(), 0, head, sizeof head, &got)) return false;
    return PassesHeaderTest(head, got);
}

void Notify(ArchiveExtractor* x) {
    if (x->listener) x->listener(x->currentIndex, x->total, x->currentPath, x);
}

void ClearState(ArchiveExtractor* x) {
    x->cancel = 0;
    x->total = 0;
    x->currentIndex = 0;
    x->listener = nullptr;
}

// The end of every walk but a cancelled one: one last listener call with
// current = total, the state cleared, the archive closed.
[[nodiscard]] int32_t Finish(ArchiveExtractor* x, ArchiveReader* reader, int32_t outcome) {
    x->currentIndex = x->total;
    Notify(x);
    ClearState(x);
    if (reader && reader->open) (void)CloseArchive(reader);
    return outcome;
}

}  // namespace

int32_t RunExtraction(ArchiveExtractor* x, const FileSystem& fs, const char* archivePath,
                      const char* targetFolder) {
    x->cancel = 0;
    x->total = 0;
    x->currentIndex = 0;
    x->currentPath[0] = '\0';
    if (!archivePath || !targetFolder || !*targetFolder || !fs.exists(fs.context, archivePath))
        return Finish(x, nullptr, -1);
    if (!fs.exists(fs.context, targetFolder) && !CreateFolderLevels(fs, targetFolder))
        return Finish(x, nullptr, 0);
    if (!HeaderTestPasses(fs, archivePath)) return Finish(x, nullptr, 0);

    ArchiveReader reader;
    if (OpenArchive(&reader, fs, archivePath, targetFolder) != kStatusOk) return Finish(x, &reader, 0);

    ArchiveEntry entry;
    if (x->listener) {
        uint32_t count = 0;
        while (GetEntry(&reader, static_cast<int32_t>(count), &entry) == kStatusOk) ++count;
        x->total = count;
    }

    for (int32_t i = 0; i < reader.count; ++i) {
        // An entry that cannot be described is a damaged archive.
        if (GetEntry(&reader, i, &entry) != kStatusOk) return Finish(x, &reader, 0);

        char path[kPathBytes];
        if (CheckOutputLength(TextLength(targetFolder), EndsWithSeparatorChar(targetFolder, false),
                              entry.name, TextLength(entry.name)) != Refusal::None ||
            !MapOutputPath(targetFolder, entry.name, path))
            return Finish(x, &reader, 0);
        if (entry.attributes & kAttributeDirectory) {
            if (!fs.exists(fs.context, path) && !CreateFolderLevels(fs, path)) return Finish(x, &reader, 0);
            // The files that follow are in it, as a rule: it need not be made again.
            NoteFolderMade(&reader, path);
        } else {
            if (UnpackEntry(&reader, i, path) != kStatusOk) return Finish(x, &reader, 0);
            fs.makeNormal(fs.context, path);
        }

        x->currentIndex = static_cast<uint32_t>(i);
        std::memcpy(x->currentPath, path, TextLength(path) + 1);
        Notify(x);
        if (x->cancel) {
            (void)CloseArchive(&reader);
            return 1;
        }
    }
    return Finish(x, &reader, 1);
}

}  // namespace qv::payload

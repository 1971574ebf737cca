#include "payload/extractor_win.h"

#include <windows.h>

#include "payload/archive_reader_win.h"
#include "runtime/handles_win.h"
#include "runtime/text.h"

namespace qv::payload {
namespace {

bool HeaderTestPasses(const char* archivePath) {
    UniqueHandleFile file(CreateFileA(archivePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    uint8_t head[32];
    DWORD got = 0;
    if (!ReadFile(file.get(), head, sizeof head, &got, nullptr)) return false;
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
int32_t Finish(ArchiveExtractor* x, ArchiveReader* reader, int32_t outcome) {
    x->currentIndex = x->total;
    Notify(x);
    ClearState(x);
    if (reader && reader->open) (void)CloseArchive(reader);
    return outcome;
}

}  // namespace

int32_t RunExtraction(ArchiveExtractor* x, const char* archivePath, const char* targetFolder) {
    x->cancel = 0;
    x->total = 0;
    x->currentIndex = 0;
    x->currentPath[0] = '\0';
    if (!archivePath || !targetFolder || !*targetFolder || !PathExists(archivePath))
        return Finish(x, nullptr, -1);
    if (!PathExists(targetFolder) && !CreateFolderLevels(targetFolder)) return Finish(x, nullptr, 0);
    if (!HeaderTestPasses(archivePath)) return Finish(x, nullptr, 0);

    ArchiveReader reader;
    if (OpenArchive(&reader, archivePath, targetFolder) != kStatusOk) return Finish(x, &reader, 0);

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
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!PathExists(path) && !CreateFolderLevels(path)) return Finish(x, &reader, 0);
            // The files that follow are in it, as a rule: it need not be made again.
            const size_t n = TextLength(path);
            lstrcpynA(reader.lastFolder, path,
                      static_cast<int>(n > 0 && EndsWithSeparatorChar(path, false) ? n : n + 1));
        } else {
            if (UnpackEntry(&reader, i, path) != kStatusOk) return Finish(x, &reader, 0);
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        }

        x->currentIndex = static_cast<uint32_t>(i);
        lstrcpynA(x->currentPath, path, kPathBytes);
        Notify(x);
        if (x->cancel) {
            (void)CloseArchive(&reader);
            return 1;
        }
    }
    return Finish(x, &reader, 1);
}

}  // namespace qv::payload

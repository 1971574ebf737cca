#include "payload/archive_reader.h"

#include <cstring>

#include "payload/archive_file.h"
#include "payload/entry_data.h"
#include "payload/folders.h"
#include "payload/minizip_local.h"
#include "runtime/text.h"

namespace qv::payload {
namespace {

// minizip looks for the end records in the last 65535 bytes, 1 KiB at a time
// from the end.
constexpr uint64_t kEndSearchBytes = 0xFFFF;
constexpr uint32_t kAttributeDirectory = 0x10;

unzFile Zip(const ArchiveReader* reader) { return static_cast<unzFile>(reader->zip.get()); }

struct Output {
    const FileSystem* fs;
    void* file;
};

bool WriteBlock(void* output, const void* data, uint32_t size) {
    auto* o = static_cast<Output*>(output);
    return o->fs->write(o->file, data, size);
}

void CloseEntryData(ArchiveReader* reader) {
    if (reader->openEntry != -1) {
        unzCloseCurrentFile(Zip(reader));
        reader->openEntry = -1;
    }
}

// Moves minizip to entry index, back to the first entry when needed.
[[nodiscard]] bool Position(ArchiveReader* reader, int32_t index) {
    if (index < reader->position) {
        if (unzGoToFirstFile(Zip(reader)) != UNZ_OK) return false;
        reader->position = 0;
    }
    while (reader->position < index) {
        if (unzGoToNextFile(Zip(reader)) != UNZ_OK) return false;
        ++reader->position;
    }
    return true;
}

[[nodiscard]] uint32_t Describe(ArchiveReader* reader, int32_t index, ArchiveEntry* entry) {
    if (reader->refusals && reader->refusals[index] != Refusal::None)
        return StatusForRefusal(reader->refusals[index]);
    if (!Position(reader, index)) return kStatusHeaderMismatch;
    unz_file_info info{};
    char name[kPathBytes + 1] = {};
    if (unzGetCurrentFileInfo(Zip(reader), &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
        return kStatusHeaderMismatch;
    if (info.size_filename >= kPathBytes) return kStatusBadName;
    if (info.compression_method != 0 && info.compression_method != Z_DEFLATED) return kStatusHeaderMismatch;

    unsigned long extraOffset = 0;
    unsigned extraSize = 0;
    const int check = qv_unz_check_local(Zip(reader), &extraOffset, &extraSize);
    if (check == UNZ_ERRNO) return kStatusLocalExtra;
    if (check != UNZ_OK) return kStatusHeaderMismatch;
    UniqueBlock<uint8_t> extra(static_cast<uint8_t*>(AllocBlock(extraSize ? extraSize : 1)));
    if (qv_unz_read_at(Zip(reader), extraOffset, extra.get(), extraSize) != UNZ_OK) return kStatusLocalExtra;

    entry->index = index;
    std::memcpy(entry->name, name, info.size_filename);
    entry->name[info.size_filename] = '\0';
    entry->attributes = DecodeAttributes(static_cast<uint32_t>(info.external_fa));
    // DOS times are local times of the machine that made the archive.
    entry->accessTime = entry->creationTime = entry->writeTime =
        reader->fs->dosTime(reader->fs->context, static_cast<uint32_t>(info.dosDate));
    const UnixTimes ut = FindUnixTimes(extra.get(), extraSize);
    if (ut.write) entry->writeTime = UnixToFileTime(ut.writeTime);
    if (ut.access) entry->accessTime = UnixToFileTime(ut.accessTime);
    if (ut.creation) entry->creationTime = UnixToFileTime(ut.creationTime);
    entry->compressedSize = static_cast<uint32_t>(info.compressed_size);
    entry->uncompressedSize = static_cast<uint32_t>(info.uncompressed_size);
    return kStatusOk;
}

}  // namespace

void ZipCloser::operator()(void* zip) const noexcept { unzClose(static_cast<unzFile>(zip)); }

uint32_t OpenArchive(ArchiveReader* reader, const FileSystem& fs, const char* archivePath,
                     const char* rootFolder) {
    if (!reader) return kStatusBadIndex;
    const size_t rootLength = TextLength(rootFolder);
    if (reader->open || rootLength == 0 || rootLength + 1 >= kPathBytes) return kStatusAlreadyOpen;

    uint64_t size = 0;
    FileHandle file(&fs, fs.openForReading(fs.context, archivePath ? archivePath : "", &size));
    if (!file) return kStatusCannotOpen;
    UniqueBlock<ArchiveFile> source(static_cast<ArchiveFile*>(AllocBlock(sizeof(ArchiveFile))));
    *source = MakeArchiveFile(&fs, file.get(), size);
    // The structure is checked as a whole before anything is written.
    ArchiveLayout layout = ScanArchive(ReadArchiveExactly, source.get(), source->size);
    UniqueBlock<Refusal[]> refusals(std::move(layout.entryRefusals));
    if (layout.archive != Refusal::None) return kStatusCannotOpen;
    // Everything from the directory on, for minizip's header reads, and at
    // least the span its searches for the end records step back through.
    const uint64_t searchStart = source->size > kEndSearchBytes ? source->size - kEndSearchBytes : 0;
    const uint64_t tailStart = layout.directoryOffset < searchStart ? layout.directoryOffset : searchStart;
    const uint64_t tailLength = source->size - tailStart;
    UniqueBlock<uint8_t[]> tail(static_cast<uint8_t*>(AllocBlock(static_cast<size_t>(tailLength))));
    if (!ReadArchiveExactly(source.get(), tailStart, tail.get(), static_cast<size_t>(tailLength)))
        return kStatusCannotOpen;
    source->tailStart = tailStart;
    source->tail = tail.get();
    zlib_filefunc_def layer = ArchiveFileLayer(source.get());
    std::unique_ptr<void, ZipCloser> zip(unzOpen2("", &layer));
    unz_global_info global{};
    if (!zip || unzGetGlobalInfo(zip.get(), &global) != UNZ_OK || global.number_entry != layout.count)
        return kStatusCannotOpen;
    std::memcpy(reader->root, rootFolder, rootLength + 1);
    if (!EndsWithSeparatorChar(rootFolder, true)) {
        reader->root[rootLength] = '\\';
        reader->root[rootLength + 1] = '\0';
    }
    reader->fs = &fs;
    reader->zip = std::move(zip);
    reader->source = std::move(source);
    reader->tail = std::move(tail);
    reader->file = std::move(file);
    reader->refusals = std::move(refusals);
    reader->open = true;
    reader->count = static_cast<int32_t>(global.number_entry);
    reader->position = 0;
    reader->openEntry = -1;
    reader->cachedIndex = -1;
    reader->lastFolder[0] = '\0';
    return kStatusOk;
}

uint32_t GetEntry(ArchiveReader* reader, int32_t index, ArchiveEntry* entry) {
    if (entry) std::memset(entry, 0, sizeof *entry);
    if (!reader || !entry) return kStatusBadIndex;
    if (!reader->open) return kStatusNotOpen;
    if (index < -1 || index >= reader->count) return kStatusBadIndex;
    CloseEntryData(reader);
    // Before the cache: nothing is cached yet means a cached index of -1.
    if (index == -1) {
        entry->index = reader->count;
        return kStatusOk;
    }
    if (index == reader->cachedIndex) {
        *entry = reader->cached;
        return kStatusOk;
    }
    ArchiveEntry described{};
    const uint32_t status = Describe(reader, index, &described);
    if (status != kStatusOk) return status;
    reader->cached = described;
    reader->cachedIndex = index;
    *entry = described;
    return kStatusOk;
}

void NoteFolderMade(ArchiveReader* reader, const char* folder) {
    const size_t n = TextLength(folder);
    const size_t keep = n > 0 && EndsWithSeparatorChar(folder, false) ? n - 1 : n;
    if (keep >= kPathBytes) return;
    std::memcpy(reader->lastFolder, folder, keep);
    reader->lastFolder[keep] = '\0';
}

uint32_t UnpackEntry(ArchiveReader* reader, int32_t index, const char* outputPath) {
    if (!reader) return kStatusBadIndex;
    if (!reader->open) return kStatusNotOpen;
    CloseEntryData(reader);
    if (index < 0 || index >= reader->count) return kStatusBadIndex;
    ArchiveEntry entry;
    const uint32_t status = GetEntry(reader, index, &entry);
    if (status != kStatusOk) return status;
    if (IsUnsafeName(entry.name)) return kStatusBadName;
    // A cached description does not move minizip; the data read below must
    // be this entry's.
    if (!Position(reader, index)) return kStatusHeaderMismatch;
    const FileSystem& fs = *reader->fs;

    const size_t pathLength = TextLength(outputPath);
    // The last character, not the last byte: "\x95\x5C" ends a file name.
    if (EndsWithSeparatorChar(outputPath, true) || (entry.attributes & kAttributeDirectory)) {
        char folder[kPathBytes];
        const size_t rootLength = TextLength(reader->root), nameLength = TextLength(entry.name);
        if (rootLength + nameLength >= kPathBytes) return kStatusBadName;
        std::memcpy(folder, reader->root, rootLength);
        std::memcpy(folder + rootLength, entry.name, nameLength + 1);
        (void)CreateFolderChain(fs, folder);  // the folder case ignores the outcome
        return kStatusOk;
    }

    if (pathLength >= kPathBytes) return kStatusBadName;
    const ptrdiff_t cut = FindLastSeparator(outputPath, false);
    if (cut > 0) {
        // The parent is made once: the next file there finds it made.
        char parent[kPathBytes];
        std::memcpy(parent, outputPath, static_cast<size_t>(cut));
        parent[cut] = '\0';
        if (std::strcmp(parent, reader->lastFolder) != 0 && CreateFolderChain(fs, parent))
            NoteFolderMade(reader, parent);
    }
    FileHandle out(&fs, fs.create(fs.context, outputPath, entry.attributes));
    if (!out) return kStatusCannotOpen;

    // Data that reads and writes without error must still be exactly its
    // declared size and match its CRC-32.
    static char buffer[kDataBlockBytes];
    Output output{&fs, out.get()};
    if (ReadEntryData(Zip(reader), entry.uncompressedSize, WriteBlock, &output, buffer) == DataOutcome::Ok) {
        fs.setTimes(out.get(), EntryTimes{entry.creationTime, entry.accessTime, entry.writeTime});
        return kStatusOk;
    }
    // The part written stays, but not read-only or hidden as the entry asked:
    // a later run must be able to replace it.
    out.reset();
    fs.makeNormal(fs.context, outputPath);
    return kStatusWriteFailed;
}

uint32_t CloseArchive(ArchiveReader* reader) {
    if (!reader) return kStatusBadIndex;
    if (!reader->open) return kStatusNotOpen;
    CloseEntryData(reader);
    *reader = ArchiveReader{};  // minizip first, then the window, the file, the refusals
    return kStatusOk;
}

}  // namespace qv::payload

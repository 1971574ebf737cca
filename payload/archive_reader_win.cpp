#include "payload/archive_reader_win.h"

#include <cstring>

#include "payload/entry_data.h"
#include "payload/minizip_local.h"
#include "runtime/memory.h"
#include "runtime/text.h"

namespace qv::payload {

// The archive file as minizip and the scan read it. minizip reads headers a
// few bytes at a time: the central directory and the end record, read once
// after the scan, are served from memory, local headers from a window read
// ahead; blocks of entry data go straight to the file, one ReadFile each.
// Reads move the file pointer, which is set only where a read does not
// follow on from the last (a read at an offset costs many times more).
constexpr uint32_t kWindowBytes = 4096;
// minizip looks for the end records in the last 65535 bytes, 1 KiB at a time
// from the end.
constexpr uint64_t kEndSearchBytes = 0xFFFF;

struct ArchiveFile {
    HANDLE handle;
    uint64_t size;
    uint64_t position;     // minizip's
    uint64_t filePointer;  // the handle's
    uint64_t windowStart;
    uint32_t windowLength;
    uint8_t window[kWindowBytes];
    uint64_t tailStart;   // the directory (or more) to the end of the file, once read
    const uint8_t* tail;  // (the reader's)
};

namespace {

bool ReadFileAt(ArchiveFile* f, uint64_t offset, void* buffer, uint32_t size, uint32_t* got) {
    *got = 0;
    if (offset != f->filePointer) {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        f->filePointer = ~uint64_t{0};
        if (!SetFilePointerEx(f->handle, to, nullptr, FILE_BEGIN)) return false;
        f->filePointer = offset;
    }
    DWORD n = 0;
    const bool ok = ReadFile(f->handle, buffer, size, &n, nullptr);
    f->filePointer = ok ? offset + n : ~uint64_t{0};
    *got = n;
    return ok;
}

// Reads up to size bytes at offset; the count read (short only at the end
// of the file or on a read error).
uint32_t ReadAt(ArchiveFile* f, uint64_t offset, void* buffer, uint32_t size) {
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < size) {
        const uint64_t at = offset + done;
        if (f->tail && at >= f->tailStart && at < f->size) {
            const uint64_t available = f->size - at;
            const uint32_t n = static_cast<uint32_t>(available < size - done ? available : size - done);
            std::memcpy(out + done, &f->tail[at - f->tailStart], n);
            done += n;
            continue;
        }
        if (at >= f->windowStart && at < f->windowStart + f->windowLength) {
            const uint64_t available = f->windowStart + f->windowLength - at;
            const uint32_t n = static_cast<uint32_t>(available < size - done ? available : size - done);
            std::memcpy(out + done, f->window + (at - f->windowStart), n);
            done += n;
            continue;
        }
        uint32_t got = 0;
        if (size - done >= kWindowBytes) {
            if (ReadFileAt(f, at, out + done, size - done, &got)) done += got;
            break;
        }
        if (!ReadFileAt(f, at, f->window, kWindowBytes, &got) || got == 0) break;
        f->windowStart = at;
        f->windowLength = got;
    }
    return done;
}

// minizip's file layer: "opening" hands out the file OpenArchive opened, and
// closing leaves it to CloseArchive.
voidpf ZCALLBACK OpenHandle(voidpf opaque, const char*, int) { return opaque; }

uLong ZCALLBACK ReadHandle(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* f = static_cast<ArchiveFile*>(stream);
    const uint32_t got = ReadAt(f, f->position, buffer, static_cast<uint32_t>(size));
    f->position += got;
    return got;
}

uLong ZCALLBACK WriteHandle(voidpf, voidpf, const void*, uLong) { return 0; }

long ZCALLBACK TellHandle(voidpf, voidpf stream) {
    return static_cast<long>(static_cast<ArchiveFile*>(stream)->position);
}

long ZCALLBACK SeekHandle(voidpf, voidpf stream, uLong offset, int origin) {
    auto* f = static_cast<ArchiveFile*>(stream);
    const uint64_t base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? f->position
                          : origin == ZLIB_FILEFUNC_SEEK_END ? f->size
                                                             : 0;
    f->position = base + offset;
    return 0;
}

int ZCALLBACK CloseNothing(voidpf, voidpf) { return 0; }
int ZCALLBACK NoError(voidpf, voidpf) { return 0; }

unzFile Zip(const ArchiveReader* reader) { return static_cast<unzFile>(reader->zip.get()); }

bool ReadForScan(void* source, uint64_t offset, void* buffer, size_t size) {
    return ReadAt(static_cast<ArchiveFile*>(source), offset, buffer, static_cast<uint32_t>(size)) == size;
}

uint32_t StatusFor(Refusal refusal) {
    switch (refusal) {
        case Refusal::None:
            return kStatusOk;
        case Refusal::LocalExtra:
            return kStatusLocalExtra;
        case Refusal::EmptyName:
        case Refusal::UnsafeName:
        case Refusal::DeviceName:
        case Refusal::Colon:
        case Refusal::TrailingDotOrSpace:
        case Refusal::NameTooLong:
        case Refusal::FolderTooLong:
            return kStatusBadName;
        default:
            return kStatusHeaderMismatch;
    }
}

// A DOS date-time is the local time of that day: converted with the
// daylight-saving rule in force then, not with today's bias. An invalid one
// gives 0, which SetFileTime takes as "leave this time as it is".
FILETIME DosToUtc(uint32_t dosDate) {
    FILETIME local{}, utc{};
    SYSTEMTIME localTime{}, utcTime{};
    if (!DosDateTimeToFileTime(HIWORD(dosDate), LOWORD(dosDate), &local)) return FILETIME{};
    if (FileTimeToSystemTime(&local, &localTime) &&
        TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utcTime) &&
        SystemTimeToFileTime(&utcTime, &utc))
        return utc;
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

bool WriteBlock(void* file, const void* data, uint32_t size) {
    DWORD written = 0;
    return WriteFile(static_cast<HANDLE>(file), data, size, &written, nullptr) && written == size;
}

void CloseEntryData(ArchiveReader* reader) {
    if (reader->openEntry != -1) {
        unzCloseCurrentFile(Zip(reader));
        reader->openEntry = -1;
    }
}

FILETIME ToFileTime(uint64_t value) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(value);
    ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return ft;
}

// Moves minizip to entry index, back to the first entry when needed.
bool Position(ArchiveReader* reader, int32_t index) {
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

uint32_t Describe(ArchiveReader* reader, int32_t index, ArchiveEntry* entry) {
    if (reader->refusals && reader->refusals[index] != Refusal::None)
        return StatusFor(reader->refusals[index]);
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
        DosToUtc(static_cast<uint32_t>(info.dosDate));
    const UnixTimes ut = FindUnixTimes(extra.get(), extraSize);
    if (ut.write) entry->writeTime = ToFileTime(UnixToFileTime(ut.writeTime));
    if (ut.access) entry->accessTime = ToFileTime(UnixToFileTime(ut.accessTime));
    if (ut.creation) entry->creationTime = ToFileTime(UnixToFileTime(ut.creationTime));
    entry->compressedSize = static_cast<uint32_t>(info.compressed_size);
    entry->uncompressedSize = static_cast<uint32_t>(info.uncompressed_size);
    return kStatusOk;
}

}  // namespace

void ZipCloser::operator()(void* zip) const noexcept { unzClose(static_cast<unzFile>(zip)); }

bool PathExists(const char* path) { return path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

uint32_t OpenArchive(ArchiveReader* reader, const char* archivePath, const char* rootFolder) {
    if (!reader) return kStatusBadIndex;
    const size_t rootLength = TextLength(rootFolder);
    if (reader->open || rootLength == 0 || rootLength + 1 >= kPathBytes) return kStatusAlreadyOpen;

    UniqueHandleFile file(CreateFileA(archivePath ? archivePath : "", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) return kStatusCannotOpen;
    UniqueBlock<ArchiveFile> source(static_cast<ArchiveFile*>(AllocBlock(sizeof(ArchiveFile))));
    *source = ArchiveFile{file.get(), static_cast<uint64_t>(size.QuadPart), 0, 0, 0, 0, {}, 0, nullptr};
    // The structure is checked as a whole before anything is written.
    ArchiveLayout layout = ScanArchive(ReadForScan, source.get(), source->size);
    UniqueBlock<Refusal[]> refusals(std::move(layout.entryRefusals));
    if (layout.archive != Refusal::None) return kStatusCannotOpen;
    // Everything from the directory on, for minizip's header reads, and at
    // least the span its searches for the end records step back through.
    const uint64_t searchStart = source->size > kEndSearchBytes ? source->size - kEndSearchBytes : 0;
    const uint64_t tailStart = layout.directoryOffset < searchStart ? layout.directoryOffset : searchStart;
    const uint64_t tailLength = source->size - tailStart;
    UniqueBlock<uint8_t[]> tail(static_cast<uint8_t*>(AllocBlock(static_cast<size_t>(tailLength))));
    if (!ReadForScan(source.get(), tailStart, tail.get(), static_cast<uint32_t>(tailLength)))
        return kStatusCannotOpen;
    source->tailStart = tailStart;
    source->tail = tail.get();
    zlib_filefunc_def layer = {OpenHandle, ReadHandle,   WriteHandle, TellHandle,
                               SeekHandle, CloseNothing, NoError,     source.get()};
    std::unique_ptr<void, ZipCloser> zip(unzOpen2("", &layer));
    unz_global_info global{};
    if (!zip || unzGetGlobalInfo(zip.get(), &global) != UNZ_OK || global.number_entry != layout.count)
        return kStatusCannotOpen;
    reader->zip = std::move(zip);
    reader->source = std::move(source);
    reader->tail = std::move(tail);
    reader->file = std::move(file);
    reader->refusals = std::move(refusals);
    std::memcpy(reader->root, rootFolder, rootLength + 1);
    if (!EndsWithSeparatorChar(rootFolder, true)) {
        reader->root[rootLength] = '\\';
        reader->root[rootLength + 1] = '\0';
    }
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

    const size_t pathLength = TextLength(outputPath);
    // The last character, not the last byte: "\x95\x5C" ends a file name.
    if (EndsWithSeparatorChar(outputPath, true) || (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        char folder[kPathBytes];
        const size_t rootLength = TextLength(reader->root), nameLength = TextLength(entry.name);
        if (rootLength + nameLength >= kPathBytes) return kStatusBadName;
        std::memcpy(folder, reader->root, rootLength);
        std::memcpy(folder + rootLength, entry.name, nameLength + 1);
        (void)CreateFolderChain(folder);  // the folder case ignores the outcome
        return kStatusOk;
    }

    if (pathLength >= kPathBytes) return kStatusBadName;
    const ptrdiff_t cut = FindLastSeparator(outputPath, false);
    if (cut > 0) {
        // The parent is made once: the next file there finds it ensured.
        char parent[kPathBytes];
        std::memcpy(parent, outputPath, static_cast<size_t>(cut));
        parent[cut] = '\0';
        if (std::strcmp(parent, reader->lastFolder) != 0 && CreateFolderChain(parent))
            std::memcpy(reader->lastFolder, parent, static_cast<size_t>(cut) + 1);
    }
    UniqueHandleFile out(
        CreateFileA(outputPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, entry.attributes, nullptr));
    if (!out) return kStatusCannotOpen;

    // Data that reads and writes without error must still be exactly its
    // declared size and match its CRC-32.
    static char buffer[kDataBlockBytes];
    const bool failed =
        ReadEntryData(Zip(reader), entry.uncompressedSize, WriteBlock, out.get(), buffer) != DataOutcome::Ok;
    if (!failed && GetFileType(out.get()) == FILE_TYPE_DISK)
        SetFileTime(out.get(), &entry.creationTime, &entry.accessTime, &entry.writeTime);
    if (!failed) return kStatusOk;
    // The part written stays, but not read-only or hidden as the entry asked:
    // a later run must be able to replace it.
    out.reset();
    SetFileAttributesA(outputPath, FILE_ATTRIBUTE_NORMAL);
    return kStatusWriteFailed;
}

uint32_t CloseArchive(ArchiveReader* reader) {
    if (!reader) return kStatusBadIndex;
    if (!reader->open) return kStatusNotOpen;
    CloseEntryData(reader);
    *reader = ArchiveReader{};  // minizip first, then the window, the file, the refusals
    return kStatusOk;
}

bool CreateFolderChain(const char* path) {
    const size_t n = TextLength(path);
    if (n == 0 || n >= kPathBytes) return false;
    if (n == 2 && path[1] == ':') return true;
    if (CreateDirectoryA(path, nullptr)) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) return true;
    if (error != ERROR_PATH_NOT_FOUND) return false;

    char parent[kPathBytes];
    std::memcpy(parent, path, n + 1);
    ptrdiff_t cut = FindLastSeparator(parent, true);
    if (cut < 0) return false;
    if (static_cast<size_t>(cut) == n - 1) {
        parent[cut] = '\0';
        cut = FindLastSeparator(parent, true);
        if (cut < 0) return false;
    }
    parent[cut] = '\0';
    if (!CreateFolderChain(parent)) return false;
    return CreateDirectoryA(path, nullptr) != 0;
}

bool CreateFolderLevels(const char* path) {
    char full[kPathBytes];
    size_t n = TextLength(path);
    const bool separator = !EndsWithSeparatorChar(path, false);
    if (n + separator >= kPathBytes) return false;
    if (n) std::memcpy(full, path, n);
    if (separator) full[n++] = '\\';
    full[n] = '\0';
    for (size_t k = 0; k < n;) {
        const size_t bytes = CharBytes(full + k, n - k);
        if (bytes == 2) {
            k += 2;
            continue;
        }
        if (full[k] == '\\') {
            const char kept = full[k + 1];
            full[k + 1] = '\0';
            const bool ok = PathExists(full) || CreateFolderChain(full);
            full[k + 1] = kept;
            if (!ok) return false;
        }
        ++k;
    }
    return true;
}

}  // namespace qv::payload

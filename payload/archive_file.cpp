#include "payload/archive_file.h"

#include <cstring>

namespace qv::payload {
namespace {

voidpf ZCALLBACK OpenGiven(voidpf opaque, const char*, int) { return opaque; }

uLong ZCALLBACK ReadLayer(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* f = static_cast<ArchiveFile*>(stream);
    const uint32_t got = ReadArchive(f, f->position, buffer, static_cast<uint32_t>(size));
    f->position += got;
    return got;
}

uLong ZCALLBACK WriteNothing(voidpf, voidpf, const void*, uLong) { return 0; }

long ZCALLBACK TellLayer(voidpf, voidpf stream) {
    return static_cast<long>(static_cast<ArchiveFile*>(stream)->position);
}

long ZCALLBACK SeekLayer(voidpf, voidpf stream, uLong offset, int origin) {
    auto* f = static_cast<ArchiveFile*>(stream);
    const uint64_t base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? f->position
                          : origin == ZLIB_FILEFUNC_SEEK_END ? f->size
                                                             : 0;
    f->position = base + offset;
    return 0;
}

int ZCALLBACK CloseNothing(voidpf, voidpf) { return 0; }
int ZCALLBACK NoError(voidpf, voidpf) { return 0; }

}  // namespace

ArchiveFile MakeArchiveFile(const FileSystem* fs, void* file, uint64_t size) {
    return ArchiveFile{fs, file, size, 0, 0, 0, {}, 0, nullptr};
}

uint32_t ReadArchive(ArchiveFile* f, uint64_t offset, void* buffer, uint32_t size) {
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
            if (f->fs->read(f->file, at, out + done, size - done, &got)) done += got;
            break;
        }
        if (!f->fs->read(f->file, at, f->window, kWindowBytes, &got) || got == 0) break;
        f->windowStart = at;
        f->windowLength = got;
    }
    return done;
}

bool ReadArchiveExactly(void* archiveFile, uint64_t offset, void* buffer, size_t size) {
    return ReadArchive(static_cast<ArchiveFile*>(archiveFile), offset, buffer, static_cast<uint32_t>(size)) ==
           size;
}

zlib_filefunc_def ArchiveFileLayer(ArchiveFile* f) {
    return zlib_filefunc_def{OpenGiven, ReadLayer,    WriteNothing, TellLayer,
                             SeekLayer, CloseNothing, NoError,      f};
}

}  // namespace qv::payload

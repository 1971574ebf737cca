#include "tests/support/native_walk.h"

#include <cstring>

#include "payload/archive_format.h"
#include "payload/archive_rules.h"
#include "payload/entry_data.h"
#include "payload/minizip_local.h"
#include "runtime/text.h"

namespace qv::test {
namespace {

using payload::Refusal;

// minizip's file layer over a string.
struct Memory {
    const std::string* bytes;
    uint64_t position;
};
voidpf ZCALLBACK OpenMemory(voidpf opaque, const char*, int) { return opaque; }
uLong ZCALLBACK ReadMemory(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* m = static_cast<Memory*>(stream);
    if (m->position >= m->bytes->size()) return 0;
    const uLong n = static_cast<uLong>(std::min<uint64_t>(size, m->bytes->size() - m->position));
    std::memcpy(buffer, m->bytes->data() + m->position, n);
    m->position += n;
    return n;
}
uLong ZCALLBACK WriteNothing(voidpf, voidpf, const void*, uLong) { return 0; }
long ZCALLBACK TellMemory(voidpf, voidpf stream) {
    return static_cast<long>(static_cast<Memory*>(stream)->position);
}
long ZCALLBACK SeekMemory(voidpf, voidpf stream, uLong offset, int origin) {
    auto* m = static_cast<Memory*>(stream);
    const uint64_t base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? m->position
                          : origin == ZLIB_FILEFUNC_SEEK_END ? m->bytes->size()
                                                             : 0;
    m->position = base + offset;
    return 0;
}
int ZCALLBACK CloseNothing(voidpf, voidpf) { return 0; }
int ZCALLBACK NoError(voidpf, voidpf) { return 0; }

bool Count(void* context, const void*, uint32_t size) {
    static_cast<WalkOutput*>(context)->bytes += size;
    return true;
}

}  // namespace

WalkResult WalkArchive(const std::string& archive, const char* target) {
    WalkResult result;
    if (!payload::PassesHeaderTest(reinterpret_cast<const uint8_t*>(archive.data()), archive.size()))
        return result;
    payload::MemoryArchive source{archive.data(), archive.size()};
    payload::ArchiveLayout layout = payload::ScanArchive(payload::ReadMemoryArchive, &source, archive.size());
    if (layout.archive != Refusal::None) return result;

    Memory memory{&archive, 0};
    zlib_filefunc_def layer = {OpenMemory, ReadMemory,   WriteNothing, TellMemory,
                               SeekMemory, CloseNothing, NoError,      &memory};
    unzFile zip = unzOpen2("", &layer);
    unz_global_info global{};
    if (!zip || unzGetGlobalInfo(zip, &global) != UNZ_OK || global.number_entry != layout.count) {
        if (zip) unzClose(zip);
        return result;
    }
    static char buffer[payload::kDataBlockBytes];
    uint32_t i = 0;
    for (; i < layout.count; ++i) {
        if (layout.entryRefusals[i] != Refusal::None) break;
        if ((i == 0 ? unzGoToFirstFile(zip) : unzGoToNextFile(zip)) != UNZ_OK) break;
        unz_file_info info{};
        char name[payload::kPathBytes + 1] = {};
        if (unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) break;
        unsigned long extraOffset = 0;
        unsigned extraSize = 0;
        if (qv_unz_check_local(zip, &extraOffset, &extraSize) != UNZ_OK) break;
        WalkOutput out;
        char path[payload::kPathBytes];
        if (payload::CheckOutputLength(TextLength(target), EndsWithSeparatorChar(target, false), name,
                                       TextLength(name)) != Refusal::None ||
            !payload::MapOutputPath(target, name, path))
            break;
        out.path = path;
        out.declared = static_cast<uint32_t>(info.uncompressed_size);
        out.folder = payload::IsFolderEntry(name, TextLength(name), static_cast<uint32_t>(info.external_fa));
        if (!out.folder &&
            payload::ReadEntryData(zip, out.declared, Count, &out, buffer) != payload::DataOutcome::Ok) {
            result.outputs.push_back(out);
            break;
        }
        result.outputs.push_back(out);
    }
    result.complete = i == layout.count;
    result.failedAt = result.complete ? -1 : static_cast<int32_t>(i);
    unzClose(zip);
    return result;
}

}  // namespace qv::test

#include "payload/staging_win.h"

#include <cstring>

#include "runtime/files_win.h"
#include "runtime/memory.h"
#include "runtime/values.h"

namespace qv::payload {
namespace {

constexpr DWORD kCompareBlock = 256 * 1024;

}  // namespace

bool HoldsExactly(HANDLE file, const uint8_t* bytes, uint32_t length) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart != static_cast<LONGLONG>(length)) return false;
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
    UniqueBlock<uint8_t[]> block(static_cast<uint8_t*>(AllocBlock(kCompareBlock)));
    for (uint32_t done = 0;;) {
        DWORD got = 0;
        if (!ReadFile(file, block.get(), kCompareBlock, &got, nullptr)) return false;
        if (got == 0) return done == length;
        if (got > length - done || std::memcmp(block.get(), bytes + done, got) != 0) return false;
        done += got;
    }
}

PinnedFile StagePayload(const char* path) {
    const TypedValue constant = MakeByteSet(qv_payload_archive);
    TypedValue copy{};
    ToByteSet(&copy, 1, &constant);
    TypedValue written{};
    {
        UniqueBlock<const void> bytes(copy.bytes);
        const TypedValue args[2] = {MakeText(path ? path : ""),
                                    MakeByteSet(bytes ? bytes.get() : qv_empty_byte_set)};
        WriteBytesToFile(&written, 2, args);
    }
    if (!written.word) return {};
    // Between the write and this open the file was the user's to change:
    // only what it holds now, unchangeable while held, counts.
    PinnedFile staged = OpenForReading(path);
    if (!staged ||
        !HoldsExactly(staged.file.get(), ByteSetData(qv_payload_archive), ByteSetLength(qv_payload_archive)))
        return {};
    return staged;
}

}  // namespace qv::payload

#include "payload/staging_win.h"

#include "runtime/files_win.h"
#include "runtime/memory.h"
#include "runtime/values.h"

namespace qv::payload {

bool StagePayload(const char* path) {
    const TypedValue constant = MakeByteSet(qv_payload_archive);
    TypedValue copy{};
    ToByteSet(&copy, 1, &constant);
    const UniqueBlock<const void> bytes(copy.bytes);
    const TypedValue args[2] = {MakeText(path ? path : ""),
                                MakeByteSet(bytes ? bytes.get() : qv_empty_byte_set)};
    TypedValue written{};
    WriteBytesToFile(&written, 2, args);
    return written.word != 0;
}

}  // namespace qv::payload

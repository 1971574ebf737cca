#include "payload/staging_win.h"

#include "installer/product.h"
#include "runtime/files_win.h"
#include "runtime/memory.h"
#include "runtime/values.h"
#include "shell/shell_win.h"

namespace qv::payload {

void StagePayloadInto(const char* folder) {
    char* path = ConcatTexts({folder, installer::kStagingArchive});
    const TypedValue constant = MakeByteSet(qv_payload_archive);
    TypedValue copy{};
    ToByteSet(&copy, 1, &constant);
    const TypedValue args[2] = {MakeText(path ? path : ""),
                                MakeByteSet(copy.bytes ? copy.bytes : qv_empty_byte_set)};
    TypedValue ignored{};
    WriteBytesToFile(&ignored, 2, args);
    FreeBlock(path);
    FreeBlock(const_cast<void*>(copy.bytes));
}

void StagePayload() {
    const TypedValue kind = MakeInt(installer::kFolderAppData);
    TypedValue folder{};
    shell::GetSpecialFolder(&folder, 1, &kind);
    char* text = const_cast<char*>(folder.text);
    StagePayloadInto(text);
    FreeBlock(text);
}

}  // namespace qv::payload

#include "payload/staging_win.h"

#include "installer/product.h"
#include "runtime/files_win.h"
#include "runtime/memory.h"
#include "runtime/values.h"
#include "shell/shell_win.h"

namespace qv::payload {

void StagePayloadInto(const char* folder) {
    UniqueBlock<char> path(ConcatTexts({folder, installer::kStagingArchive}));
    const TypedValue constant = MakeByteSet(qv_payload_archive);
    TypedValue copy{};
    ToByteSet(&copy, 1, &constant);
    UniqueBlock<const void> bytes(copy.bytes);
    const TypedValue args[2] = {MakeText(path ? path.get() : ""),
                                MakeByteSet(bytes ? bytes.get() : qv_empty_byte_set)};
    TypedValue ignored{};
    WriteBytesToFile(&ignored, 2, args);
}

void StagePayload() {
    const TypedValue kind = MakeInt(installer::kFolderAppData);
    TypedValue folder{};
    shell::GetSpecialFolder(&folder, 1, &kind);
    UniqueBlock<const char> text(folder.text);
    StagePayloadInto(text.get());
}

}  // namespace qv::payload

// The payload archive constant and its staging to a file.
#pragma once

#include <cstdint>

#include "runtime/pinned_file_win.h"

extern "C" const uint8_t qv_payload_archive[];  // byte set: 1, length, archive bytes
extern "C" const uint8_t qv_empty_byte_set[];   // byte set: 1, 0

namespace qv::payload {

// Writes the payload archive as the whole content of path with one
// WriteBytesToFile, then opens the file again, held against any change (no
// write or delete sharing), and checks that it holds exactly the archive.
// The file stays held, as the result, while the caller extracts it (a read
// shared for reading still opens it). Empty when the write failed, the file
// cannot be opened that way, or its bytes differ: it must not be extracted.
[[nodiscard]] PinnedFile StagePayload(const char* path);

// True when the file, read from its start, holds exactly bytes[0, length).
[[nodiscard]] bool HoldsExactly(HANDLE file, const uint8_t* bytes, uint32_t length);

}  // namespace qv::payload

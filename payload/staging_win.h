// The payload archive constant and its staging to a file.
#pragma once

#include <cstdint>

extern "C" const uint8_t qv_payload_archive[];  // byte set: 1, length, archive bytes
extern "C" const uint8_t qv_empty_byte_set[];   // byte set: 1, 0

namespace qv::payload {

// Writes a heap copy of the payload archive as the whole content of path with
// one WriteBytesToFile and frees the copy. True when it was written. Nothing
// reads the file back: the extraction reads the payload in the image.
bool StagePayload(const char* path);

}  // namespace qv::payload

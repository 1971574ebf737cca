// The payload archive constant and its staging to the application-data folder.
#pragma once

#include <cstdint>

extern "C" const uint8_t qv_payload_archive[];  // byte set: 1, length, archive bytes
extern "C" const uint8_t qv_empty_byte_set[];   // byte set: 1, 0

namespace qv::payload {

// Writes the payload archive as the whole content of
// GetSpecialFolder(8) + "Moranzo\Quorvane.zip" with one WriteBytesToFile;
// the result is not examined.
void StagePayload();

// The same below folder (a text ending in "\", or null: the path is then
// relative to the current directory).
void StagePayloadInto(const char* folder);

}  // namespace qv::payload

// Reading one entry's data through minizip with the checks that make it
// trustworthy: exactly its declared size, a stream that ends there, and a
// matching CRC-32. Portable: minizip and zlib only.
#pragma once

#include <cstdint>

#include "payload/minizip_local.h"

namespace qv::payload {

enum class DataOutcome {
    Ok,
    Unreadable,  // cannot be opened, read or inflated
    Mismatch,    // shorter or longer than declared, or its CRC-32 differs
    SinkFailed,  // the sink refused a block
};

// Receives each block of data in order; false stops the reading.
using DataSink = bool (*)(void* context, const void* data, uint32_t size);

constexpr uint32_t kDataBlockBytes = 16384;

// Opens the data of zip's current entry, hands it to sink in blocks of at
// most kDataBlockBytes read into buffer, and closes it again. Nothing is
// handed on beyond declaredSize bytes.
DataOutcome ReadEntryData(unzFile zip, uint32_t declaredSize, DataSink sink, void* context,
                          char (&buffer)[kDataBlockBytes]);

}  // namespace qv::payload

#include "payload/entry_data.h"

namespace qv::payload {

DataOutcome ReadEntryData(unzFile zip, uint32_t declaredSize, DataSink sink, void* context,
                          char (&buffer)[kDataBlockBytes]) {
    if (unzOpenCurrentFile(zip) != UNZ_OK) return DataOutcome::Unreadable;
    DataOutcome outcome = DataOutcome::Ok;
    uint32_t total = 0;
    for (;;) {
        const int got = unzReadCurrentFile(zip, buffer, kDataBlockBytes);
        if (got < 0) {
            outcome = DataOutcome::Unreadable;
            break;
        }
        if (got == 0) break;
        total += static_cast<uint32_t>(got);
        if (!sink(context, buffer, static_cast<uint32_t>(got))) {
            outcome = DataOutcome::SinkFailed;
            break;
        }
    }
    // minizip stops at the declared size and compares the CRC-32 only when
    // all of it came: a stream ending early, or going on, is checked here.
    if (outcome == DataOutcome::Ok && (total != declaredSize || !qv_unz_data_ends(zip)))
        outcome = DataOutcome::Mismatch;
    const int closed = unzCloseCurrentFile(zip);
    if (outcome == DataOutcome::Ok && closed == UNZ_CRCERROR) outcome = DataOutcome::Mismatch;
    return outcome;
}

}  // namespace qv::payload

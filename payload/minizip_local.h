/* Local-header access to an open minizip archive. */
#ifndef QV_MINIZIP_LOCAL_H
#define QV_MINIZIP_LOCAL_H

#include "unzip.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Checks the current entry's local header against its central record
   (minizip's own test) and gives where its local extra field lies.
   UNZ_OK, UNZ_BADZIPFILE on a mismatch, UNZ_ERRNO when unreadable. */
int qv_unz_check_local(unzFile file, unsigned long* extraOffset, unsigned* extraSize);

/* Reads size bytes at offset of the archive file. UNZ_OK or UNZ_ERRNO. */
int qv_unz_read_at(unzFile file, unsigned long offset, void* buffer, unsigned size);

/* After the declared size of the open entry has been read: 1 when its data
   ends exactly there (a deflate stream at its end that used up the whole
   compressed size; stored data used up), 0 when more data follows or the
   stream does not end. */
int qv_unz_data_ends(unzFile file);

#ifdef __cplusplus
}
#endif

#endif

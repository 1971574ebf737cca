/* minizip's unzip, compiled here so that the local-header check and the
   local extra field read can be reached for an entry before its data is
   opened. */
#define NOUNCRYPT
#include "payload/minizip_local.h"
#include "unzip.c"

int qv_unz_check_local(unzFile file, unsigned long* extraOffset, unsigned* extraSize) {
    unz64_s* s = (unz64_s*)file;
    uInt sizeVar = 0;
    ZPOS64_T offset = 0;
    uInt size = 0;
    int err;
    if (s == NULL || !s->current_file_ok) return UNZ_PARAMERROR;
    err = unz64local_CheckCurrentFileCoherencyHeader(s, &sizeVar, &offset, &size);
    *extraOffset = (unsigned long)offset;
    *extraSize = size;
    return err;
}

int qv_unz_read_at(unzFile file, unsigned long offset, void* buffer, unsigned size) {
    unz64_s* s = (unz64_s*)file;
    if (s == NULL) return UNZ_PARAMERROR;
    if (ZSEEK64(s->z_filefunc, s->filestream, offset + s->byte_before_the_zipfile, ZLIB_FILEFUNC_SEEK_SET) !=
        0)
        return UNZ_ERRNO;
    if (size && ZREAD64(s->z_filefunc, s->filestream, buffer, size) != size) return UNZ_ERRNO;
    return UNZ_OK;
}

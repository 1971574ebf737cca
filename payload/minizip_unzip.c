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

int qv_unz_data_ends(unzFile file) {
    unz64_s* s = (unz64_s*)file;
    file_in_zip64_read_info_s* p = s ? s->pfile_in_zip_read : NULL;
    if (p == NULL || p->rest_read_uncompressed != 0) return 0;
    if (p->compression_method == 0) return p->rest_read_compressed == 0 && p->stream.avail_in == 0;
    /* Deflate: the stream must end here and use up the compressed size. */
    for (;;) {
        Bytef spare;
        int err;
        if (p->stream.avail_in == 0 && p->rest_read_compressed > 0) {
            uInt n = UNZ_BUFSIZE;
            if (p->rest_read_compressed < n) n = (uInt)p->rest_read_compressed;
            if (ZSEEK64(p->z_filefunc, p->filestream, p->pos_in_zipfile + p->byte_before_the_zipfile,
                        ZLIB_FILEFUNC_SEEK_SET) != 0 ||
                ZREAD64(p->z_filefunc, p->filestream, p->read_buffer, n) != n)
                return 0;
            p->pos_in_zipfile += n;
            p->rest_read_compressed -= n;
            p->stream.next_in = (Bytef*)p->read_buffer;
            p->stream.avail_in = n;
        }
        p->stream.next_out = &spare;
        p->stream.avail_out = 1;
        err = inflate(&p->stream, Z_SYNC_FLUSH);
        if (p->stream.avail_out == 0) return 0; /* more data than declared */
        if (err == Z_STREAM_END) return p->stream.avail_in == 0 && p->rest_read_compressed == 0;
        if (err != Z_OK || (p->stream.avail_in == 0 && p->rest_read_compressed == 0)) return 0;
    }
}

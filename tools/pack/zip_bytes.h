// Little-endian fields and raw deflate for writing ZIP archives.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>

namespace qv::pack {

inline void Put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}
inline void Put64(std::string& s, uint64_t v) {
    Put32(s, static_cast<uint32_t>(v));
    Put32(s, static_cast<uint32_t>(v >> 32));
}

// The data as a raw deflate stream (no zlib header), at the given level.
inline std::string RawDeflate(const std::string& data, int level) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Appends the central directory and a single-disk end record without comment.
inline void AppendCentralDirectory(std::string& archive, const std::string& central, uint32_t entries) {
    const uint32_t offset = static_cast<uint32_t>(archive.size());
    archive += central;
    Put32(archive, 0x06054b50);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, entries);
    Put16(archive, entries);
    Put32(archive, static_cast<uint32_t>(central.size()));
    Put32(archive, offset);
    Put16(archive, 0);
}

inline uint32_t Crc32(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

}  // namespace qv::pack

#include "tools/pack/zip_check.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>

#include "payload/archive_format.h"

namespace qv::pack {
namespace {

uint32_t Get16(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8);
}
uint32_t Get32(const std::string& s, size_t at) { return Get16(s, at) | (Get16(s, at + 2) << 16); }

std::string EntryMessage(uint32_t index, const std::string& name, const std::string& reason) {
    return "entry " + std::to_string(index) + " \"" + name + "\": " + reason;
}

// Inflates or copies an entry's data and compares size and CRC-32.
bool DataMatches(const std::string& stored, uint32_t method, uint32_t size, uint32_t crc) {
    std::string out;
    if (method == 0) {
        out = stored;
    } else {
        z_stream z{};
        if (inflateInit2(&z, -15) != Z_OK) return false;
        out.resize(size);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.data()));
        z.avail_in = static_cast<uInt>(stored.size());
        z.next_out = reinterpret_cast<Bytef*>(out.empty() ? nullptr : &out[0]);
        z.avail_out = static_cast<uInt>(out.size());
        uint8_t spare;
        int rc = inflate(&z, Z_FINISH);
        if (rc == Z_BUF_ERROR && z.avail_out == 0) {
            // The whole size came out; the stream must end here too.
            z.next_out = &spare;
            z.avail_out = 1;
            rc = inflate(&z, Z_FINISH);
        }
        const bool ended = rc == Z_STREAM_END && z.total_out == size;
        inflateEnd(&z);
        if (!ended) return false;
    }
    return out.size() == size &&
           crc32(0, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size())) == crc;
}

}  // namespace

std::string CheckArchive(const std::string& s) {
    if (s.size() < 32 || !payload::PassesHeaderTest(reinterpret_cast<const uint8_t*>(s.data()), 32))
        return "archive: does not begin with a local header of a named first entry";
    size_t eocd = std::string::npos;
    for (size_t back = 22; back <= s.size() && back <= 65535 + 22; ++back) {
        if (Get32(s, s.size() - back) == 0x06054b50) {
            eocd = s.size() - back;
            break;
        }
    }
    if (eocd == std::string::npos)
        return "archive: no end-of-central-directory record in its last 65535 bytes";
    if (s.size() - eocd > 65535) return "archive: end record further than 65535 bytes from the end";
    if (eocd >= 20 && Get32(s, eocd - 20) == 0x07064b50) return "archive: ZIP64 records are not supported";
    const uint32_t disk = Get16(s, eocd + 4), cdDisk = Get16(s, eocd + 6);
    const uint32_t onDisk = Get16(s, eocd + 8), total = Get16(s, eocd + 10);
    const uint32_t cdSize = Get32(s, eocd + 12), cdOffset = Get32(s, eocd + 16);
    if (disk != 0 || cdDisk != 0 || onDisk != total) return "archive: spread over several disks";
    if (total == 0xFFFF || cdSize == 0xFFFFFFFF || cdOffset == 0xFFFFFFFF)
        return "archive: ZIP64 records are not supported";
    if (static_cast<uint64_t>(cdOffset) + cdSize > eocd) return "archive: central directory outside the file";

    size_t at = cdOffset;
    for (uint32_t i = 0; i < total; ++i) {
        if (at + 46 > eocd || Get32(s, at) != 0x02014b50)
            return "entry " + std::to_string(i) + ": central record unreadable";
        const uint32_t flags = Get16(s, at + 8), method = Get16(s, at + 10), crc = Get32(s, at + 16);
        const uint32_t csize = Get32(s, at + 20), usize = Get32(s, at + 24);
        const uint32_t nameLength = Get16(s, at + 28), extraLength = Get16(s, at + 30),
                       commentLength = Get16(s, at + 32);
        const uint32_t local = Get32(s, at + 42);
        if (at + 46 + nameLength > eocd) return "entry " + std::to_string(i) + ": central record unreadable";
        const std::string name = s.substr(at + 46, nameLength);
        at += 46 + nameLength + extraLength + commentLength;

        if (name.empty()) return EntryMessage(i, name, "empty name");
        if (flags & 1) return EntryMessage(i, name, "encrypted");
        if (method != 0 && method != 8)
            return EntryMessage(i, name, "compression method " + std::to_string(method));
        if (csize == 0xFFFFFFFF || usize == 0xFFFFFFFF || local == 0xFFFFFFFF)
            return EntryMessage(i, name, "ZIP64 sizes are not supported");
        if (name.find('\0') != std::string::npos || payload::IsUnsafeName(name.c_str()))
            return EntryMessage(i, name, "absolute name or \"..\" segment");
        if (name.size() >= payload::kPathBytes) return EntryMessage(i, name, "name of 260 bytes or more");
        if (std::strlen(kLongestRoot) + name.size() >= payload::kPathBytes)
            return EntryMessage(i, name, std::string("does not fit 260 bytes below ") + kLongestRoot);

        if (static_cast<uint64_t>(local) + 30 > s.size() || Get32(s, local) != 0x04034b50)
            return EntryMessage(i, name, "no local header at its offset");
        const uint32_t localMethod = Get16(s, local + 8), localCrc = Get32(s, local + 14);
        const uint32_t localCsize = Get32(s, local + 18), localUsize = Get32(s, local + 22);
        const uint32_t localName = Get16(s, local + 26), localExtra = Get16(s, local + 28);
        const bool descriptor = (flags & 8) != 0;
        if (localMethod != method || localName != nameLength ||
            (!descriptor && (localCrc != crc || localCsize != csize || localUsize != usize)) ||
            s.compare(local + 30, nameLength, name) != 0)
            return EntryMessage(i, name, "local header disagrees with the central record");
        const uint64_t data = static_cast<uint64_t>(local) + 30 + localName + localExtra;
        if (data + csize > cdOffset) return EntryMessage(i, name, "data beyond the archive's entries");
        if (!DataMatches(s.substr(static_cast<size_t>(data), csize), method, usize, crc))
            return EntryMessage(i, name, "data does not inflate to its size and CRC-32");
    }
    return "";
}

}  // namespace qv::pack

#include "tests/support/zip_builder.h"

#include "tools/pack/zip_bytes.h"

namespace qv::test {

using pack::Crc32;
using pack::Put16;
using pack::Put32;

std::string BuildZip(const std::vector<ZipEntrySpec>& entries) {
    std::string archive, central;
    for (const ZipEntrySpec& e : entries) {
        const uint32_t method = e.method >= 0 ? e.method : (e.deflate ? 8 : 0);
        std::string stored = e.deflate ? pack::RawDeflate(e.data, 6) : e.data;
        if (e.corruptData)
            for (size_t i = 0; i < stored.size(); i += 3) stored[i] = static_cast<char>(~stored[i]);
        const uint32_t size = e.declaredSize >= 0 ? static_cast<uint32_t>(e.declaredSize)
                                                  : static_cast<uint32_t>(e.data.size());
        uint32_t crc = Crc32(e.data.substr(0, size));
        if (e.wrongCrc) crc ^= 0x5A5A5A5A;
        const uint32_t offset = static_cast<uint32_t>(archive.size());
        const uint32_t needed = method == 8 ? 20 : 10;

        std::string local;
        Put32(local, 0x04034b50);
        Put16(local, needed);
        Put16(local, 0);
        Put16(local, e.localMethod >= 0 ? static_cast<uint32_t>(e.localMethod) : method);
        Put16(local, e.dosTime);
        Put16(local, e.dosDate);
        Put32(local, crc);
        Put32(local, static_cast<uint32_t>(stored.size()));
        Put32(local, size);
        Put16(local, static_cast<uint32_t>(e.name.size()));
        Put16(local, e.localExtraLength >= 0 ? static_cast<uint32_t>(e.localExtraLength)
                                             : static_cast<uint32_t>(e.localExtra.size()));
        archive += local + e.name + e.localExtra + stored;

        Put32(central, 0x02014b50);
        Put16(central, 63);
        Put16(central, needed);
        Put16(central, 0);
        Put16(central, method);
        Put16(central, e.dosTime);
        Put16(central, e.dosDate);
        Put32(central, crc);
        Put32(central, static_cast<uint32_t>(stored.size()));
        Put32(central, size);
        Put16(central, static_cast<uint32_t>(e.name.size()));
        Put16(central, static_cast<uint32_t>(e.centralExtra.size()));
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, e.external);
        Put32(central, offset);
        central += e.name + e.centralExtra;
    }
    pack::AppendCentralDirectory(archive, central, static_cast<uint32_t>(entries.size()));
    return archive;
}

ZipEntrySpec FolderEntry(const std::string& name) {
    ZipEntrySpec e;
    e.name = name;
    e.deflate = false;
    e.external = 0x10;
    return e;
}

std::string UtBlock(uint8_t flags, const std::vector<uint32_t>& times) {
    std::string block = "UT";
    Put16(block, static_cast<uint32_t>(1 + 4 * times.size()));
    block += static_cast<char>(flags);
    for (uint32_t t : times) Put32(block, t);
    return block;
}

std::string Filler(size_t size, uint32_t seed, bool random) {
    std::string out(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    static const char* const kWords[] = {"quorvane ", "zentrel ", "data ", "value ",
                                         "index ",    "res ",     "\r\n",  "= "};
    size_t i = 0;
    while (i < size) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        if (random) {
            out[i++] = static_cast<char>(x);
        } else {
            for (const char* w = kWords[x % 8]; *w && i < size; ++w) out[i++] = *w;
        }
    }
    return out;
}

}  // namespace qv::test

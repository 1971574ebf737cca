#include "tools/pack/zip_check.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>

#include "installer/product.h"
#include "payload/archive_format.h"
#include "payload/archive_rules.h"
#include "runtime/text.h"

namespace qv::pack {
namespace {

using payload::Refusal;

uint32_t Get16(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8);
}
uint32_t Get32(const std::string& s, size_t at) { return Get16(s, at) | (Get16(s, at + 2) << 16); }

std::string EntryMessage(uint32_t index, const std::string& name, Refusal refusal) {
    return "entry " + std::to_string(index) + " \"" + name + "\": " + payload::RefusalText(refusal);
}

// Inflates or copies an entry's data: exactly its size, a stream that ends
// there and uses up the compressed size, and its CRC-32.
bool DataMatches(const std::string& stored, uint32_t method, uint32_t size, uint32_t crc) {
    std::string out;
    if (method == 0) {
        out = stored;
    } else {
        z_stream z{};
        if (inflateInit2(&z, -15) != Z_OK) return false;
        out.resize(size + 1);  // one byte more: data beyond the size shows
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.data()));
        z.avail_in = static_cast<uInt>(stored.size());
        z.next_out = reinterpret_cast<Bytef*>(&out[0]);
        z.avail_out = static_cast<uInt>(out.size());
        const int rc = inflate(&z, Z_FINISH);
        const bool ended = rc == Z_STREAM_END && z.total_out == size && z.avail_in == 0;
        inflateEnd(&z);
        if (!ended) return false;
        out.resize(size);
    }
    return out.size() == size &&
           crc32(0, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size())) == crc;
}

constexpr uint32_t kUtf8NameFlag = 0x0800;  // general-purpose flag bit 11

bool IsAscii(const std::string& name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool IsFolder(const std::string& name, uint32_t external) {
    return payload::IsFolderEntry(name.data(), name.size(), external);
}

}  // namespace

std::string CheckExtractable(const std::string& s) {
    if (s.size() < 32 || !payload::PassesHeaderTest(reinterpret_cast<const uint8_t*>(s.data()), 32))
        return "archive: does not begin with a local header of a named first entry";
    payload::MemoryArchive memory{s.data(), s.size()};
    payload::ArchiveLayout layout = payload::ScanArchive(payload::ReadMemoryArchive, &memory, s.size());
    if (layout.archive != Refusal::None) {
        return std::string("archive: ") + payload::RefusalText(layout.archive);
    }
    std::string message;
    size_t at = layout.directoryOffset;
    for (uint32_t i = 0; i < layout.count && message.empty(); ++i) {
        const uint32_t method = Get16(s, at + 10), crc = Get32(s, at + 16);
        const uint32_t compressed = Get32(s, at + 20), size = Get32(s, at + 24);
        const uint32_t nameLength = Get16(s, at + 28), external = Get32(s, at + 38),
                       local = Get32(s, at + 42);
        const std::string name = s.substr(at + 46, nameLength);
        at += 46 + nameLength + Get16(s, at + 30) + Get16(s, at + 32);

        Refusal refusal = layout.entryRefusals[i];
        if (refusal == Refusal::None)
            refusal = payload::CheckOutputLength(std::strlen(kLongestRoot), true, name.data(), name.size());
        if (refusal == Refusal::None && !IsFolder(name, external)) {
            const size_t data = local + 30 + Get16(s, local + 26) + Get16(s, local + 28);
            if (!DataMatches(s.substr(data, compressed), method, size, crc)) refusal = Refusal::DataMismatch;
        }
        if (refusal != Refusal::None && name.compare(0, 2, "./") == 0)
            message = "entry " + std::to_string(i) + " \"" + name +
                      "\": names begin with \"./\" (an archive of the folder \".\", not of its contents); "
                      "archive the contents, or give make-installer the folder";
        else if (refusal != Refusal::None)
            message = EntryMessage(i, name, refusal);
    }
    return message;
}

std::string CheckArchive(const std::string& s) {
    std::string message = CheckExtractable(s);
    if (!message.empty()) return message;
    size_t eocd = s.size() - 22;
    while (Get32(s, eocd) != 0x06054b50) --eocd;
    bool program = false, uninstaller = false;
    size_t at = Get32(s, eocd + 16);
    for (uint32_t i = 0, n = Get16(s, eocd + 10); i < n; ++i) {
        const uint32_t flags = Get16(s, at + 8), nameLength = Get16(s, at + 28), external = Get32(s, at + 38);
        const std::string name = s.substr(at + 46, nameLength);
        at += 46 + nameLength + Get16(s, at + 30) + Get16(s, at + 32);
        // The extraction takes names as bytes in code page 936 (GBK).
        const std::string entry = "entry " + std::to_string(i) + " \"" + name + "\": ";
        const std::string instead = "; pack the folder instead (qvpack pack, or make-installer FOLDER)";
        if ((flags & kUtf8NameFlag) && !IsAscii(name))
            return entry + "the name is marked UTF-8, but the installer reads names in code page 936 and " +
                   "would make other names of it" + instead;
        if (!IsWellFormedCp936(name.data(), name.size()))
            return entry + "the name is not code page 936, in which the installer reads names" + instead;
        const std::string top = installer::kArchiveTopFolder;
        if (name.compare(0, top.size(), top) != 0)
            return "entry " + std::to_string(i) + " \"" + name + "\": outside the one top folder \"" + top +
                   "\"";
        program = program || (name == installer::kArchiveProgram && !IsFolder(name, external));
        uninstaller = uninstaller || (name == installer::kArchiveUninstaller && !IsFolder(name, external));
    }
    if (!program)
        return std::string("payload: no file \"") + installer::kArchiveProgram +
               "\" (the shortcuts and registry point at it)";
    if (!uninstaller)
        return std::string("payload: no file \"") + installer::kArchiveUninstaller +
               "\" (the uninstall entry points at it)";
    return "";
}

std::string CheckPackable(const std::vector<PackEntry>& entries) {
    if (entries.empty()) return "nothing to pack: the folder is empty";
    if (entries.size() > 65535) return "more than 65535 entries (" + std::to_string(entries.size()) + ")";
    uint64_t total = 0;
    for (const PackEntry& e : entries) total += e.data.size();
    if (total >= (uint64_t{1} << 32)) return "4 GiB or more of data";
    return "";
}

}  // namespace qv::pack

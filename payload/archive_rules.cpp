#include "payload/archive_rules.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "payload/archive_format.h"
#include "runtime/memory.h"
#include "runtime/text.h"

namespace qv::payload {
namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kDescriptorSignature = 0x08074b50;
constexpr size_t kEndSize = 22, kCentralSize = 46, kLocalSize = 30;
constexpr size_t kFolderLimit = 248;

uint32_t Le16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (Le16(p + 2) << 16); }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A component Windows opens as a device: the part before the first dot,
// without trailing spaces, is a device name in any letter case.
bool IsDeviceName(const char* component, size_t length) {
    size_t base = 0;
    while (base < length && component[base] != '.') ++base;
    while (base > 0 && component[base - 1] == ' ') --base;
    char upper[8] = {};
    if (base < 3 || base > 7) return false;
    for (size_t i = 0; i < base; ++i) upper[i] = Upper(component[i]);
    static const char* const kPlain[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kPlain)
        if (std::strcmp(upper, device) == 0) return true;
    return base == 4 && (std::memcmp(upper, "COM", 3) == 0 || std::memcmp(upper, "LPT", 3) == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

// One entry's place in the file: from its local header to the end of its
// data (and data descriptor).
struct Span {
    uint64_t begin, end;
};

int CompareSpans(const void* a, const void* b) {
    const uint64_t x = static_cast<const Span*>(a)->begin, y = static_cast<const Span*>(b)->begin;
    return x < y ? -1 : x > y ? 1 : 0;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

const char* RefusalText(Refusal r) {
    switch (r) {
        case Refusal::None:
            return "";
        case Refusal::NoEndRecord:
            return "no end-of-central-directory record closing the archive in its last 65535 bytes";
        case Refusal::Zip64:
            return "ZIP64 records are not supported";
        case Refusal::SeveralDisks:
            return "spread over several disks";
        case Refusal::DirectoryOutside:
            return "central directory outside the file";
        case Refusal::DirectoryShort:
            return "fewer central records than the end record counts";
        case Refusal::DirectoryLeftOver:
            return "central records do not end where the end record says";
        case Refusal::GapBeforeDirectory:
            return "bytes between the last entry and the central directory";
        case Refusal::Overlap:
            return "overlaps another entry";
        case Refusal::EmptyName:
            return "empty name";
        case Refusal::UnsafeName:
            return "absolute name or \"..\" segment";
        case Refusal::DeviceName:
            return "a device name as a path component";
        case Refusal::Colon:
            return "a \":\" in the name";
        case Refusal::TrailingDotOrSpace:
            return "a path component ending in \".\" or \" \"";
        case Refusal::NameTooLong:
            return "does not fit 260 bytes below the install root";
        case Refusal::FolderTooLong:
            return "a folder of 248 bytes or more below the install root";
        case Refusal::Encrypted:
            return "encrypted";
        case Refusal::Method:
            return "compression method other than stored or deflate";
        case Refusal::NoLocalHeader:
            return "no local header at its offset";
        case Refusal::LocalMismatch:
            return "local header disagrees with the central record";
        case Refusal::LocalExtra:
            return "local extra field beyond the entries";
        case Refusal::DataBeyondEntries:
            return "data beyond the archive's entries";
        case Refusal::StoredSizes:
            return "stored data whose two sizes differ";
        case Refusal::DataMismatch:
            return "data does not match its size and CRC-32";
    }
    return "refused";
}

uint32_t StatusForRefusal(Refusal refusal) {
    switch (refusal) {
        case Refusal::None:
            return kStatusOk;
        case Refusal::LocalExtra:
            return kStatusLocalExtra;
        case Refusal::EmptyName:
        case Refusal::UnsafeName:
        case Refusal::DeviceName:
        case Refusal::Colon:
        case Refusal::TrailingDotOrSpace:
        case Refusal::NameTooLong:
        case Refusal::FolderTooLong:
            return kStatusBadName;
        default:
            return kStatusHeaderMismatch;
    }
}

Refusal CheckEntryName(const char* name, size_t length) {
    if (!name || length == 0) return Refusal::EmptyName;
    if (std::memchr(name, '\0', length)) return Refusal::UnsafeName;
    char copy[kPathBytes + 1];
    if (length > kPathBytes) return Refusal::NameTooLong;
    std::memcpy(copy, name, length);
    copy[length] = '\0';
    if (IsUnsafeName(copy)) return Refusal::UnsafeName;
    if (std::memchr(name, ':', length)) return Refusal::Colon;
    // Components between separators; a trail byte is never one.
    size_t start = 0;
    for (size_t i = 0; i <= length;) {
        const bool end = i == length || IsSeparator(name[i]);
        if (!end) {
            i += CharBytes(name + i, length - i);
            continue;
        }
        const size_t n = i - start;
        if (n > 0) {
            const char last = name[i - 1];
            // A trail byte is 0x40 or above, never "." or " ".
            if (last == '.' || last == ' ') return Refusal::TrailingDotOrSpace;
            if (IsDeviceName(name + start, n)) return Refusal::DeviceName;
        }
        start = ++i;
    }
    return Refusal::None;
}

Refusal CheckOutputLength(size_t targetLength, bool targetEndsInSeparator, const char* name, size_t length) {
    const size_t prefix = targetLength + (targetEndsInSeparator ? 0 : 1);
    if (prefix + length >= kPathBytes) return Refusal::NameTooLong;
    // Every folder on the way: up to each separator, and a folder entry
    // (a name ending in a separator) as a whole.
    for (size_t i = 0; i < length;) {
        if (IsSeparator(name[i]) && prefix + i >= kFolderLimit) return Refusal::FolderTooLong;
        i += CharBytes(name + i, length - i);
    }
    return Refusal::None;
}

bool ReadMemoryArchive(void* source, uint64_t offset, void* buffer, size_t size) {
    const auto* m = static_cast<const MemoryArchive*>(source);
    if (offset > m->size || size > m->size - offset) return false;
    if (size) std::memcpy(buffer, static_cast<const uint8_t*>(m->data) + offset, size);
    return true;
}

bool IsFolderEntry(const char* name, size_t length, uint32_t external) {
    if (DecodeAttributes(external) & 0x10) return true;
    // The last character, not the last byte: a trail byte may be 0x5C.
    bool last = false;
    for (size_t i = 0; i < length;) {
        const size_t n = CharBytes(name + i, length - i);
        last = n == 1 && IsSeparator(name[i]);
        i += n;
    }
    return last;
}

namespace {

ArchiveLayout Refused(ArchiveLayout layout, Refusal refusal) {
    layout.archive = refusal;
    return layout;
}

}  // namespace

ArchiveLayout ScanArchive(ReadAt read, void* source, uint64_t fileSize) {
    ArchiveLayout layout;
    // The end record: the last signature in the file's last 65535 + 22
    // bytes whose comment ends the file exactly.
    const size_t window = static_cast<size_t>(fileSize < 65535 + kEndSize ? fileSize : 65535 + kEndSize);
    if (window < kEndSize) return layout;
    UniqueBlock<uint8_t[]> tail(static_cast<uint8_t*>(AllocBlock(window)));
    if (!read(source, fileSize - window, tail.get(), window)) return layout;
    size_t at = window - kEndSize + 1;
    bool found = false;
    while (at-- > 0)
        if (Le32(&tail[at]) == kEndSignature) {
            found = true;
            break;
        }
    uint8_t end[kEndSize];
    if (found) std::memcpy(end, &tail[at], kEndSize);
    const uint64_t endOffset = fileSize - window + at;
    const bool zip64Locator = found && at >= 20 && Le32(&tail[at - 20]) == kZip64LocatorSignature;
    tail.reset();
    if (!found || endOffset + kEndSize + Le16(end + 20) != fileSize) return layout;
    if (zip64Locator) return Refused(std::move(layout), Refusal::Zip64);

    const uint32_t disk = Le16(end + 4), directoryDisk = Le16(end + 6);
    const uint32_t onDisk = Le16(end + 8), total = Le16(end + 10);
    const uint32_t directorySize = Le32(end + 12), directoryOffset = Le32(end + 16);
    if (total == 0xFFFF || onDisk == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF)
        return Refused(std::move(layout), Refusal::Zip64);
    if (disk != 0 || directoryDisk != 0 || onDisk != total)
        return Refused(std::move(layout), Refusal::SeveralDisks);
    if (static_cast<uint64_t>(directoryOffset) + directorySize > endOffset)
        return Refused(std::move(layout), Refusal::DirectoryOutside);
    if (static_cast<uint64_t>(directoryOffset) + directorySize != endOffset)
        return Refused(std::move(layout), Refusal::DirectoryLeftOver);

    UniqueBlock<uint8_t[]> directory(static_cast<uint8_t*>(AllocBlock(directorySize ? directorySize : 1)));
    if (directorySize && !read(source, directoryOffset, directory.get(), directorySize))
        return Refused(std::move(layout), Refusal::DirectoryOutside);
    layout.count = total;
    layout.directoryOffset = directoryOffset;
    layout.entryRefusals.reset(static_cast<Refusal*>(AllocBlock(total ? total : 1)));
    std::memset(layout.entryRefusals.get(), 0, total ? total : 1);
    UniqueBlock<Span[]> spans(static_cast<Span*>(AllocBlock(sizeof(Span) * (total ? total : 1))));
    layout.archive = Refusal::None;

    size_t p = 0;
    for (uint32_t i = 0; i < total && layout.archive == Refusal::None; ++i) {
        const uint8_t* c = directory.get() + p;
        if (p + kCentralSize > directorySize || Le32(c) != kCentralSignature ||
            p + kCentralSize + Le16(c + 28) + Le16(c + 30) + Le16(c + 32) > directorySize) {
            layout.archive = Refusal::DirectoryShort;
            break;
        }
        const uint32_t flags = Le16(c + 8), method = Le16(c + 10), crc = Le32(c + 16);
        const uint32_t compressed = Le32(c + 20), size = Le32(c + 24);
        const uint32_t nameLength = Le16(c + 28), extraLength = Le16(c + 30);
        const uint32_t local = Le32(c + 42);
        const char* name = reinterpret_cast<const char*>(c + kCentralSize);
        p += kCentralSize + nameLength + extraLength + Le16(c + 32);
        if (compressed == 0xFFFFFFFF || size == 0xFFFFFFFF || local == 0xFFFFFFFF) {
            layout.archive = Refusal::Zip64;
            break;
        }

        Refusal refusal = CheckEntryName(name, nameLength);
        if (refusal == Refusal::None && (flags & 1)) refusal = Refusal::Encrypted;
        if (refusal == Refusal::None && method != 0 && method != 8) refusal = Refusal::Method;
        if (refusal == Refusal::None && method == 0 && compressed != size) refusal = Refusal::StoredSizes;

        // The local header, and where the entry's bytes end.
        uint8_t header[kLocalSize + kPathBytes] = {};
        const uint32_t headerName = nameLength <= kPathBytes ? nameLength : 0;
        uint64_t dataEnd = static_cast<uint64_t>(local) + kLocalSize;
        if (static_cast<uint64_t>(local) + kLocalSize + headerName > directoryOffset ||
            !read(source, local, header, kLocalSize + headerName) || Le32(header) != kLocalSignature) {
            if (refusal == Refusal::None) refusal = Refusal::NoLocalHeader;
        } else {
            const bool descriptor = (flags & 8) != 0;
            // The local values count unless both headers mark a descriptor
            // (minizip compares them by the local flag).
            const bool bothDescriptor = descriptor && (Le16(header + 6) & 8) != 0;
            if (Le16(header + 8) != method || Le16(header + 26) != nameLength ||
                (!bothDescriptor && (Le32(header + 14) != crc || Le32(header + 18) != compressed ||
                                     Le32(header + 22) != size)) ||
                std::memcmp(header + kLocalSize, name, headerName) != 0) {
                if (refusal == Refusal::None) refusal = Refusal::LocalMismatch;
            }
            const uint64_t data =
                static_cast<uint64_t>(local) + kLocalSize + Le16(header + 26) + Le16(header + 28);
            dataEnd = data + compressed;
            if (data > directoryOffset) {
                // Only its header counts as the entry's: the refusal is the
                // entry's own, not an overlap of the ones after it.
                if (refusal == Refusal::None) refusal = Refusal::LocalExtra;
                dataEnd = static_cast<uint64_t>(local) + kLocalSize + headerName;
            } else if (dataEnd > directoryOffset) {
                if (refusal == Refusal::None) refusal = Refusal::DataBeyondEntries;
            } else if (descriptor) {
                // crc, sizes, with or without its signature.
                uint8_t d[16];
                const uint64_t room = directoryOffset - dataEnd;
                if (room >= 16 && read(source, dataEnd, d, 16) && Le32(d) == kDescriptorSignature &&
                    Le32(d + 4) == crc)
                    dataEnd += 16;
                else if (room >= 12)
                    dataEnd += 12;
            }
        }
        spans[i] = Span{local, dataEnd};
        layout.entryRefusals[i] = refusal;
    }
    if (layout.archive == Refusal::None && p != directorySize) layout.archive = Refusal::DirectoryLeftOver;
    if (layout.archive == Refusal::None && total > 0) {
        // No entry starts inside another; the last one ends at the directory.
        std::qsort(spans.get(), total, sizeof(Span), CompareSpans);
        for (uint32_t i = 1; i < total && layout.archive == Refusal::None; ++i)
            if (spans[i].begin < spans[i - 1].end || spans[i].begin == spans[i - 1].begin)
                layout.archive = Refusal::Overlap;
        if (layout.archive == Refusal::None && spans[total - 1].end < directoryOffset)
            layout.archive = Refusal::GapBeforeDirectory;
    }
    if (layout.archive != Refusal::None) layout.entryRefusals.reset();
    return layout;
}

}  // namespace qv::payload

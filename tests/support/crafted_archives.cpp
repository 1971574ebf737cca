#include "tests/support/crafted_archives.h"

namespace qv::test {
namespace {

// Little-endian patching of crafted archives.
uint32_t Get32(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8) |
           (static_cast<uint8_t>(s[at + 2]) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24);
}
void Set16(std::string& s, size_t at, uint32_t v) {
    s[at] = static_cast<char>(v);
    s[at + 1] = static_cast<char>(v >> 8);
}
void Set32(std::string& s, size_t at, uint32_t v) {
    Set16(s, at, v & 0xFFFF);
    Set16(s, at + 2, v >> 16);
}
size_t End(const std::string& s) { return s.size() - 22; }
size_t Central(const std::string& s, int i) {
    size_t at = Get32(s, End(s) + 16);
    for (; i > 0; --i)
        at += 46 + (Get32(s, at + 28) & 0xFFFF) + (Get32(s, at + 30) & 0xFFFF) + (Get32(s, at + 32) & 0xFFFF);
    return at;
}

}  // namespace

ZipEntrySpec FileEntry(const std::string& name, const std::string& data, bool deflate) {
    ZipEntrySpec e;
    e.name = name;
    e.data = data;
    e.deflate = deflate;
    return e;
}

std::vector<ZipEntrySpec> GoodArchiveEntries() {
    return {FolderEntry("Zentrel/"), FileEntry("Zentrel/a.txt", Filler(5000, 1, false)),
            FileEntry("Zentrel/b.bin", Filler(3000, 2, true), false), FileEntry("Zentrel/c.txt", "")};
}

std::vector<Crafted> CraftedArchives() {
    std::vector<Crafted> c;
    auto withEntry = [&](const char* what, const ZipEntrySpec& bad, const char* words) {
        std::vector<ZipEntrySpec> e = GoodArchiveEntries();
        e.insert(e.begin() + 2, bad);
        c.push_back({what, BuildZip(e), words, 2});
    };
    withEntry("device", FileEntry("Zentrel/NUL", "x"), "a device name");
    withEntry("device with extension", FileEntry("Zentrel/sub/AUX.log", "x"), "a device name");
    withEntry("stream", FileEntry("Zentrel/a.txt:x", "x"), "a \":\" in the name");
    withEntry("trailing dot", FileEntry("Zentrel/x.", "x"), "ending in \".\" or \" \"");
    withEntry("trailing space", FolderEntry("Zentrel/dir /"), "ending in \".\" or \" \"");
    ZipEntrySpec shorter = FileEntry("Zentrel/short.txt", Filler(4000, 3, false));
    shorter.declaredSize = 4100;
    withEntry("deflate stream ends early", shorter, "data does not match its size and CRC-32");
    ZipEntrySpec longer = FileEntry("Zentrel/long.txt", Filler(4000, 4, false));
    longer.declaredSize = 3900;
    withEntry("more data than declared", longer, "data does not match its size and CRC-32");
    ZipEntrySpec stored = FileEntry("Zentrel/stored.bin", "0123456789", false);
    stored.declaredSize = 20;
    withEntry("stored data shorter than its size", stored, "stored data whose two sizes differ");
    ZipEntrySpec crc = FileEntry("Zentrel/crc.txt", "crc");
    crc.wrongCrc = true;
    withEntry("crc", crc, "data does not match its size and CRC-32");
    ZipEntrySpec other = FileEntry("Zentrel/e.txt", "e");
    other.method = 99;
    withEntry("method", other, "compression method other than stored or deflate");

    const std::string good = BuildZip(GoodArchiveEntries());
    std::string s = good;
    Set16(s, Central(s, 1) + 8, 1);
    Set16(s, Get32(s, Central(s, 1) + 42) + 6, 1);
    c.push_back({"encrypted", s, "entry 1 \"Zentrel/a.txt\": encrypted", 1});
    s = good;
    // Only the central record of the last entry marks a data descriptor:
    // the local header's CRC-32 still counts (minizip compares it by the
    // local flag).
    Set16(s, Central(s, 3) + 8, 8);
    Set32(s, Get32(s, Central(s, 3) + 42) + 14, Get32(s, Central(s, 3) + 16) ^ 1);
    c.push_back({"a descriptor only the central record marks", s,
                 "entry 3 \"Zentrel/c.txt\": local header disagrees with the central record", 3});
    s = good;
    Set32(s, Central(s, 3) + 42, Get32(s, Central(s, 1) + 42));
    c.push_back({"two records name one local header", s, "archive: overlaps another entry", -1});
    {
        // Entry 1's data holds a whole local entry that a second record names.
        const std::string inner = BuildZip({FileEntry("Zentrel/inner.txt", Filler(2000, 5, false))});
        const std::string innerLocal = inner.substr(0, Get32(inner, inner.size() - 22 + 16));
        std::string o = BuildZip({FolderEntry("Zentrel/"), FileEntry("Zentrel/outer.bin", innerLocal, false),
                                  FileEntry("Zentrel/inner.txt", Filler(2000, 5, false))});
        Set32(o, Central(o, 2) + 42, Get32(o, Central(o, 1) + 42) + 30 + 17);
        c.push_back({"a local header inside another entry's data", o, "archive: overlaps another entry", -1});
    }
    s = good;
    Set16(s, End(s) + 8, 3);
    Set16(s, End(s) + 10, 3);
    c.push_back({"end record under-counts", s, "archive: central records do not end where", -1});
    s = good;
    Set16(s, End(s) + 8, 5);
    Set16(s, End(s) + 10, 5);
    c.push_back({"end record over-counts", s, "archive: fewer central records", -1});
    s = good;
    Set32(s, End(s) + 12, Get32(s, End(s) + 12) - 1);
    c.push_back({"records end past offset + size", s, "archive: central records do not end where", -1});
    s = good;
    {
        const size_t directory = Get32(s, End(s) + 16);
        s.insert(directory, 16, '\0');
        Set32(s, End(s) + 16, static_cast<uint32_t>(directory + 16));
        c.push_back({"gap before the directory", s, "archive: bytes between the last entry", -1});
        std::string shifted = good;
        shifted.insert(directory, 16, '\0');
        c.push_back(
            {"a gap that shifts every offset", shifted, "archive: central records do not end where", -1});
    }
    s = good;
    {
        std::string locator;
        locator += std::string("\x50\x4b\x06\x07", 4) + std::string(16, '\0');
        s.insert(End(s), locator);
        c.push_back({"zip64 locator", s, "archive: ZIP64", -1});
    }
    s = good;
    Set32(s, Central(s, 1) + 20, 0xFFFFFFFF);
    c.push_back({"zip64 sizes", s, "archive: ZIP64", -1});
    s = good;
    s += "junk";
    c.push_back({"bytes after the end record", s, "archive: no end-of-central-directory record", -1});
    return c;
}

}  // namespace qv::test

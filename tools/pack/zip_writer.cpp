#include "tools/pack/zip_writer.h"

#include <dirent.h>
#include <iconv.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <fstream>
#include <sstream>

#include "tools/pack/zip_bytes.h"

namespace qv::pack {
namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

// A name of the folder (UTF-8, as Linux names files) in code page 936, the
// code page the installer's extraction reads names in; false when it has no
// such form.
bool ToCodePage936(const std::string& utf8, std::string* out) {
    iconv_t cd = iconv_open("CP936", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in = utf8;
    out->assign(in.size() * 2 + 4, '\0');
    char* from = &in[0];
    char* to = &(*out)[0];
    size_t left = in.size(), room = out->size();
    const bool converted = iconv(cd, &from, &left, &to, &room) != static_cast<size_t>(-1) && left == 0;
    iconv_close(cd);
    if (!converted) return false;
    out->resize(out->size() - room);
    return true;
}

bool Walk(const std::string& root, const std::string& relative, const std::string& storedPrefix,
          int64_t mtime, std::vector<PackEntry>* entries, std::string* error) {
    const std::string dir = relative.empty() ? root : root + "/" + relative;
    DIR* d = opendir(dir.c_str());
    if (!d) {
        *error = "cannot read folder " + dir;
        return false;
    }
    // Each name as on disk, and as the archive will hold it.
    struct Name {
        std::string disk, stored;
    };
    std::vector<Name> files, folders;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        if (stat((dir + "/" + name).c_str(), &st) != 0) continue;
        Name n{name, ""};
        if (!ToCodePage936(name, &n.stored)) {
            closedir(d);
            *error = "the name of " + dir + "/" + name +
                     " cannot be written in code page 936, in which the installer reads names (rename it)";
            return false;
        }
        (S_ISDIR(st.st_mode) ? folders : files).push_back(n);
    }
    closedir(d);
    auto byStored = [](const Name& a, const Name& b) { return LessIgnoringCase(a.stored, b.stored); };
    std::sort(files.begin(), files.end(), byStored);
    std::sort(folders.begin(), folders.end(), byStored);
    const std::string prefix = relative.empty() ? "" : relative + "/";
    for (const Name& f : files) {
        const std::string path = dir + "/" + f.disk;
        std::ifstream in(path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        if (!in) {
            *error = "cannot read file " + path;
            return false;
        }
        struct stat st;
        stat(path.c_str(), &st);
        entries->push_back(
            {storedPrefix + f.stored, content.str(), mtime >= 0 ? mtime : static_cast<int64_t>(st.st_mtime)});
    }
    for (const Name& f : folders) {
        struct stat st;
        stat((dir + "/" + f.disk).c_str(), &st);
        entries->push_back(
            {storedPrefix + f.stored + "/", "", mtime >= 0 ? mtime : static_cast<int64_t>(st.st_mtime)});
        if (!Walk(root, prefix + f.disk, storedPrefix + f.stored + "/", mtime, entries, error)) return false;
    }
    return true;
}

}  // namespace

bool CollectTree(const std::string& root, int64_t mtime, std::vector<PackEntry>* entries,
                 std::string* error) {
    entries->clear();
    return Walk(root, "", "", mtime, entries, error);
}

uint32_t DosDateTime(int64_t unixTime) {
    const time_t t = static_cast<time_t>(unixTime);
    struct tm local;
    localtime_r(&t, &local);
    if (local.tm_year < 80) return (0 << 25) | (1 << 21) | (1 << 16);
    const uint32_t date = ((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday;
    const uint32_t time = (local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2);
    return (date << 16) | time;
}

std::string WriteArchive(const std::vector<PackEntry>& entries) {
    std::string archive, central;
    for (const PackEntry& e : entries) {
        const bool folder = !e.name.empty() && e.name.back() == '/';
        const std::string stored = folder ? std::string() : RawDeflate(e.data, 9);
        const uint32_t crc = Crc32(e.data);
        const uint32_t dos = DosDateTime(e.mtime);
        const uint32_t method = folder ? 0 : 8, needed = folder ? 10 : 20;
        const uint32_t offset = static_cast<uint32_t>(archive.size());
        auto common = [&](std::string& h) {
            Put16(h, needed);
            Put16(h, 0);
            Put16(h, method);
            Put32(h, dos);
            Put32(h, crc);
            Put32(h, static_cast<uint32_t>(stored.size()));
            Put32(h, static_cast<uint32_t>(e.data.size()));
            Put16(h, static_cast<uint32_t>(e.name.size()));
        };
        Put32(archive, 0x04034b50);
        common(archive);
        Put16(archive, 0);
        archive += e.name;
        archive += stored;

        const uint64_t filetime = static_cast<uint64_t>(e.mtime + 11644473600LL) * 10000000ULL;
        std::string ntfs;
        Put16(ntfs, 0x000A);
        Put16(ntfs, 32);
        Put32(ntfs, 0);
        Put16(ntfs, 0x0001);
        Put16(ntfs, 24);
        Put64(ntfs, filetime);
        Put64(ntfs, filetime);
        Put64(ntfs, filetime);

        Put32(central, 0x02014b50);
        Put16(central, 63);
        common(central);
        Put16(central, static_cast<uint32_t>(ntfs.size()));
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, folder ? 0x10 : 0x20);
        Put32(central, offset);
        central += e.name + ntfs;
    }
    AppendCentralDirectory(archive, central, static_cast<uint32_t>(entries.size()));
    return archive;
}

}  // namespace qv::pack

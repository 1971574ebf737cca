// Writes payload archives: a folder tree as ZIP entries in the order and
// with the header conventions the installer's payload uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::pack {

struct PackEntry {
    std::string name;  // code page 936, "/" separators; folders end in "/"
    std::string data;  // file content (empty for folders)
    int64_t mtime;     // seconds since 1970, UTC
};

// Entries of a folder tree, relative to root: each folder's entry, then its
// files, then its subfolders, names ordered without regard to case. Names are
// converted from the folder's own (UTF-8) to code page 936, in which the
// installer reads them. mtime, when not negative, replaces every file's
// modification time. False with a message (naming the path) when the tree
// cannot be read or a name has no code page 936 form.
bool CollectTree(const std::string& root, int64_t mtime, std::vector<PackEntry>* entries, std::string* error);

// The archive bytes: folders stored, files deflated, external attributes 0x10
// and 0x20, version made by 63 on host 0, version needed 10 and 20, flags 0,
// no local extra field, one NTFS time field in each central record, no
// comment. The same entries give the same bytes.
std::string WriteArchive(const std::vector<PackEntry>& entries);

// DOS date (high 16 bits) and time (low 16 bits) of a Unix time, in local time.
uint32_t DosDateTime(int64_t unixTime);

}  // namespace qv::pack

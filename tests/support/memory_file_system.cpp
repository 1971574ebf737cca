#include "tests/support/memory_file_system.h"

#include <cstring>

#include "runtime/text.h"
#include "runtime/values.h"

namespace qv::test {

namespace {
constexpr int64_t kDays1601To1899 = 109205;  // 1601-01-01 to 1899-12-30
}  // namespace

struct MemoryFileSystem::Open {
    Node* node;
    bool writing;
};

MemoryFileSystem::MemoryFileSystem()
    : table_{this,  Exists,   MakeFolder, OpenForReading, Read,   Create,
             Write, SetTimes, Close,      MakeNormal,     DosTime} {}

std::string MemoryFileSystem::Key(const std::string& path) {
    std::string key;
    for (size_t i = 0; i < path.size();) {
        const size_t n = CharBytes(path.c_str() + i, path.size() - i);
        for (size_t k = 0; k < n; ++k) {
            const char c = path[i + k];
            key += n == 1 && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
        i += n;
    }
    // A final "\" names the same folder, but for a drive root.
    if (key.size() > 3 && EndsWithSeparatorChar(key.c_str(), false)) key.pop_back();
    if (key.size() == 2 && key[1] == ':') key += '\\';
    return key;
}

MemoryFileSystem::Node* MemoryFileSystem::Lookup(const std::string& path) {
    const auto it = nodes_.find(Key(path));
    return it == nodes_.end() ? nullptr : &it->second;
}

const MemoryFileSystem::Node* MemoryFileSystem::Find(const std::string& path) const {
    const auto it = nodes_.find(Key(path));
    return it == nodes_.end() ? nullptr : &it->second;
}

bool MemoryFileSystem::ParentExists(const std::string& path) const {
    const std::string key = Key(path);
    const ptrdiff_t cut = FindLastSeparator(key.c_str(), false);
    if (cut < 0) return false;
    const std::string parentKey = Key(key.substr(0, static_cast<size_t>(cut) + 1));
    if (parentKey.size() == 3 && parentKey[1] == ':') return true;  // a drive root
    const Node* parent = Find(parentKey);
    return parent && parent->folder;
}

void MemoryFileSystem::PutFolder(const std::string& path) {
    const std::string key = Key(path);
    for (size_t i = 0; i < key.size();) {
        const size_t n = CharBytes(key.c_str() + i, key.size() - i);
        if ((n == 1 && key[i] == '\\') || i + n == key.size()) {
            const std::string level = key.substr(0, i + n);
            Node& node = nodes_[Key(level)];
            node.folder = true;
            if (node.path.empty()) node.path = path.substr(0, level.size());
        }
        i += n;
    }
}

void MemoryFileSystem::PutFile(const std::string& path, const std::string& bytes, uint32_t attributes) {
    Node& node = nodes_[Key(path)];
    node = Node{path, false, bytes, attributes, {}};
}

bool MemoryFileSystem::Exists(void* self, const char* path) {
    auto* fs = static_cast<MemoryFileSystem*>(self);
    return path && *path && (fs->Lookup(path) || Key(path).size() == 3);
}

payload::FolderMade MemoryFileSystem::MakeFolder(void* self, const char* path) {
    auto* fs = static_cast<MemoryFileSystem*>(self);
    if (!path || !*path) return payload::FolderMade::Failed;
    if (Exists(self, path)) return payload::FolderMade::AlreadyExists;
    if (!fs->ParentExists(path)) return payload::FolderMade::ParentMissing;
    Node& node = fs->nodes_[Key(path)];
    node.path = path;
    node.folder = true;
    fs->created_.push_back(path);
    return payload::FolderMade::Created;
}

void* MemoryFileSystem::OpenForReading(void* self, const char* path, uint64_t* size) {
    Node* node = static_cast<MemoryFileSystem*>(self)->Lookup(path ? path : "");
    if (!node || node->folder) return nullptr;
    *size = node->bytes.size();
    return new Open{node, false};
}

bool MemoryFileSystem::Read(void* file, uint64_t offset, void* buffer, uint32_t size, uint32_t* got) {
    const std::string& bytes = static_cast<Open*>(file)->node->bytes;
    *got =
        offset >= bytes.size() ? 0 : static_cast<uint32_t>(std::min<uint64_t>(size, bytes.size() - offset));
    if (*got) std::memcpy(buffer, bytes.data() + offset, *got);
    return true;
}

void* MemoryFileSystem::Create(void* self, const char* path, uint32_t attributes) {
    auto* fs = static_cast<MemoryFileSystem*>(self);
    if (!path || !*path || !fs->ParentExists(path)) return nullptr;
    Node* existing = fs->Lookup(path);
    // As CREATE_ALWAYS: no folder, and nothing read-only is replaced.
    if (existing && (existing->folder || (existing->attributes & 0x01))) return nullptr;
    Node& node = fs->nodes_[Key(path)];
    node = Node{path, false, std::string(), attributes, {}};
    fs->created_.push_back(path);
    return new Open{&node, true};
}

bool MemoryFileSystem::Write(void* file, const void* data, uint32_t size) {
    static_cast<Open*>(file)->node->bytes.append(static_cast<const char*>(data), size);
    return true;
}

void MemoryFileSystem::SetTimes(void* file, const payload::EntryTimes& times) {
    static_cast<Open*>(file)->node->times = times;
}

void MemoryFileSystem::Close(void* file) { delete static_cast<Open*>(file); }

void MemoryFileSystem::MakeNormal(void* self, const char* path) {
    if (Node* node = static_cast<MemoryFileSystem*>(self)->Lookup(path ? path : ""))
        node->attributes = node->folder ? 0x10 : 0x80;
}

uint64_t MemoryFileSystem::DosTime(void*, uint32_t dosDateTime) { return DosAsUtc(dosDateTime); }

uint64_t MemoryFileSystem::DosAsUtc(uint32_t dos) {
    const int year = 1980 + static_cast<int>(dos >> 25), month = (dos >> 21) & 15, day = (dos >> 16) & 31;
    const int hour = (dos >> 11) & 31, minute = (dos >> 5) & 63, second = (dos & 31) * 2;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) return 0;
    // Days since 1601-01-01: the runtime's date-time counts from 1899-12-30.
    const int64_t days = static_cast<int64_t>(DateTimeFromCivil(year, month, day)) + kDays1601To1899;
    return static_cast<uint64_t>(((days * 24 + hour) * 60 + minute) * 60 + second) * 10000000ULL;
}

}  // namespace qv::test

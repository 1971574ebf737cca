// A file system in memory for the extraction's walk, natively: files and
// folders by full path (ASCII letters without case, as Windows compares
// them), what is created recorded in order. Drive roots ("C:\") exist.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "payload/file_system.h"

namespace qv::test {

class MemoryFileSystem {
public:
    struct Node {
        std::string path;  // as first created
        bool folder = false;
        std::string bytes;
        uint32_t attributes = 0x80;
        payload::EntryTimes times;
    };

    MemoryFileSystem();
    MemoryFileSystem(const MemoryFileSystem&) = delete;
    MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

    // The table to hand to the walk; valid while this lives.
    const payload::FileSystem& table() const { return table_; }

    // Puts a file (its folders must exist) or a folder (and those above it).
    void PutFile(const std::string& path, const std::string& bytes, uint32_t attributes = 0x80);
    void PutFolder(const std::string& path);

    // The node of a path, or null.
    const Node* Find(const std::string& path) const;

    // Paths of the files and folders the walk created, in order.
    const std::vector<std::string>& created() const { return created_; }

    // A DOS date-time read as UTC (tests need no zone): the file time, or 0.
    static uint64_t DosAsUtc(uint32_t dosDateTime);

private:
    struct Open;
    static std::string Key(const std::string& path);
    Node* Lookup(const std::string& path);
    bool ParentExists(const std::string& path) const;

    static bool Exists(void* self, const char* path);
    static payload::FolderMade MakeFolder(void* self, const char* path);
    static void* OpenForReading(void* self, const char* path, uint64_t* size);
    static bool Read(void* file, uint64_t offset, void* buffer, uint32_t size, uint32_t* got);
    static void* Create(void* self, const char* path, uint32_t attributes);
    static bool Write(void* file, const void* data, uint32_t size);
    static void SetTimes(void* file, const payload::EntryTimes& times);
    static void Close(void* file);
    static void MakeNormal(void* self, const char* path);
    static uint64_t DosTime(void* self, uint32_t dosDateTime);

    std::map<std::string, Node> nodes_;
    std::vector<std::string> created_;
    payload::FileSystem table_;
};

}  // namespace qv::test

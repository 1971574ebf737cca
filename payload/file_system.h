// The file system the extraction works on, as one table of functions:
// Windows' own (file_system_win.h), or one in memory that native tests and
// the fuzzer drive the same walk over. Paths are texts in the system code
// page; a handle is the table's own, null when an open fails.
#pragma once

#include <cstdint>

namespace qv::payload {

// CreateDirectoryA's outcomes, as the folder rules need them.
enum class FolderMade { Created, AlreadyExists, ParentMissing, Failed };

// Creation, access and write time: Windows file times (100 ns since 1601,
// UTC); 0 leaves that time as it is.
struct EntryTimes {
    uint64_t creation = 0, access = 0, write = 0;
};

struct FileSystem {
    void* context;
    // A file or folder of that name exists.
    bool (*exists)(void* context, const char* path);
    // Creates the one folder (its parent must exist).
    FolderMade (*makeFolder)(void* context, const char* path);
    // Opens an existing file for reading, sharing only reading; *size is its length.
    void* (*openForReading)(void* context, const char* path, uint64_t* size);
    // Reads up to size bytes at offset into buffer; *got is the count read
    // (short only at the end). False on a read error.
    bool (*read)(void* file, uint64_t offset, void* buffer, uint32_t size, uint32_t* got);
    // Creates a file, or truncates and replaces one, for writing without
    // sharing, with the attributes given; null when it cannot (read-only, in
    // use, hidden or system without that attribute asked).
    void* (*create)(void* context, const char* path, uint32_t attributes);
    // Writes all of the bytes; false when not.
    bool (*write)(void* file, const void* data, uint32_t size);
    // Sets the times of a file being written, when it is a disk file.
    void (*setTimes)(void* file, const EntryTimes& times);
    void (*close)(void* file);
    // Sets the attributes of the file to normal; the outcome is not asked.
    void (*makeNormal)(void* context, const char* path);
    // The file time of a DOS date (high half) and time (low half), read as
    // the local time of that day; 0 when it is no valid date-time.
    uint64_t (*dosTime)(void* context, uint32_t dosDateTime);
};

// Owns a handle of a file system: closed when it goes.
class FileHandle {
public:
    FileHandle() = default;
    FileHandle(const FileSystem* fs, void* h) : fs_(fs), h_(h) {}
    FileHandle(FileHandle&& other) noexcept : fs_(other.fs_), h_(other.h_) { other.h_ = nullptr; }
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            reset();
            fs_ = other.fs_;
            h_ = other.h_;
            other.h_ = nullptr;
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { reset(); }
    void* get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset() {
        if (h_) fs_->close(h_);
        h_ = nullptr;
    }

private:
    const FileSystem* fs_ = nullptr;
    void* h_ = nullptr;
};

}  // namespace qv::payload

#include "payload/file_system_win.h"

#include <windows.h>
// after windows.h
#include <sddl.h>

#include <cstring>

#include "runtime/link_rules.h"
#include "runtime/memory.h"

namespace qv::payload {
namespace {

// An open file, with where its pointer stands (for reading); or bytes in
// memory read as a file (no handle).
struct OpenFile {
    HANDLE handle;
    uint64_t filePointer;
    const uint8_t* memory;
    uint64_t memoryLength;
};

bool Exists(void*, const char* path) { return path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

FolderMade MakeFolder(void*, const char* path) {
    if (CreateDirectoryA(path, nullptr)) return FolderMade::Created;
    switch (GetLastError()) {
        case ERROR_ALREADY_EXISTS:
            return FolderMade::AlreadyExists;
        case ERROR_PATH_NOT_FOUND:
            return FolderMade::ParentMissing;
        default:
            return FolderMade::Failed;
    }
}

void* OpenForReading(void*, const char* path, uint64_t* size) {
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    LARGE_INTEGER length{};
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    if (!GetFileSizeEx(h, &length)) {
        CloseHandle(h);
        return nullptr;
    }
    *size = static_cast<uint64_t>(length.QuadPart);
    auto* state = static_cast<OpenFile*>(AllocBlock(sizeof(OpenFile)));
    *state = OpenFile{h, 0, nullptr, 0};
    return state;
}

bool Read(void* file, uint64_t offset, void* buffer, uint32_t size, uint32_t* got) {
    auto* f = static_cast<OpenFile*>(file);
    *got = 0;
    if (f->memory) {
        if (offset < f->memoryLength) {
            *got = static_cast<uint32_t>(f->memoryLength - offset < size ? f->memoryLength - offset : size);
            std::memcpy(buffer, f->memory + offset, *got);
        }
        return true;
    }
    if (offset != f->filePointer) {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        f->filePointer = ~uint64_t{0};
        if (!SetFilePointerEx(f->handle, to, nullptr, FILE_BEGIN)) return false;
        f->filePointer = offset;
    }
    DWORD n = 0;
    const bool ok = ReadFile(f->handle, buffer, size, &n, nullptr);
    f->filePointer = ok ? offset + n : ~uint64_t{0};
    *got = n;
    return ok;
}

void* Create(void*, const char* path, uint32_t attributes) {
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    auto* state = static_cast<OpenFile*>(AllocBlock(sizeof(OpenFile)));
    *state = OpenFile{h, 0, nullptr, 0};
    return state;
}

bool Write(void* file, const void* data, uint32_t size) {
    DWORD written = 0;
    return WriteFile(static_cast<OpenFile*>(file)->handle, data, size, &written, nullptr) && written == size;
}

FILETIME ToFileTime(uint64_t value) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(value);
    ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return ft;
}

void SetTimes(void* file, const EntryTimes& times) {
    const HANDLE h = static_cast<OpenFile*>(file)->handle;
    if (GetFileType(h) != FILE_TYPE_DISK) return;
    const FILETIME creation = ToFileTime(times.creation), access = ToFileTime(times.access),
                   write = ToFileTime(times.write);
    SetFileTime(h, &creation, &access, &write);
}

void Close(void* file) {
    auto* f = static_cast<OpenFile*>(file);
    if (f->handle) CloseHandle(f->handle);
    FreeBlock(f);
}

void MakeNormal(void*, const char* path) { SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL); }

// A DOS date-time is the local time of that day: converted with the
// daylight-saving rule in force then, not with today's bias. An invalid one
// gives 0, which SetFileTime takes as "leave this time as it is".
uint64_t DosTime(void*, uint32_t dosDate) {
    FILETIME local{}, utc{};
    SYSTEMTIME localTime{}, utcTime{};
    if (!DosDateTimeToFileTime(HIWORD(dosDate), LOWORD(dosDate), &local)) return 0;
    if (!(FileTimeToSystemTime(&local, &localTime) &&
          TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utcTime) &&
          SystemTimeToFileTime(&utcTime, &utc)))
        LocalFileTimeToFileTime(&local, &utc);
    return (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
}

const FileSystem kWindows = {nullptr, Exists,   MakeFolder, OpenForReading, Read,   Create,
                             Write,   SetTimes, Close,      MakeNormal,     DosTime};

// The payload source's functions: its archive from memory, its folders on
// the way protected.
const PayloadSource& Source(void* context) { return *static_cast<const PayloadSource*>(context); }

bool IsSourceArchive(void* context, const char* path) {
    return path && IsSameFinalPath(path, Source(context).archivePath);
}

bool SourceExists(void* context, const char* path) {
    return IsSourceArchive(context, path) || Exists(nullptr, path);
}

void* SourceOpenForReading(void* context, const char* path, uint64_t* size) {
    if (!IsSourceArchive(context, path)) return OpenForReading(nullptr, path, size);
    auto* state = static_cast<OpenFile*>(AllocBlock(sizeof(OpenFile)));
    *state = OpenFile{nullptr, 0, Source(context).bytes, Source(context).length};
    *size = Source(context).length;
    return state;
}

// Administrators and the system: full control; users: read and execute; not
// inherited from above (a drive root lets every user change what it holds).
constexpr char kProtectedFolder[] = "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

FolderMade SourceMakeFolder(void* context, const char* path) {
    if (FolderPrefixLength(Source(context).protectThrough, path) == 0) return MakeFolder(nullptr, path);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kProtectedFolder, SDDL_REVISION_1,
                                                              &attributes.lpSecurityDescriptor, nullptr))
        return FolderMade::Failed;
    const BOOL made = CreateDirectoryA(path, &attributes);
    const DWORD error = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    if (made) return FolderMade::Created;
    return error == ERROR_ALREADY_EXISTS   ? FolderMade::AlreadyExists
           : error == ERROR_PATH_NOT_FOUND ? FolderMade::ParentMissing
                                           : FolderMade::Failed;
}

}  // namespace

const FileSystem& WindowsFileSystem() { return kWindows; }

FileSystem PayloadFileSystem(const PayloadSource* source) {
    FileSystem fs = kWindows;
    fs.context = const_cast<PayloadSource*>(source);
    fs.exists = SourceExists;
    fs.openForReading = SourceOpenForReading;
    fs.makeFolder = SourceMakeFolder;
    return fs;
}

}  // namespace qv::payload

// The extraction's file system on Windows: the ANSI file functions.
#pragma once

#include "payload/file_system.h"

namespace qv::payload {

// Reads move the file pointer, which is set only where a read does not
// follow on from the last one (a read at an offset costs many times more
// under Wine). Files are created with CREATE_ALWAYS and no sharing; times are
// set on disk files only. DOS times are converted with the daylight-saving
// rule in force on their day.
const FileSystem& WindowsFileSystem();

// Where the installer's extraction reads from and what it protects.
struct PayloadSource {
    const char* archivePath;  // the name the extraction is given for the archive
    const uint8_t* bytes;     // the archive itself, in memory (the image's payload)
    uint32_t length;
    const char* protectThrough;  // the product folder below the install root
};

// Windows' file system, but the archive is read from source's bytes, never
// from a file of that name, and each folder made on the way to and including
// source's protectThrough gets a protected descriptor like Program Files'
// (administrators and the system full control, users read and execute,
// nothing inherited from above) in place of what its parent would hand down.
// source must outlive the table's use.
FileSystem PayloadFileSystem(const PayloadSource* source);

}  // namespace qv::payload

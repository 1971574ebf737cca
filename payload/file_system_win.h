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

}  // namespace qv::payload

// Pure rules of the shell commands.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/value.h"

namespace qv::shell {

// How a folder kind is looked up: a CSIDL through the shell, or a system call.
enum class FolderSource { None, Shell, Windows, System, Temp };
struct FolderLookup {
    FolderSource source;
    int csidl;
};
// Kinds 1 to 11; every other kind is FolderSource::None.
FolderLookup LookupForKind(int32_t kind);

// A folder text gets a "\" unless it is empty or its last byte already is one
// (the last byte, not the last character).
bool NeedsSeparator(const char* text, size_t length);

// True when the file-name part of a link path (after its last real "\") has
// no "." and so gets ".lnk".
bool NeedsLinkSuffix(const char* linkPath);

// Verb numbers 1 to 5 give "edit", "explore", "find", "open", "print";
// anything else null (the default action).
const char* VerbFor(int32_t verbNumber);

// Show command: SW_SHOWNORMAL unless more than four arguments were passed and
// the fifth is present with a show mode of 1 to 6.
int ShowCommandFor(int argc, const TypedValue* args);

}  // namespace qv::shell

// How a typed value is stored in the registry, and how a value path names a
// key and a value. Pure logic.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/value.h"

namespace qv {

enum class RegistryRoot { ClassesRoot, CurrentConfig, CurrentUser, LocalMachine, Users };

// 1 classes root, 2 current config, 3 current user, 4 local machine, 5 users;
// any other number is the current user.
RegistryRoot RootFromNumber(int32_t number);

// Where the last backslash that is not a trail byte splits a value path: the
// key is the first keyLength bytes, the value name starts at nameOffset (empty
// name: the default value). Without one the key is empty and the whole text is
// the name.
struct ValuePathSplit {
    size_t keyLength;
    size_t nameOffset;
};
ValuePathSplit SplitValuePath(const char* path);

// What WriteRegistryValue stores; type 0 means nothing is stored. bytes points
// into the value (a text or byte set) or at dword.
struct RegistryData {
    uint32_t type = 0;  // REG_SZ 1, REG_BINARY 3, REG_DWORD 4
    const uint8_t* bytes = nullptr;
    uint32_t size = 0;
    uint8_t dword[4] = {};
};
RegistryData RegistryDataFor(const TypedValue& value);

// The number-to-integer rule: integers keep their low 32 bits (8-bit zero-,
// 16-bit sign-extended); floats are truncated toward zero through a 64-bit
// integer, and a value outside that range, or NaN, gives 0.
uint32_t NumberToDword(const TypedValue& value);

}  // namespace qv

// How a typed value is stored in the registry, and how a value path names a
// key and a value. Pure logic.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/value.h"

namespace qv {

enum class RegistryRoot { ClassesRoot, CurrentConfig, CurrentUser, LocalMachine, Users };

// 1 classes root, 2 current config, 3 current user, 4 local machine, 5 users;
// any other number is the current user.
RegistryRoot RootFromNumber(int32_t number);

// Splits at the last backslash that is not a trail byte: key before it, value
// name after it (empty: the default value). Without one the key is empty.
void SplitValuePath(const char* path, std::string* key, std::string* name);

// What WriteRegistryValue stores; type 0 means nothing is stored.
struct RegistryData {
    uint32_t type = 0;  // REG_SZ 1, REG_BINARY 3, REG_DWORD 4
    std::string bytes;
};
RegistryData RegistryDataFor(const TypedValue& value);

// The number-to-integer rule: integers keep their low 32 bits (8-bit zero-,
// 16-bit sign-extended); floats are truncated toward zero through a 64-bit
// integer, and a value outside that range, or NaN, gives 0.
uint32_t NumberToDword(const TypedValue& value);

}  // namespace qv

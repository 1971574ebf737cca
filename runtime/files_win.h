// File and registry commands. Each yields a logical (result.word) and never
// reports anything; the result stays false on every failure.
#pragma once

#include "runtime/value.h"

namespace qv {

// 1: path. Creates that one directory; false when it exists or its parent is
// missing.
void MakeDirectory(TypedValue* result, int argc, const TypedValue* args);

// 1: path, 2..n: byte sets. Creates or truncates the file and writes each
// non-empty byte set with one WriteFile. False for the empty path, a failed
// open, a failed or short write, or a failed close; bytes written stay.
// False, with nothing changed, when the file or its folder is a link or is
// reached through one, or the file has other hard links (OpenForReplace).
void WriteBytesToFile(TypedValue* result, int argc, const TypedValue* args);

// 1: root key number, 2: value path, 3: the value. Opens the key for writing
// or creates it (with missing parents), stores the value by its kind, closes
// the key. No registry view is named. A kind without a registry type stores
// nothing and yields false, but the key exists afterwards.
void WriteRegistryValue(TypedValue* result, int argc, const TypedValue* args);

}  // namespace qv

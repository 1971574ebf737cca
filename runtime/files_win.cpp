#include "runtime/files_win.h"

#include <windows.h>

#include <cstring>

#include "runtime/handles_win.h"
#include "runtime/memory.h"
#include "runtime/registry_rules.h"

namespace qv {
namespace {

const char* TextArg(const TypedValue& v) { return v.text ? v.text : ""; }

HKEY RootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case RegistryRoot::CurrentConfig:
            return HKEY_CURRENT_CONFIG;
        case RegistryRoot::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case RegistryRoot::Users:
            return HKEY_USERS;
        case RegistryRoot::CurrentUser:
            break;
    }
    return HKEY_CURRENT_USER;
}

}  // namespace

void MakeDirectory(TypedValue* result, int argc, const TypedValue* args) {
    if (argc < 1) return;
    result->word = CreateDirectoryA(TextArg(args[0]), nullptr) ? 1 : 0;
}

void WriteBytesToFile(TypedValue* result, int argc, const TypedValue* args) {
    if (argc < 1 || !*TextArg(args[0])) return;
    UniqueHandleFile file(CreateFileA(TextArg(args[0]), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    for (int i = 1; i < argc; ++i) {
        const uint32_t length = ByteSetLength(args[i].bytes);
        if (length == 0) continue;
        DWORD written = 0;
        if (!WriteFile(file.get(), ByteSetData(args[i].bytes), length, &written, nullptr) ||
            written != length)
            return;
    }
    if (!CloseHandle(file.release())) return;
    result->word = 1;
}

void WriteRegistryValue(TypedValue* result, int argc, const TypedValue* args) {
    if (argc < 3) return;
    const char* path = TextArg(args[1]);
    const ValuePathSplit split = SplitValuePath(path);
    // The key path as a text of its own; the value name is the path's tail.
    char* keyPath = static_cast<char*>(AllocBlock(split.keyLength + 1));
    std::memcpy(keyPath, path, split.keyLength);
    keyPath[split.keyLength] = '\0';
    const HKEY root = RootKey(RootFromNumber(args[0].i32));

    UniqueKey key;
    const bool opened = RegOpenKeyExA(root, keyPath, 0, KEY_WRITE, key.put()) == ERROR_SUCCESS ||
                        RegCreateKeyA(root, keyPath, key.put()) == ERROR_SUCCESS;
    FreeBlock(keyPath);
    if (!opened) return;
    const RegistryData data = RegistryDataFor(args[2]);
    if (data.type == 0) return;
    const LONG status = RegSetValueExA(key.get(), path + split.nameOffset, 0, data.type,
                                       data.bytes ? data.bytes : data.dword, data.size);
    result->word = status == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace qv

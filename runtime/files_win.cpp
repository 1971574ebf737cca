#include "runtime/files_win.h"

#include <windows.h>

#include <cstring>
#include <utility>

#include "runtime/handles_win.h"
#include "runtime/memory.h"
#include "runtime/pinned_file_win.h"
#include "runtime/registry_rules.h"
#include "runtime/text.h"

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

// Opens keyPath below root for writing or creates it. Missing levels are
// created one at a time below the deepest level that exists: on Windows
// that gives exactly the keys one RegCreateKeyA of the whole path gives,
// and Wine then puts a key made below WOW6432Node where 32-bit readers look
// (one RegCreateKeyA of the whole path nests it one WOW6432Node deeper).
// keyPath is cut and restored while the levels are tried.
[[nodiscard]] bool OpenOrCreateKey(HKEY root, char* keyPath, UniqueKey* key) noexcept {
    if (RegOpenKeyExA(root, keyPath, 0, KEY_WRITE, key->put()) == ERROR_SUCCESS) return true;
    // The deepest existing level: cut at each real backslash from the end.
    UniqueKey base;
    size_t created = 0;  // bytes of keyPath that name an existing key
    for (ptrdiff_t cut = FindLastSeparator(keyPath, false); cut > 0;) {
        keyPath[cut] = '\0';
        const bool exists = RegOpenKeyExA(root, keyPath, 0, KEY_CREATE_SUB_KEY, base.put()) == ERROR_SUCCESS;
        const ptrdiff_t next = exists ? -1 : FindLastSeparator(keyPath, false);
        keyPath[cut] = '\\';
        if (exists) {
            created = static_cast<size_t>(cut) + 1;
            break;
        }
        cut = next;
    }
    HKEY parent = base ? base.get() : root;
    UniqueKey level;
    for (size_t start = created; keyPath[start];) {
        // The next level runs to the next real backslash.
        size_t end = start;
        while (keyPath[end] && keyPath[end] != '\\') end += CharBytes(keyPath + end);
        const char kept = keyPath[end];
        keyPath[end] = '\0';
        UniqueKey made;
        const bool ok = end == start || RegCreateKeyA(parent, keyPath + start, made.put()) == ERROR_SUCCESS;
        keyPath[end] = kept;
        if (!ok) return false;
        if (made) {
            level = std::move(made);
            parent = level.get();
        }
        start = kept ? end + 1 : end;
    }
    if (!level) return false;
    *key = std::move(level);
    return true;
}

}  // namespace

void MakeDirectory(TypedValue* result, int argc, const TypedValue* args) {
    if (argc < 1) return;
    // Never through a link, and only where the user could have made it: the
    // folders made are the user's.
    result->word = MakeUnlinkedFolder(TextArg(args[0])) ? 1 : 0;
}

void WriteBytesToFile(TypedValue* result, int argc, const TypedValue* args) {
    if (argc < 1 || !*TextArg(args[0])) return;
    // Never through a link: the path may lie in a folder a less trusted user
    // controls.
    PinnedFile pinned = OpenForReplace(TextArg(args[0]));
    if (!pinned) return;
    UniqueHandleFile file = std::move(pinned.file);
    for (int i = 1; i < argc; ++i) {
        const uint32_t length = ByteSetLength(args[i].bytes);
        if (length == 0) continue;
        DWORD written = 0;
        if (!WriteFile(file.get(), ByteSetData(args[i].bytes), length, &written, nullptr) ||
            written != length)
            return;
    }
    // Closed by hand: a failed close (data not written) is a failed write.
    if (!CloseHandle(file.release())) return;
    result->word = 1;
}

void WriteRegistryValue(TypedValue* result, int argc, const TypedValue* args) {
    if (argc < 3) return;
    const char* path = TextArg(args[1]);
    const ValuePathSplit split = SplitValuePath(path);
    // The key path as a text of its own; the value name is the path's tail.
    const UniqueBlock<char[]> keyPath(static_cast<char*>(AllocBlock(split.keyLength + 1)));
    std::memcpy(keyPath.get(), path, split.keyLength);
    keyPath[split.keyLength] = '\0';
    const HKEY root = RootKey(RootFromNumber(args[0].i32));

    UniqueKey key;
    if (!OpenOrCreateKey(root, keyPath.get(), &key)) return;
    const RegistryData data = RegistryDataFor(args[2]);
    if (data.type == 0) return;
    const LONG status = RegSetValueExA(key.get(), path + split.nameOffset, 0, data.type,
                                       data.bytes ? data.bytes : data.dword, data.size);
    result->word = status == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace qv

#include "runtime/registry_rules.h"

#include <cstring>

#include "runtime/text.h"

namespace qv {

RegistryRoot RootFromNumber(int32_t number) {
    switch (number) {
        case 1:
            return RegistryRoot::ClassesRoot;
        case 2:
            return RegistryRoot::CurrentConfig;
        case 4:
            return RegistryRoot::LocalMachine;
        case 5:
            return RegistryRoot::Users;
        default:
            return RegistryRoot::CurrentUser;
    }
}

ValuePathSplit SplitValuePath(const char* path) {
    const ptrdiff_t cut = FindLastSeparator(path, false);
    if (cut < 0) return {0, 0};
    return {static_cast<size_t>(cut), static_cast<size_t>(cut) + 1};
}

uint32_t NumberToDword(const TypedValue& v) {
    switch (v.tag) {
        case kTagU8:
            return v.u8;
        case kTagI16:
            return static_cast<uint32_t>(static_cast<int32_t>(v.i16));
        case kTagI32:
            return static_cast<uint32_t>(v.i32);
        case kTagI64:
            return static_cast<uint32_t>(static_cast<uint64_t>(v.i64));
        case kTagF32:
        case kTagF64: {
            const double d = v.tag == kTagF32 ? static_cast<double>(v.f32) : v.f64;
            if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) return 0;
            return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(d)));
        }
        default:
            return 0;
    }
}

RegistryData RegistryDataFor(const TypedValue& v) {
    RegistryData data;
    // An array has no registry type, whatever its element kind.
    if (IsArrayTag(v.tag)) return data;
    if (IsNumericTag(v.tag)) {
        const uint32_t n = NumberToDword(v);
        data.type = 4;
        for (int i = 0; i < 4; ++i) data.dword[i] = static_cast<uint8_t>(n >> (8 * i));
        data.size = 4;
    } else if (v.tag == kTagText) {
        data.type = 1;
        data.bytes = reinterpret_cast<const uint8_t*>(v.text ? v.text : "");
        data.size = static_cast<uint32_t>(TextLength(v.text) + 1);
    } else if (v.tag == kTagByteSet) {
        data.type = 3;
        data.bytes = ByteSetData(v.bytes);
        data.size = ByteSetLength(v.bytes);
    }
    return data;
}

}  // namespace qv

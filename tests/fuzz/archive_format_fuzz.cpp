// Fuzzes the archive decoders: extra-field walk, attributes and the mapping
// of entry names to output paths, which must never leave the target.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "payload/archive_format.h"
#include "runtime/text.h"

using namespace qv::payload;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const UnixTimes t = FindUnixTimes(data, size);
    if (t.write && t.writeTime < 0) std::abort();
    if (size >= 4) {
        uint32_t x;
        std::memcpy(&x, data, 4);
        const uint32_t a = DecodeAttributes(x);
        if (!(a & 0x80) || (a & ~0xB7u)) std::abort();
    }
    (void)PassesHeaderTest(data, size);

    // Split the input into a target and a NUL-free name.
    std::string input(reinterpret_cast<const char*>(data), size);
    for (char& c : input)
        if (c == '\0') c = '_';
    const size_t cut = input.find('|');
    const std::string target =
        "C:\\T\\" + (cut == std::string::npos ? std::string() : input.substr(0, cut % 40));
    const std::string name = cut == std::string::npos ? input : input.substr(cut + 1);
    char mapped[kPathBytes];
    if (MapOutputPath(target.c_str(), name.c_str(), mapped)) {
        const std::string path = mapped;
        if (path.size() >= kPathBytes) std::abort();
        if (path.compare(0, target.size(), target) != 0) std::abort();
        if (IsUnsafeName(name.c_str())) std::abort();
        // No ".." segment may survive into the output path below the target.
        const std::string below = path.substr(target.size());
        size_t start = 0;
        for (size_t i = 0; i <= below.size(); ++i) {
            if (i == below.size() || below[i] == '\\') {
                if (below.compare(start, i - start, "..") == 0 && i - start == 2) std::abort();
                start = i + 1;
            } else {
                i += qv::CharBytes(below.c_str() + i, below.size() - i) - 1;
            }
        }
    }
    return 0;
}

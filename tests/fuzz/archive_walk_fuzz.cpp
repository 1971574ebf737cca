// Fuzzes the whole extraction walk on an archive in memory: the directory
// scan and its rules, minizip over an in-memory file layer, the checked
// reading of every entry's data and the output paths. Invariants: no output
// outside the target or with a ".." segment, no entry handing on more than
// its declared size, and the validator's verdict (and refused entry) equal
// to the walk's.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tests/support/memory_walk.h"
#include "tools/pack/zip_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string archive(reinterpret_cast<const char*>(data), size);
    const std::string target = qv::pack::kLongestRoot;
    const qv::test::WalkResult walk = qv::test::WalkArchive(archive, target.c_str());
    for (const qv::test::WalkOutput& out : walk.outputs) {
        if (out.path.compare(0, target.size(), target) != 0 || out.path.size() >= 260) std::abort();
        if (out.path.find("\\..\\") != std::string::npos ||
            out.path.size() >= 3 && out.path.compare(out.path.size() - 3, 3, "\\..") == 0)
            std::abort();
        if (out.bytes > out.declared) std::abort();
    }
    const std::string verdict = qv::pack::CheckExtractable(archive);
    if (verdict.empty() != walk.complete) std::abort();
    if (walk.failedAt >= 0 && verdict.rfind("entry " + std::to_string(walk.failedAt) + " ", 0) != 0)
        std::abort();
    if (!walk.complete && walk.failedAt < 0 && verdict.rfind("archive: ", 0) != 0) std::abort();
    return 0;
}

// Archives crafted to break one rule each, shared by the native rule tests
// and the extraction tests under Wine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/zip_builder.h"

namespace qv::test {

ZipEntrySpec FileEntry(const std::string& name, const std::string& data, bool deflate = true);

// A sound archive: a folder, a deflated file, a stored file, an empty file.
std::vector<ZipEntrySpec> GoodArchiveEntries();

struct Crafted {
    const char* what;
    std::string archive;
    const char* words;  // expected in the validator's message
    int32_t entry;      // the refused entry, -1 for the archive
};

// Each case breaks one rule; entry cases insert the bad entry at index 2 of
// the sound archive (index 1 for the encrypted one).
std::vector<Crafted> CraftedArchives();

}  // namespace qv::test

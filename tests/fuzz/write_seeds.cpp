// write_seeds DIR: the crafted test archives (and the sound one) as fuzzing
// seeds, one file each.
#include <cstdio>
#include <fstream>
#include <string>

#include "tests/support/crafted_archives.h"

int main(int argc, char** argv) {
    if (argc != 2) return 64;
    int n = 0;
    auto write = [&](const std::string& bytes) {
        std::ofstream(std::string(argv[1]) + "/seed" + std::to_string(n++) + ".zip", std::ios::binary)
            << bytes;
    };
    write(qv::test::BuildZip(qv::test::GoodArchiveEntries()));
    for (const qv::test::Crafted& c : qv::test::CraftedArchives()) write(c.archive);
    return 0;
}

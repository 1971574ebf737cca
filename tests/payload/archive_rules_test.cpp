// The rules an archive must satisfy, on names and on crafted archives, and
// the agreement of the payload validator with the extraction's walk.
#include "payload/archive_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/crafted_archives.h"
#include "tests/support/memory_walk.h"
#include "tests/support/zip_builder.h"
#include "tools/pack/zip_check.h"

namespace qv::payload {
namespace {

using test::BuildZip;
using test::Crafted;
using test::CraftedArchives;
using test::FolderEntry;
using test::GoodArchiveEntries;
using test::ZipEntrySpec;

Refusal Name(const std::string& name) { return CheckEntryName(name.data(), name.size()); }

TEST(NameRules, DeviceNamesInAnyComponentCaseAndExtension) {
    for (const char* name : {"Zentrel/NUL", "sub/AUX.log", "COM1.txt", "con", "Prn.x.y", "lpt9", "LPT1 .txt",
                             "CONIN$", "conout$.log", "a/Com5/b.txt", "nul.tar.gz"})
        EXPECT_EQ(Refusal::DeviceName, Name(name)) << name;
    for (const char* name :
         {"CONSOLE", "nul_", "COM0", "COM10", "LPT", "xcon", "Zentrel/Nullsoft.dll", "auxx/f"})
        EXPECT_EQ(Refusal::None, Name(name)) << name;
}

TEST(NameRules, ColonsTrailingDotsAndSpacesAndUnsafeNames) {
    for (const char* name : {"a.txt:x", "sub/b:c", "ab:", "xy:$DATA"})
        EXPECT_EQ(Refusal::Colon, Name(name)) << name;
    for (const char* name : {"x.", "dir./f", "y ", "dir /f", "a/./b", "Aux."})
        EXPECT_EQ(Refusal::TrailingDotOrSpace, Name(name)) << name;
    for (const char* name : {"../x", "a/../b", "/abs", "\\abs", "C:x", "a:"})
        EXPECT_EQ(Refusal::UnsafeName, Name(name)) << name;
    EXPECT_EQ(Refusal::UnsafeName, Name(std::string("a\0b", 3)));
    EXPECT_EQ(Refusal::EmptyName, Name(""));
    // Folder entries end in a separator; .dotfiles and inner dots are fine.
    for (const char* name : {"Zentrel/", "Zentrel/Res/", ".config", "a.b/c.d", "x/y\\z"})
        EXPECT_EQ(Refusal::None, Name(name)) << name;
}

TEST(NameRules, GbkTrailBytesAreNeitherSeparatorsNorDots) {
    // 81 5C is one character (its trail byte is "\"): one component, no split.
    EXPECT_EQ(Refusal::None, Name("Zentrel/\x81\x5C.txt"));
    EXPECT_EQ(Refusal::None, Name("\xC4\xE3\x81\x5C"));
    // A component that is a device name only if the trail byte were a separator.
    EXPECT_EQ(Refusal::None, Name("\x81\x5Cnul"));
    // 0x80 and 0xFF are characters of their own in code page 936: the "\"
    // after them separates, and what follows is a device name.
    EXPECT_EQ(Refusal::DeviceName, Name("\x80\\NUL"));
    EXPECT_EQ(Refusal::DeviceName, Name("Zentrel/\xFF\\con.txt"));
}

TEST(NameRules, AFileNameEndingInATrailByte5CIsNoFolder) {
    EXPECT_FALSE(IsFolderEntry("Zentrel/\xD5\x5C", 10, 0x20));
    EXPECT_TRUE(IsFolderEntry("Zentrel/\xD5\x5C/", 11, 0x20));
    EXPECT_TRUE(IsFolderEntry("Zentrel\\", 8, 0x20));
    EXPECT_TRUE(IsFolderEntry("Zentrel/\x80\\", 10, 0x20)) << "0x80 is no lead byte";
    EXPECT_TRUE(IsFolderEntry("Win10x64", 8, 0x10)) << "by its attributes";
    EXPECT_FALSE(IsFolderEntry("", 0, 0x20));
}

TEST(OutputRules, PathsUpTo259BytesAndFoldersUpTo247) {
    const size_t root = std::strlen(pack::kLongestRoot);  // ends in "\"
    const std::string fits(259 - root, 'n');
    EXPECT_EQ(Refusal::None, CheckOutputLength(root, true, fits.data(), fits.size()));
    const std::string over = fits + "n";
    EXPECT_EQ(Refusal::NameTooLong, CheckOutputLength(root, true, over.data(), over.size()));
    // Without a final separator the target gets one.
    EXPECT_EQ(Refusal::NameTooLong, CheckOutputLength(root - 1, false, over.data(), over.size()));
    const std::string folder247 = std::string(247 - root, 'd') + "/f";
    EXPECT_EQ(Refusal::None, CheckOutputLength(root, true, folder247.data(), folder247.size()));
    const std::string folder248 = std::string(248 - root, 'd') + "/f";
    EXPECT_EQ(Refusal::FolderTooLong, CheckOutputLength(root, true, folder248.data(), folder248.size()));
    const std::string entry248 = std::string(248 - root, 'd') + "/";
    EXPECT_EQ(Refusal::FolderTooLong, CheckOutputLength(root, true, entry248.data(), entry248.size()));
}

TEST(ArchiveRules, CraftedArchivesAreRefusedAtTheRightPlaceByBoth) {
    const test::WalkResult good = test::WalkArchive(BuildZip(GoodArchiveEntries()), pack::kLongestRoot);
    ASSERT_TRUE(good.complete);
    ASSERT_EQ(4u, good.outputs.size());
    EXPECT_EQ("", pack::CheckExtractable(BuildZip(GoodArchiveEntries())));
    for (const Crafted& k : CraftedArchives()) {
        SCOPED_TRACE(k.what);
        const std::string message = pack::CheckExtractable(k.archive);
        EXPECT_NE(std::string::npos, message.find(k.words)) << message;
        const test::WalkResult walk = test::WalkArchive(k.archive, pack::kLongestRoot);
        EXPECT_FALSE(walk.complete);
        EXPECT_EQ(k.entry, walk.failedAt);
        if (k.entry >= 0) {
            EXPECT_EQ(0u, message.rfind("entry " + std::to_string(k.entry) + " ", 0)) << message;
            // The entries before it are written; the refused one gets nothing
            // beyond its declared size.
            EXPECT_GE(walk.outputs.size(), static_cast<size_t>(k.entry));
            for (const test::WalkOutput& out : walk.outputs) EXPECT_LE(out.bytes, out.declared) << out.path;
        } else {
            EXPECT_TRUE(walk.outputs.empty()) << "something was written for a refused archive";
        }
    }
}

TEST(ArchiveRules, KeepWorking) {
    // A GBK name whose trail byte is 0x5C is one file; names up to the
    // limit; empty folders; zero-length files; data descriptors.
    const size_t room = 259 - std::strlen(pack::kLongestRoot);
    std::vector<ZipEntrySpec> e = {FolderEntry("Zentrel/"), test::FileEntry("Zentrel/\x81\x5C.txt", "gbk"),
                                   test::FileEntry("Zentrel/" + std::string(room - 8, 'n'), "long"),
                                   FolderEntry("Zentrel/Empty/"), test::FileEntry("Zentrel/zero", "")};
    const std::string archive = BuildZip(e);
    EXPECT_EQ("", pack::CheckExtractable(archive));
    const test::WalkResult walk = test::WalkArchive(archive, pack::kLongestRoot);
    ASSERT_TRUE(walk.complete);
    EXPECT_EQ(std::string(pack::kLongestRoot) + "Zentrel\\\x81\x5C.txt", walk.outputs[1].path);
    EXPECT_EQ(0u, walk.outputs[4].bytes);
}

}  // namespace
}  // namespace qv::payload

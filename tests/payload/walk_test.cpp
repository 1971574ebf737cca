// The shipped extraction walk, natively under the sanitizers, over a file
// system in memory: what it makes, in which order, and where it stops.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "payload/archive_reader.h"
#include "payload/extractor.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/zip_builder.h"

namespace qv::payload {
namespace {

using test::BuildZip;
using test::FolderEntry;
using test::MemoryFileSystem;
using test::ZipEntrySpec;

constexpr char kArchive[] = "C:\\a.zip";
constexpr char kTarget[] = "C:\\Program Files (x86)\\";

std::vector<std::pair<uint32_t, uint32_t>> g_calls;
void Record(uint32_t current, uint32_t total, const char*, ArchiveExtractor*) {
    g_calls.emplace_back(current, total);
}

class Walk : public testing::Test {
protected:
    int32_t Extract(const std::vector<ZipEntrySpec>& entries) {
        fs_.PutFile(kArchive, BuildZip(entries));
        g_calls.clear();
        ArchiveExtractor x;
        x.listener = Record;
        return RunExtraction(&x, fs_.table(), kArchive, kTarget);
    }
    const MemoryFileSystem::Node* Out(const std::string& relative) {
        return fs_.Find(std::string(kTarget) + relative);
    }
    MemoryFileSystem fs_;
};

ZipEntrySpec File(const std::string& name, const std::string& data) {
    ZipEntrySpec e;
    e.name = name;
    e.data = data;
    return e;
}

TEST_F(Walk, MakesTheTreeInOrderWithOneEventPerEntryAndOneMore) {
    ASSERT_EQ(1, Extract({FolderEntry("Zentrel/"), File("Zentrel/Zentrel.exe", "program"),
                          FolderEntry("Zentrel/Res/"), File("Zentrel/Res/a.dat", std::string(40000, 'a')),
                          FolderEntry("Zentrel/Win10x64/")}));
    // Each folder once, as a level of the target or as its entry, by its
    // path with the final "\"; each file after its folder.
    const std::string root = kTarget;
    const std::vector<std::string> made = {root,
                                           root + "Zentrel\\",
                                           root + "Zentrel\\Zentrel.exe",
                                           root + "Zentrel\\Res\\",
                                           root + "Zentrel\\Res\\a.dat",
                                           root + "Zentrel\\Win10x64\\"};
    EXPECT_EQ(made, fs_.created());
    EXPECT_EQ(std::string(40000, 'a'), Out("Zentrel\\Res\\a.dat")->bytes);
    EXPECT_EQ(0x80u, Out("Zentrel\\Zentrel.exe")->attributes) << "made normal after writing (created 0xA1)";
    const std::vector<std::pair<uint32_t, uint32_t>> calls = {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}};
    EXPECT_EQ(calls, g_calls);
}

TEST_F(Walk, FilesGetTheTimesOfTheirEntries) {
    ZipEntrySpec ut = File("ut.txt", "ut");
    ut.localExtra = test::UtBlock(3, {1700000000u, 1600000000u});
    ZipEntrySpec undated = File("undated.txt", "x");
    undated.dosDate = 0;
    undated.dosTime = 0;
    ASSERT_EQ(1, Extract({File("dos.txt", "dos"), ut, undated}));
    const uint64_t dos = MemoryFileSystem::DosAsUtc((0x5956u << 16) | 0x7E6F);  // 2024-10-22 15:51:30
    EXPECT_EQ(133740858900000000u, dos);
    const EntryTimes& d = Out("dos.txt")->times;
    EXPECT_EQ(dos, d.creation);
    EXPECT_EQ(dos, d.access);
    EXPECT_EQ(dos, d.write);
    const EntryTimes& u = Out("ut.txt")->times;
    EXPECT_EQ(UnixToFileTime(1700000000), u.write);
    EXPECT_EQ(UnixToFileTime(1600000000), u.access);
    EXPECT_EQ(dos, u.creation) << "no creation time in the block";
    const EntryTimes& none = Out("undated.txt")->times;
    EXPECT_EQ(0u, none.creation + none.access + none.write) << "an invalid DOS date leaves every time";
}

TEST_F(Walk, AFailedFileStaysNormalAndStopsTheWalk) {
    ZipEntrySpec bad = File("Zentrel/bad.dll", std::string(30000, 'b'));
    bad.external = 0x03;  // read-only, hidden
    bad.wrongCrc = true;
    EXPECT_EQ(0, Extract({File("Zentrel/first.txt", "first"), bad, File("Zentrel/after.txt", "after")}));
    ASSERT_NE(nullptr, Out("Zentrel\\bad.dll"));
    EXPECT_EQ(std::string(30000, 'b'), Out("Zentrel\\bad.dll")->bytes) << "written as far as it went";
    EXPECT_EQ(0x80u, Out("Zentrel\\bad.dll")->attributes);
    EXPECT_EQ(nullptr, Out("Zentrel\\after.txt"));
    ASSERT_EQ(2u, g_calls.size()) << "one entry, then the end";
    EXPECT_EQ(g_calls.back().first, g_calls.back().second);
}

TEST_F(Walk, AReadOnlyFileInTheWayStopsThere) {
    fs_.PutFolder("C:\\Program Files (x86)\\Zentrel");
    fs_.PutFile("C:\\Program Files (x86)\\Zentrel\\b.txt", "theirs", 0x01);
    EXPECT_EQ(0,
              Extract({File("Zentrel/a.txt", "a"), File("Zentrel/b.txt", "b"), File("Zentrel/c.txt", "c")}));
    EXPECT_EQ("a", Out("Zentrel\\a.txt")->bytes);
    EXPECT_EQ("theirs", Out("Zentrel\\b.txt")->bytes);
    EXPECT_EQ(nullptr, Out("Zentrel\\c.txt"));
}

TEST_F(Walk, ANameEndingInATrailByte5CIsAFile) {
    ASSERT_EQ(1, Extract({File("tree/\xD5\x5C", "a file")}));
    ASSERT_NE(nullptr, Out("tree\\\xD5\x5C"));
    EXPECT_FALSE(Out("tree\\\xD5\x5C")->folder);
    EXPECT_EQ("a file", Out("tree\\\xD5\x5C")->bytes);
}

TEST_F(Walk, TheArchiveIsDescribedRightAfterOpeningAndAFailedOpenChangesNothing) {
    fs_.PutFile(kArchive, BuildZip({FolderEntry("f/"), FolderEntry("g/")}));
    ArchiveReader reader;
    EXPECT_EQ(kStatusCannotOpen, OpenArchive(&reader, fs_.table(), "C:\\none.zip", kTarget));
    EXPECT_STREQ("", reader.root);
    ASSERT_EQ(kStatusOk, OpenArchive(&reader, fs_.table(), kArchive, "C:\\T"));
    EXPECT_STREQ("C:\\T\\", reader.root);
    ArchiveEntry entry;
    ASSERT_EQ(kStatusOk, GetEntry(&reader, -1, &entry));
    EXPECT_EQ(2, entry.index);
    EXPECT_EQ(kStatusOk, CloseArchive(&reader));
}

}  // namespace
}  // namespace qv::payload

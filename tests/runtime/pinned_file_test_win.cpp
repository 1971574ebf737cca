// Opening, appending and deleting in folders a less trusted user may have
// turned into links (Wine's Unix symbolic links stand in for junctions).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "runtime/pinned_file_win.h"
#include "tests/support/child_process_win.h"
#include "tests/support/system_read_win.h"

namespace qv::test {
namespace {

class PinnedFiles : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WriteWholeFile(victim_, "theirs")); }
    bool Append(const std::string& path, const std::string& bytes) {
        const PinnedFile f = OpenForAppend(path.c_str());
        DWORD written = 0;
        return f &&
               WriteFile(f.file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    const TempFolder dir_{"pinned"}, elsewhere_{"elsewhere"};
    const std::string victim_ = elsewhere_ + "\\victim.txt";
};

TEST_F(PinnedFiles, AppendAddsToAFileOrMakesOne) {
    const std::string log = dir_ + "\\launch.log";
    EXPECT_TRUE(Append(log, "one\n"));
    EXPECT_TRUE(Append(log, "two\n"));
    EXPECT_EQ("one\ntwo\n", ReadWholeFile(log));
    const PinnedFile a = OpenForAppend(log.c_str());
    EXPECT_TRUE(a);
    EXPECT_TRUE(OpenForAppend(log.c_str())) << "appenders share the file";
}

TEST_F(PinnedFiles, NothingIsAppendedOrMadeThroughALink) {
    {
        const UnixSymlink file(dir_ + "\\launch.log", victim_);
        ASSERT_TRUE(file);
        EXPECT_FALSE(Append(dir_ + "\\launch.log", "x"));
    }
    {
        const UnixSymlink folder(dir_ + "\\Moranzo", elsewhere_);
        ASSERT_TRUE(folder);
        EXPECT_FALSE(Append(dir_ + "\\Moranzo\\victim.txt", "x"));
        EXPECT_FALSE(Append(dir_ + "\\Moranzo\\new.log", "x"));
        EXPECT_FALSE(OpenForReading((dir_ + "\\Moranzo\\victim.txt").c_str()));
    }
    EXPECT_EQ("theirs", ReadWholeFile(victim_));
    EXPECT_FALSE(PathExists(elsewhere_ + "\\new.log"));
}

TEST_F(PinnedFiles, DeletesOnlyWhatIsNoLinkNorReachedThroughOne) {
    const std::string plain = dir_ + "\\Quorvane.zip";
    ASSERT_TRUE(WriteWholeFile(plain, "ours"));
    ASSERT_TRUE(SetFileAttributesA(plain.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(DeleteUnlinkedFile(plain.c_str())) << "read-only too";
    EXPECT_FALSE(PathExists(plain));
    EXPECT_FALSE(DeleteUnlinkedFile(plain.c_str())) << "nothing there";
    {
        const UnixSymlink file(dir_ + "\\Quorvane.zip", victim_);
        ASSERT_TRUE(file);
        EXPECT_FALSE(DeleteUnlinkedFile((dir_ + "\\Quorvane.zip").c_str()));
    }
    {
        const UnixSymlink folder(dir_ + "\\Moranzo", elsewhere_);
        ASSERT_TRUE(folder);
        EXPECT_FALSE(DeleteUnlinkedFile((dir_ + "\\Moranzo\\victim.txt").c_str()));
        EXPECT_FALSE(RemoveUnlinkedFolder((dir_ + "\\Moranzo").c_str()));
    }
    EXPECT_EQ("theirs", ReadWholeFile(victim_));
}

TEST_F(PinnedFiles, RemovesOnlyAnEmptyFolder) {
    const std::string folder = dir_ + "\\Quorvane";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(folder + "\\Other.lnk", "theirs"));
    EXPECT_FALSE(RemoveUnlinkedFolder(folder.c_str()));
    EXPECT_EQ("theirs", ReadWholeFile(folder + "\\Other.lnk"));
    ASSERT_TRUE(DeleteUnlinkedFile((folder + "\\Other.lnk").c_str()));
    EXPECT_TRUE(RemoveUnlinkedFolder(folder.c_str()));
    EXPECT_FALSE(PathExists(folder));
}

TEST_F(PinnedFiles, AFileHeldForReadingCannotBeChangedOrMoved) {
    const std::string path = dir_ + "\\Quorvane.lnk";
    ASSERT_TRUE(WriteWholeFile(path, "ours"));
    const PinnedFile held = OpenForReading(path.c_str());
    ASSERT_TRUE(held);
    EXPECT_FALSE(WriteWholeFile(path, "theirs"));
    EXPECT_FALSE(MoveFileA(path.c_str(), (dir_ + "\\moved.lnk").c_str()));
    EXPECT_FALSE(MoveFileA(dir_.c_str(), (dir_ + ".moved").c_str())) << "nor its folder";
    EXPECT_FALSE(OpenForReplace(path.c_str()));
    EXPECT_EQ("ours", ReadWholeFile(path));
}

}  // namespace
}  // namespace qv::test

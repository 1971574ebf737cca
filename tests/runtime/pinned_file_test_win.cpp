// Opening, appending and deleting in folders a less trusted user may have
// turned into links (Wine's Unix symbolic links stand in for junctions).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "runtime/pinned_file_win.h"
#include "runtime/user_token_win.h"
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

TEST_F(PinnedFiles, AHeldFolderIsFollowedWhereItIsButNoLinkBelowIt) {
    // The user's folder moved elsewhere behind a link, as a profile may be.
    const std::string real = elsewhere_ + "\\Desktop", named = dir_ + "\\Desktop";
    ASSERT_TRUE(CreateDirectoryA(real.c_str(), nullptr));
    const UnixSymlink moved(named, real);
    ASSERT_TRUE(moved);
    EXPECT_FALSE(Append(named + "\\before.log", "x")) << "not held yet";
    ASSERT_TRUE(HoldUserFolder((named + "\\").c_str()));
    EXPECT_TRUE(Append(named + "\\launch.log", "x"));
    EXPECT_EQ("x", ReadWholeFile(real + "\\launch.log"));
    EXPECT_TRUE(MakeUnlinkedFolder((named + "\\Quorvane").c_str()));
    EXPECT_TRUE(PathExists(real + "\\Quorvane"));
    EXPECT_TRUE(DeleteUnlinkedFile((named + "\\launch.log").c_str()));
    // Below it, a link is the user's, not the machine's.
    const TempFolder target("target");
    const UnixSymlink below(real + "\\Programs", target);
    ASSERT_TRUE(below);
    EXPECT_FALSE(MakeUnlinkedFolder((named + "\\Programs\\Quorvane").c_str()));
    EXPECT_FALSE(Append(named + "\\Programs\\x.log", "x"));
    EXPECT_FALSE(PathExists(target + "\\Quorvane"));
    EXPECT_FALSE(PathExists(target + "\\x.log"));
}

// The user's own access verdict, as Windows would give it, in place of the
// process token's (Wine's file security cannot deny it).
struct AskedRights {
    static inline Access verdict = Access::Denied;
    static inline DWORD asked = 0;
    static Access Verdict(HANDLE, DWORD desired) {
        asked |= desired;
        return verdict;
    }
};

TEST_F(PinnedFiles, NothingIsDoneThatTheUserCouldNotHaveDone) {
    const std::string existing = dir_ + "\\Quorvane.zip", made = dir_ + "\\new.lnk",
                      folder = dir_ + "\\Quorvane";
    ASSERT_TRUE(WriteWholeFile(existing, "theirs"));
    ASSERT_TRUE(CreateDirectoryA((dir_ + "\\Empty").c_str(), nullptr));
    const UserSideForTest elevated{{Elevation::Full, true, true, false}, AskedRights::Verdict};
    SetUserSideForTest(&elevated);
    for (Access verdict : {Access::Denied, Access::Unknown}) {
        AskedRights::verdict = verdict;
        AskedRights::asked = 0;
        EXPECT_FALSE(OpenForReplace(existing.c_str()));
        EXPECT_FALSE(OpenForReplace(made.c_str()));
        EXPECT_FALSE(Append(existing, "x"));
        EXPECT_FALSE(MakeUnlinkedFolder(folder.c_str()));
        EXPECT_FALSE(DeleteUnlinkedFile(existing.c_str()));
        EXPECT_FALSE(RemoveUnlinkedFolder((dir_ + "\\Empty").c_str()));
        const DWORD rights = FILE_WRITE_DATA | FILE_ADD_FILE | FILE_APPEND_DATA | FILE_ADD_SUBDIRECTORY |
                             DELETE | FILE_DELETE_CHILD;
        EXPECT_EQ(rights, AskedRights::asked);
    }
    EXPECT_EQ("theirs", ReadWholeFile(existing));
    EXPECT_FALSE(PathExists(made));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_TRUE(PathExists(dir_ + "\\Empty"));
    AskedRights::verdict = Access::Granted;
    EXPECT_TRUE(OpenForReplace(made.c_str()));
    EXPECT_TRUE(MakeUnlinkedFolder(folder.c_str()));
    EXPECT_TRUE(DeleteUnlinkedFile(existing.c_str()));
    SetUserSideForTest(nullptr);
}

TEST(HeldFile, HoldsExactlyTheBytesAndNoMore) {
    const TempFolder dir("exact");
    const std::string path = dir + "\\f";
    const std::string bytes(300000, 'q');  // more than one compared block
    auto check = [&](const std::string& content, const std::string& against) {
        EXPECT_TRUE(WriteWholeFile(path, content));
        HANDLE h =
            CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        const bool same = HoldsExactly(h, against.data(), static_cast<uint32_t>(against.size()));
        CloseHandle(h);
        return same;
    };
    EXPECT_TRUE(check(bytes, bytes));
    std::string changed = bytes;
    changed[270000] = 'x';
    EXPECT_FALSE(check(changed, bytes));
    EXPECT_FALSE(check(bytes + "x", bytes));
    EXPECT_FALSE(check(bytes.substr(1), bytes));
    EXPECT_TRUE(check("", ""));
}

}  // namespace
}  // namespace qv::test

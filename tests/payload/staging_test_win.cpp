// Staging of the embedded payload archive.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "payload/staging_win.h"
#include "runtime/memory.h"
#include "runtime/value.h"
#include "tests/support/child_process_win.h"
#include "tests/support/system_read_win.h"

namespace qv::test {
namespace {

std::string Embedded() {
    return std::string(reinterpret_cast<const char*>(ByteSetData(qv_payload_archive)),
                       ByteSetLength(qv_payload_archive));
}

TEST(Payload, IsAConstantByteSetWithTheEmptyOneBehindIt) {
    EXPECT_EQ(1u, reinterpret_cast<const ByteSetHeader*>(qv_payload_archive)->one);
    const std::string bytes = Embedded();
    ASSERT_GT(bytes.size(), 22u);
    EXPECT_EQ(0, std::memcmp(bytes.data(), "PK\x03\x04", 4));
    EXPECT_EQ(0, std::memcmp(bytes.data() + bytes.size() - 22, "PK\x05\x06", 4));
    const uint8_t* behind = ByteSetData(qv_payload_archive) + ((bytes.size() + 3) & ~size_t{3});
    EXPECT_EQ(qv_empty_byte_set, behind);
    EXPECT_EQ(1u, reinterpret_cast<const ByteSetHeader*>(qv_empty_byte_set)->one);
    EXPECT_EQ(0u, ByteSetLength(qv_empty_byte_set));
    EXPECT_TRUE(IsConstantData(qv_payload_archive));
    EXPECT_TRUE(IsConstantData(qv_empty_byte_set));
    FreeBlock(const_cast<uint8_t*>(qv_payload_archive));
    FreeBlock(const_cast<uint8_t*>(qv_empty_byte_set));
    EXPECT_EQ(1u, reinterpret_cast<const ByteSetHeader*>(qv_payload_archive)->one);
}

// A company folder below a fresh folder, and the staging path in it.
class Staging : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CreateDirectoryA(company_.c_str(), nullptr)); }
    const TempFolder dir_{"stage"};
    const std::string company_ = dir_ + "\\Moranzo";
    const std::string staged_ = company_ + "\\Quorvane.zip";
};

TEST_F(Staging, WritesExactlyTheEmbeddedArchiveReplacingAnyEarlierFile) {
    for (size_t earlier : {Embedded().size() + 12345, size_t{10}}) {
        ASSERT_TRUE(WriteWholeFile(staged_, std::string(earlier, 'e')));
        EXPECT_TRUE(payload::StagePayload(staged_.c_str()));
        const std::string written = ReadWholeFile(staged_);
        EXPECT_EQ(Embedded().size(), written.size());
        EXPECT_TRUE(written == Embedded());
    }
}

TEST_F(Staging, WithoutAFolderThePathIsRelativeToTheProgramFolder) {
    const std::string company = ExeFolder() + "\\Moranzo";
    CreateDirectoryA(company.c_str(), nullptr);
    EXPECT_TRUE(payload::StagePayload("Moranzo\\Quorvane.zip"));
    EXPECT_TRUE(ReadWholeFile(company + "\\Quorvane.zip") == Embedded());
    RemoveTree(company);
}

TEST_F(Staging, AFileHeldOpenIsLeftAlone) {
    // Held without sharing, and held for shared reading (the write fails, a
    // shared read would still open it).
    for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
        SCOPED_TRACE(share);
        ASSERT_TRUE(WriteWholeFile(staged_, "planted"));
        HANDLE h = CreateFileA(staged_.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        EXPECT_FALSE(payload::StagePayload(staged_.c_str()));
        CloseHandle(h);
        EXPECT_EQ("planted", ReadWholeFile(staged_));
    }
}

TEST_F(Staging, NothingIsWrittenThroughALinkedFolder) {
    const TempFolder elsewhere("elsewhere");
    ASSERT_TRUE(RemoveDirectoryA(company_.c_str()));
    const UnixSymlink link(company_, elsewhere);
    ASSERT_TRUE(link);
    EXPECT_FALSE(payload::StagePayload(staged_.c_str()));
    EXPECT_FALSE(PathExists(elsewhere + "\\Quorvane.zip"));
}

TEST_F(Staging, NothingIsWrittenThroughALinkedFile) {
    const TempFolder elsewhere("elsewhere");
    const std::string victim = elsewhere + "\\victim.dll";
    ASSERT_TRUE(WriteWholeFile(victim, "system"));
    {
        const UnixSymlink link(staged_, victim);
        ASSERT_TRUE(link);
        EXPECT_FALSE(payload::StagePayload(staged_.c_str()));
        EXPECT_EQ("system", ReadWholeFile(victim));
    }
    // A link to nothing (Wine lists no such link: it is made to a file,
    // which then goes): nothing is made where it points.
    const std::string gone = elsewhere + "\\new.dll";
    ASSERT_TRUE(WriteWholeFile(gone, ""));
    const UnixSymlink dangling(staged_, gone);
    ASSERT_TRUE(dangling);
    ASSERT_TRUE(DeleteFileA(gone.c_str()));
    EXPECT_FALSE(payload::StagePayload(staged_.c_str()));
    EXPECT_FALSE(PathExists(elsewhere + "\\new.dll"));
}

TEST_F(Staging, ASecondNameOfTheFileIsNotWrittenThrough) {
    const std::string other = dir_ + "\\other.dll";
    ASSERT_TRUE(WriteWholeFile(other, "system"));
    ASSERT_TRUE(CreateHardLinkA(staged_.c_str(), other.c_str(), nullptr));
    EXPECT_FALSE(payload::StagePayload(staged_.c_str()));
    EXPECT_EQ("system", ReadWholeFile(other));
}

}  // namespace
}  // namespace qv::test

// Staging of the embedded payload archive.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "payload/staging_win.h"
#include "runtime/memory.h"
#include "runtime/value.h"
#include "tests/support/child_process_win.h"

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

TEST(Staging, WritesExactlyTheEmbeddedArchiveReplacingAnyEarlierFile) {
    const TempFolder dir("stage");
    const std::string folder = dir + "\\";
    CreateDirectoryA((folder + "Moranzo").c_str(), nullptr);
    const std::string staged = folder + "Moranzo\\Quorvane.zip";
    for (size_t earlier : {Embedded().size() + 12345, size_t{10}}) {
        ASSERT_TRUE(WriteWholeFile(staged, std::string(earlier, 'e')));
        payload::StagePayloadInto(folder.c_str());
        const std::string written = ReadWholeFile(staged);
        EXPECT_EQ(Embedded().size(), written.size());
        EXPECT_TRUE(written == Embedded());
    }
}

TEST(Staging, WithoutAFolderThePathIsRelativeToTheProgramFolder) {
    const std::string company = ExeFolder() + "\\Moranzo";
    CreateDirectoryA(company.c_str(), nullptr);
    payload::StagePayloadInto(nullptr);
    EXPECT_TRUE(ReadWholeFile(company + "\\Quorvane.zip") == Embedded());
    RemoveTree(company);
}

TEST(Staging, AFileHeldOpenIsLeftAlone) {
    const TempFolder dir("held");
    const std::string folder = dir + "\\";
    CreateDirectoryA((folder + "Moranzo").c_str(), nullptr);
    const std::string staged = folder + "Moranzo\\Quorvane.zip";
    ASSERT_TRUE(WriteWholeFile(staged, "old"));
    HANDLE h = CreateFileA(staged.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    payload::StagePayloadInto(folder.c_str());
    CloseHandle(h);
    EXPECT_EQ("old", ReadWholeFile(staged));
}

}  // namespace
}  // namespace qv::test

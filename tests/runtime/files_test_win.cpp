// File and registry commands against Wine's file system and registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "runtime/files_win.h"
#include "runtime/value.h"
#include "tests/support/child_process_win.h"

namespace qv::test {
namespace {

bool Call(Command command, std::initializer_list<TypedValue> args) {
    TypedValue result{};
    command(&result, static_cast<int>(args.size()), args.begin());
    return result.word != 0;
}

std::string ByteSetOf(const std::string& bytes) {
    std::string set(8, '\0');
    set[0] = 1;
    const uint32_t n = static_cast<uint32_t>(bytes.size());
    memcpy(&set[4], &n, 4);
    return set + bytes;
}

class FileCommands : public testing::Test {
protected:
    void SetUp() override { dir_ = MakeTempFolder("files"); }
    void TearDown() override { RemoveTree(dir_); }
    std::string dir_;
};

TEST_F(FileCommands, MakeDirectoryCreatesOnlyTheLastLevel) {
    const std::string made = dir_ + "\\Moranzo";
    EXPECT_TRUE(Call(MakeDirectory, {MakeText(made.c_str())}));
    EXPECT_TRUE(PathExists(made));
    EXPECT_FALSE(Call(MakeDirectory, {MakeText(made.c_str())}));
    const std::string deep = dir_ + "\\missing\\Quorvane";
    EXPECT_FALSE(Call(MakeDirectory, {MakeText(deep.c_str())}));
    EXPECT_FALSE(PathExists(dir_ + "\\missing"));
    EXPECT_TRUE(Call(MakeDirectory, {MakeText((dir_ + "\\trailing\\").c_str())}));
}

TEST_F(FileCommands, WriteBytesToFileReplacesTheWholeContent) {
    const std::string path = dir_ + "\\Quorvane.zip";
    ASSERT_TRUE(WriteWholeFile(path, std::string(1000, 'x')));
    const std::string first = ByteSetOf("PK\x03\x04"), second = ByteSetOf("tail");
    EXPECT_TRUE(Call(WriteBytesToFile,
                     {MakeText(path.c_str()), MakeByteSet(first.data()), MakeByteSet(second.data())}));
    EXPECT_EQ("PK\x03\x04tail", ReadWholeFile(path));

    const std::string empty = ByteSetOf("");
    EXPECT_TRUE(Call(WriteBytesToFile, {MakeText(path.c_str()), MakeByteSet(empty.data())}));
    EXPECT_TRUE(PathExists(path));
    EXPECT_EQ("", ReadWholeFile(path));
    EXPECT_TRUE(Call(WriteBytesToFile, {MakeText(path.c_str()), MakeByteSet(nullptr)}));
}

TEST_F(FileCommands, WriteBytesToFileRefusesEmptyPathAndHeldFile) {
    const std::string bytes = ByteSetOf("data");
    EXPECT_FALSE(Call(WriteBytesToFile, {MakeText(""), MakeByteSet(bytes.data())}));
    EXPECT_FALSE(Call(WriteBytesToFile, {MakeText(nullptr), MakeByteSet(bytes.data())}));
    EXPECT_FALSE(
        Call(WriteBytesToFile, {MakeText((dir_ + "\\no\\such.bin").c_str()), MakeByteSet(bytes.data())}));

    const std::string held = dir_ + "\\held.bin";
    ASSERT_TRUE(WriteWholeFile(held, "old"));
    HANDLE h = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_FALSE(Call(WriteBytesToFile, {MakeText(held.c_str()), MakeByteSet(bytes.data())}));
    CloseHandle(h);
    EXPECT_EQ("old", ReadWholeFile(held));
}

class RegistryCommand : public testing::Test {
protected:
    void SetUp() override {
        base_ = "Software\\QvTests\\" + std::to_string(GetCurrentProcessId()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str()); }

    bool Write(int32_t root, const std::string& path, const TypedValue& value) {
        return Call(WriteRegistryValue, {MakeInt(root), MakeText(path.c_str()), value});
    }
    // Type and bytes of a value, type 0xFFFF when missing.
    std::pair<DWORD, std::string> Read(HKEY root, const std::string& key, const char* name) {
        HKEY h = nullptr;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return {0xFFFF, ""};
        char data[512];
        DWORD type = 0, size = sizeof data;
        LONG status = RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(h);
        if (status != ERROR_SUCCESS) return {0xFFFF, ""};
        return {type, std::string(data, size)};
    }
    std::string base_;
};

TEST_F(RegistryCommand, StoresEachKindWithItsTypeAndCreatesMissingKeys) {
    EXPECT_TRUE(Write(3, base_ + "\\Halvik\\Zentrel\\Counter", MakeText("2026129")));
    EXPECT_EQ(std::make_pair(DWORD{REG_SZ}, std::string("2026129", 8)),
              Read(HKEY_CURRENT_USER, base_ + "\\Halvik\\Zentrel", "Counter"));

    EXPECT_TRUE(Write(3, base_ + "\\n\\a", MakeDouble(2.9)));
    EXPECT_TRUE(Write(3, base_ + "\\n\\b", MakeDouble(-2.9)));
    TypedValue big{};
    big.i64 = (1ll << 32) + 5;
    big.tag = kTagI64;
    EXPECT_TRUE(Write(3, base_ + "\\n\\c", big));
    EXPECT_EQ(std::make_pair(DWORD{REG_DWORD}, std::string("\x02\0\0\0", 4)),
              Read(HKEY_CURRENT_USER, base_ + "\\n", "a"));
    EXPECT_EQ(std::make_pair(DWORD{REG_DWORD}, std::string("\xFE\xFF\xFF\xFF", 4)),
              Read(HKEY_CURRENT_USER, base_ + "\\n", "b"));
    EXPECT_EQ(std::make_pair(DWORD{REG_DWORD}, std::string("\x05\0\0\0", 4)),
              Read(HKEY_CURRENT_USER, base_ + "\\n", "c"));

    const std::string set = ByteSetOf(std::string("\x00\x01", 2));
    EXPECT_TRUE(Write(3, base_ + "\\n\\bin", MakeByteSet(set.data())));
    EXPECT_EQ(std::make_pair(DWORD{REG_BINARY}, std::string("\x00\x01", 2)),
              Read(HKEY_CURRENT_USER, base_ + "\\n", "bin"));
}

TEST_F(RegistryCommand, ReplacesAValueOfAnotherType) {
    EXPECT_TRUE(Write(3, base_ + "\\EstimatedSize", MakeText("50941")));
    EXPECT_TRUE(Write(3, base_ + "\\EstimatedSize", MakeDouble(50941.0)));
    EXPECT_EQ(std::make_pair(DWORD{REG_DWORD}, std::string("\xFD\xC6\x00\x00", 4)),
              Read(HKEY_CURRENT_USER, base_, "EstimatedSize"));
}

TEST_F(RegistryCommand, LogicalStoresNothingButLeavesTheKey) {
    TypedValue logical{};
    logical.word = 1;
    logical.tag = kTagLogical;
    EXPECT_FALSE(Write(3, base_ + "\\made\\flag", logical));
    HKEY h = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, (base_ + "\\made").c_str(), 0, KEY_READ, &h));
    RegCloseKey(h);
    EXPECT_EQ(0xFFFFu, Read(HKEY_CURRENT_USER, base_ + "\\made", "flag").first);
}

TEST_F(RegistryCommand, DefaultValueRootValueAndGbkTrailBytes) {
    EXPECT_TRUE(Write(3, base_ + "\\Sub\\", MakeText("default")));
    EXPECT_EQ(std::string("default", 8), Read(HKEY_CURRENT_USER, base_ + "\\Sub", nullptr).second);

    const std::string rootName = "QvRootValue" + std::to_string(GetCurrentProcessId());
    for (int32_t root : {0, 3, 9}) {
        EXPECT_TRUE(Write(root, rootName, MakeInt(root)));
        EXPECT_EQ(static_cast<char>(root), Read(HKEY_CURRENT_USER, "", rootName.c_str()).second[0]);
    }
    RegDeleteValueA(HKEY_CURRENT_USER, rootName.c_str());

    // 0x95 0x5C is one character; its trail byte is no separator.
    EXPECT_TRUE(Write(3, base_ + "\\Gbk\\\x95\x5Cname", MakeText("x")));
    EXPECT_EQ(REG_SZ, Read(HKEY_CURRENT_USER, base_ + "\\Gbk", "\x95\x5Cname").first);
}

TEST_F(RegistryCommand, ArraysStoreNothingButLeaveTheKey) {
    TypedValue array{};
    array.tag = kTagI32 | kTagArray;
    EXPECT_FALSE(Write(3, base_ + "\\arr\\v", array));
    EXPECT_EQ(0xFFFFu, Read(HKEY_CURRENT_USER, base_ + "\\arr", "v").first);
    HKEY h = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, (base_ + "\\arr").c_str(), 0, KEY_READ, &h));
    RegCloseKey(h);
}

// Every missing level below WOW6432Node is made where a 32-bit reader looks
// for it, in both prefix kinds (one RegCreateKeyA of the whole path would nest
// it one WOW6432Node deeper under Wine's 64-bit prefix).
TEST_F(RegistryCommand, MissingLevelsBelowWow6432NodeLandAtTheirPath) {
    const std::string company = "SOFTWARE\\WOW6432Node\\QvTests" + std::to_string(GetCurrentProcessId());
    const std::string key = company + "\\Halvik\\\x95\x5CZentrel";
    EXPECT_TRUE(Write(4, key + "\\Counter", MakeText("2026129")));
    EXPECT_TRUE(Write(4, key + "\\Scancode", MakeText("2026129")));
    EXPECT_EQ(std::make_pair(DWORD{REG_SZ}, std::string("2026129", 8)),
              Read(HKEY_LOCAL_MACHINE, key, "Counter"));
    EXPECT_EQ(REG_SZ, Read(HKEY_LOCAL_MACHINE, key, "Scancode").first);
    HKEY nested = nullptr;
    EXPECT_NE(
        ERROR_SUCCESS,
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("SOFTWARE\\WOW6432Node\\WOW6432Node" + company.substr(20)).c_str(),
                      0, KEY_READ | KEY_WOW64_64KEY, &nested))
        << "the key was nested one WOW6432Node deeper";
    if (nested) RegCloseKey(nested);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, company.c_str());
}

TEST_F(RegistryCommand, AKeyThatCannotBeMadeFailsQuietly) {
    const std::string tooLong = base_ + "\\" + std::string(300, 'k') + "\\v";
    EXPECT_FALSE(Write(3, tooLong, MakeText("x")));
    EXPECT_TRUE(Write(3, base_ + "\\after", MakeText("still works")));
}

}  // namespace
}  // namespace qv::test

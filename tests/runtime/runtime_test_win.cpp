// The runtime's services inside one process: memory blocks, notifications,
// declared calls.
#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/declared_win.h"
#include "runtime/memory.h"
#include "runtime/runtime_win.h"
#include "tests/runtime/runtime_test_table.h"
#include "tests/support/child_process_win.h"

namespace qv::test {
namespace {

const char kLiteral[] = "a literal of the program";
const uint32_t kConstantByteSet[] = {1, 4, 0x64636261};

TEST(FreeBlock, IgnoresNullAndConstantDataAndFreesHeapBlocks) {
    EXPECT_TRUE(IsConstantData(kLiteral));
    EXPECT_TRUE(IsConstantData(kConstantByteSet));
    FreeBlock(nullptr);
    FreeBlock(const_cast<char*>(kLiteral));
    FreeBlock(const_cast<uint32_t*>(kConstantByteSet));
    EXPECT_STREQ("a literal of the program", kLiteral);

    void* block = AllocBlock(32);
    EXPECT_FALSE(IsConstantData(block));
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, block));
    FreeBlock(block);
}

// A heap block declared constant data is left alone: FreeBlock never reaches
// HeapFree for it (Wine's HeapFree of a foreign pointer just fails, so a
// literal alone would not show it).
TEST(FreeBlock, NeverFreesInsideTheConstantRange) {
    const void *begin = nullptr, *end = nullptr;
    GetConstantDataRange(&begin, &end);
    auto* block = static_cast<char*>(AllocBlock(64));
    SetConstantDataRange(block, block + 64);
    FreeBlock(block + 16);
    FreeBlock(block);
    SetConstantDataRange(begin, end);
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, block)) << "the block was freed";
    FreeBlock(block);
}

TEST(RuntimeNotify, AllocatesAndFreesBlocks) {
    void* block = reinterpret_cast<void*>(RuntimeNotify(kAllocBlock, 100, 0));
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(100u, HeapSize(GetProcessHeap(), 0, block));
    RuntimeNotify(kFreeBlock, reinterpret_cast<intptr_t>(block), 0);
    // The tolerant form yields null instead of ending the process.
    EXPECT_EQ(0, RuntimeNotify(kAllocBlock, 0x7FFFFFF0, 1));
}

class DeclaredCalls : public testing::Test {
protected:
    void SetUp() override { InitDeclaredCalls(kTestDeclared, kTestDeclaredCount); }
    void TearDown() override { ReleaseDeclaredCalls(); }
};

TEST_F(DeclaredCalls, BindOnceAndCallThroughTheStoredAddress) {
    void* first = BindDeclaredFunction(kEntryProcessId);
    EXPECT_EQ(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetCurrentProcessId")),
        first);
    EXPECT_EQ(first, BindDeclaredFunction(kEntryProcessId));
    EXPECT_EQ(GetCurrentProcessId(), CallDeclared(0x04010003, 1, kEntryProcessId, {}));
    EXPECT_EQ(GetTickCount() / 100000, CallDeclared(0x04010003, 1, kEntryByFullPath, {}) / 100000);
}

TEST_F(DeclaredCalls, StandardListIsSearchedInOrderAndReleasedOnMiss) {
    const bool mprBefore = GetModuleHandleA("mpr.dll") != nullptr;
    void* address = BindDeclaredFunction(kEntryShellOnly);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("shell32.dll"), "ShellExecuteA")),
              address);
    EXPECT_EQ(mprBefore, GetModuleHandleA("mpr.dll") != nullptr)
        << "a library without the function stayed loaded";
}

TEST_F(DeclaredCalls, OrdinalNamesBindByOrdinal) {
    uint16_t ordinal = 0;
    EXPECT_TRUE(ParseOrdinalName("#12", &ordinal));
    EXPECT_EQ(12, ordinal);
    EXPECT_TRUE(ParseOrdinalName("#65548", &ordinal));
    EXPECT_EQ(12, ordinal);
    EXPECT_FALSE(ParseOrdinalName("#", &ordinal));
    EXPECT_FALSE(ParseOrdinalName("#1a", &ordinal));
    EXPECT_FALSE(ParseOrdinalName("Name", &ordinal));

    FARPROC expected = GetProcAddress(GetModuleHandleA("kernel32.dll"), reinterpret_cast<LPCSTR>(12));
    ASSERT_NE(nullptr, expected) << "kernel32 has no ordinal 12 here";
    EXPECT_EQ(reinterpret_cast<void*>(expected), BindDeclaredFunction(kEntryOrdinal12));
}

TEST_F(DeclaredCalls, LoadedLibraryWinsOverOnePlantedInTheProgramFolder) {
    const std::string trusted = ExeFolder() + "\\trusted\\qvplant.dll";
    const std::string planted = ExeFolder() + "\\qvplant.dll";
    ASSERT_TRUE(PathExists(planted));
    HMODULE module = LoadLibraryA(trusted.c_str());
    ASSERT_NE(nullptr, module);
    EXPECT_EQ(1u, CallDeclared(0x04010003, 1, kEntryPlantId, {}));
    EXPECT_EQ(15u, CallDeclared(0x04010003, 1, kEntryPlantTwice, {7}));
    EXPECT_EQ(nullptr, GetModuleHandleA(planted.c_str())) << "the planted library was loaded";

    // Two entries hold the library; release frees each stored handle once,
    // so only this test's own reference is left.
    ReleaseDeclaredCalls();
    EXPECT_EQ(module, GetModuleHandleA(trusted.c_str()));
    FreeLibrary(module);
    EXPECT_EQ(nullptr, GetModuleHandleA(trusted.c_str()));
}

TEST(DeclaredCallsProbe, ProgramFolderIsProbedForALibraryNotYetLoaded) {
    const TempFolder folder("plant");
    const std::string log = folder + "\\probe.log";
    ChildOutcome out = RunChild("\"" + ExeFolder() + "\\probe_program.exe\" plant \"" + log + "\"");
    EXPECT_EQ(0u, out.exitCode);
    EXPECT_NE(std::string::npos, ReadWholeFile(log).find("plant 2\n"));
}

}  // namespace
}  // namespace qv::test

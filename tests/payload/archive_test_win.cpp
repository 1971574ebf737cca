// The entry layer and the extractor on archives crafted here, against Wine's
// file system.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "payload/archive_reader.h"
#include "payload/extractor.h"
#include "payload/file_system_win.h"
#include "payload/folders.h"
#include "tests/support/child_process_win.h"
#include "tests/support/crafted_archives.h"
#include "tests/support/zip_builder.h"

namespace qv::test {
namespace {

using payload::ArchiveEntry;
using payload::ArchiveExtractor;
using payload::ArchiveReader;

std::vector<std::pair<uint32_t, uint32_t>> g_calls;
int g_cancelAtCall = 0;

void Record(uint32_t current, uint32_t total, const char*, ArchiveExtractor* x) {
    g_calls.emplace_back(current, total);
    if (static_cast<int>(g_calls.size()) == g_cancelAtCall) x->cancel = 1;
}

// The 51-entry shape: 7 folders and 44 deflated files, the last folder empty.
std::vector<ZipEntrySpec> ProductShape() {
    std::vector<ZipEntrySpec> e;
    auto file = [&](const std::string& name, size_t size) {
        ZipEntrySpec s;
        s.name = name;
        s.data = Filler(size, static_cast<uint32_t>(e.size()), e.size() % 9 == 0);
        e.push_back(s);
    };
    e.push_back(FolderEntry("Zentrel/"));
    for (int i = 0; i < 7; ++i) file("Zentrel/file" + std::to_string(i) + ".dll", 1000 + 137 * i);
    e.push_back(FolderEntry("Zentrel/Res/"));
    for (int i = 0; i < 27; ++i) file("Zentrel/Res/r" + std::to_string(i) + ".dat", 46 + 911 * i);
    for (const char* sub : {"Zentrel/Res/CmdHelp/", "Zentrel/Res/Languages/"}) {
        e.push_back(FolderEntry(sub));
        for (const char* lang : {"en_us", "zh_cn", "zh_hk", "zh_tw"})
            file(std::string(sub) + lang + ".txt", 300);
    }
    e.push_back(FolderEntry("Zentrel/Res/Fetch/"));
    file("Zentrel/Res/Fetch/fetch.exe", 5000);
    e.push_back(FolderEntry("Zentrel/UninsFile/"));
    file("Zentrel/UninsFile/unins.dll", 700);
    e.push_back(FolderEntry("Zentrel/Win10x64/"));
    return e;
}

FILETIME DosAsLocal(uint16_t date, uint16_t time) {
    FILETIME local, utc;
    DosDateTimeToFileTime(date, time, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}
bool SameTime(const FILETIME& a, uint64_t b) {
    return ((static_cast<uint64_t>(a.dwHighDateTime) << 32) | a.dwLowDateTime) == b;
}

class Extraction : public testing::Test {
protected:
    void SetUp() override {
        dir_ = MakeTempFolder("zip");
        target_ = dir_ + "\\target";
        archive_ = dir_ + "\\a.zip";
        g_calls.clear();
        g_cancelAtCall = 0;
    }
    void TearDown() override { RemoveTree(dir_); }

    int32_t Extract(const std::vector<ZipEntrySpec>& entries, const std::string& target) {
        WriteWholeFile(archive_, BuildZip(entries));
        return Run(target);
    }
    int32_t Run(const std::string& target) {
        ArchiveExtractor x;
        x.listener = Record;
        return payload::RunExtraction(&x, payload::WindowsFileSystem(), archive_.c_str(), target.c_str());
    }
    bool Exists(const std::string& relative) { return PathExists(target_ + "\\" + relative); }
    // Nothing may appear in the test folder but the archive and the target.
    void ExpectNothingOutsideTarget() {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((dir_ + "\\*").c_str(), &fd);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        do {
            const std::string name = fd.cFileName;
            EXPECT_TRUE(name == "." || name == ".." || name == "a.zip" || name == "target") << name;
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }

    std::string dir_, target_, archive_;
};

TEST_F(Extraction, ProductShapeExtractsCompletelyWithOneEventPerEntryAndOneMore) {
    const std::vector<ZipEntrySpec> entries = ProductShape();
    ASSERT_EQ(51u, entries.size());
    for (const std::string& target : {target_, target_ + "2\\"}) {
        SCOPED_TRACE(target);
        g_calls.clear();
        ASSERT_EQ(1, Extract(entries, target));
        ASSERT_EQ(52u, g_calls.size());
        for (uint32_t i = 0; i < 51; ++i) EXPECT_EQ(std::make_pair(i, 51u), g_calls[i]);
        EXPECT_EQ(std::make_pair(51u, 51u), g_calls.back());
        const std::string root = target.back() == '\\' ? target : target + "\\";
        for (const ZipEntrySpec& e : entries) {
            std::string path = root + e.name;
            for (char& c : path) c = c == '/' ? '\\' : c;
            if (e.external == 0x10) {
                EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) << path;
                continue;
            }
            EXPECT_TRUE(e.data == ReadWholeFile(path)) << path;
            // Created read-only from external attributes 0x20, then set to
            // FILE_ATTRIBUTE_NORMAL; Wine reports a plain file as ARCHIVE.
            EXPECT_EQ(0u, GetFileAttributesA(path.c_str()) &
                              (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
                << path;
        }
    }
}

// The file-system calls of a walk, counted through this program's import
// slots of the kernel functions the entry layer and the extractor call.
struct FileCalls {
    int headerReads = 0, dataReads = 0, spanReads = 0, positionedReads = 0, seeks = 0, writes = 0, others = 0;
};
FileCalls g_fileCalls;

#define QV_SLOT(name, bytes) extern "C" void* g_slot##name __asm__("__imp__" #name "@" #bytes);
QV_SLOT(CreateFileA, 28)
QV_SLOT(ReadFile, 20)
QV_SLOT(WriteFile, 20)
QV_SLOT(SetFileTime, 16)
QV_SLOT(GetFileType, 4)
QV_SLOT(CloseHandle, 4)
QV_SLOT(CreateDirectoryA, 8)
QV_SLOT(GetFileAttributesA, 4)
QV_SLOT(SetFileAttributesA, 8)
QV_SLOT(GetFileSizeEx, 8)
QV_SLOT(SetFilePointerEx, 20)
#undef QV_SLOT

// Each counter forwards to the function its slot held.
template <typename F>
struct Forward;
template <typename R, typename... A>
struct Forward<R WINAPI(A...)> {
    template <void** Slot, int FileCalls::*Counter>
    struct To {
        static inline void* real = nullptr;
        static R WINAPI Call(A... args) {
            ++(g_fileCalls.*Counter);
            return reinterpret_cast<R(WINAPI*)(A...)>(real)(args...);
        }
    };
};

void* g_realRead = nullptr;
BOOL WINAPI CountRead(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED at) {
    // minizip asks for entry data in blocks of 16384 bytes; header reads are
    // smaller, and only the reads of the archive's end are larger.
    ++(size > 16384    ? g_fileCalls.spanReads
       : size == 16384 ? g_fileCalls.dataReads
                       : g_fileCalls.headerReads);
    if (at) ++g_fileCalls.positionedReads;
    return reinterpret_cast<decltype(&ReadFile)>(g_realRead)(file, buffer, size, got, at);
}

class CountedCalls {
public:
    CountedCalls() {
        g_fileCalls = FileCalls{};
        Hook<decltype(CreateFileA), &g_slotCreateFileA>();
        Hook<decltype(SetFileTime), &g_slotSetFileTime>();
        Hook<decltype(GetFileType), &g_slotGetFileType>();
        Hook<decltype(CloseHandle), &g_slotCloseHandle>();
        Hook<decltype(CreateDirectoryA), &g_slotCreateDirectoryA>();
        Hook<decltype(GetFileAttributesA), &g_slotGetFileAttributesA>();
        Hook<decltype(SetFileAttributesA), &g_slotSetFileAttributesA>();
        Hook<decltype(GetFileSizeEx), &g_slotGetFileSizeEx>();
        Hook<decltype(WriteFile), &g_slotWriteFile, &FileCalls::writes>();
        Hook<decltype(SetFilePointerEx), &g_slotSetFilePointerEx, &FileCalls::seeks>();
        Patch(&g_slotReadFile, reinterpret_cast<void*>(&CountRead), &g_realRead);
    }
    ~CountedCalls() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) *it->first = it->second;
    }
    CountedCalls(const CountedCalls&) = delete;
    CountedCalls& operator=(const CountedCalls&) = delete;

private:
    template <typename F, void** Slot, int FileCalls::*Counter = &FileCalls::others>
    void Hook() {
        using Counting = typename Forward<F>::template To<Slot, Counter>;
        Patch(Slot, reinterpret_cast<void*>(&Counting::Call), &Counting::real);
    }
    void Patch(void** slot, void* counter, void** real) {
        DWORD old = 0;
        VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old);
        *real = *slot;
        saved_.emplace_back(slot, *slot);
        *slot = counter;
    }
    std::vector<std::pair<void**, void*>> saved_;
};

TEST_F(Extraction, HeadersAreReadAheadAndDataMovesInWholeBlocks) {
    std::vector<ZipEntrySpec> entries = ProductShape();
    ZipEntrySpec big;
    big.name = "Zentrel/Res/big.bin";
    big.data = Filler(200000, 7, true);  // about as long compressed
    entries.insert(entries.end() - 1, big);
    WriteWholeFile(archive_, BuildZip(entries));
    int files = 0, blocks = 0;
    for (const ZipEntrySpec& e : entries)
        if (e.external != 0x10) ++files, blocks += static_cast<int>((e.data.size() + 16383) / 16384);
    FileCalls calls;
    {
        const CountedCalls counting;
        ASSERT_EQ(1, Run(target_));
        calls = g_fileCalls;
    }
    const int n = static_cast<int>(entries.size());
    // Entry data leaves in 16384-byte writes, one per block.
    EXPECT_EQ(blocks, calls.writes);
    // Per file: create, type, times, close, attributes; a folder entry looks
    // at each level from the target's drive down (about 12 here), and the
    // archive and target take some 24 (seen: 312 in all).
    EXPECT_LE(calls.others, 5 * files + 12 * (n - files) + 24) << files << " files of " << n;
    // The directory and the end are read once; the scan and the walk read a
    // local header's window at most once each, and neighbours share one
    // (seen: 42; 106 with minizip's end searches served by the file, 288 with
    // the directory read through the window; a byte-by-byte layer makes
    // hundreds per entry).
    EXPECT_LE(calls.headerReads, n) << calls.headerReads;
    EXPECT_GE(calls.dataReads, 1) << "one entry has compressed data of many blocks";
    // The end record is looked for once by the scan; the directory is read
    // with the span that minizip's own searches for it step back through.
    EXPECT_EQ(2, calls.spanReads);
    // Reads follow on from each other; the pointer moves only between a
    // header window and what lies before its end (Wine's read at an offset
    // costs many times a plain read).
    EXPECT_EQ(0, calls.positionedReads);
    EXPECT_LE(calls.seeks, 2 * n) << "seen: 88";
}

TEST_F(Extraction, DosTimesAreLocalAndUtBlocksOverrideWriteAndAccess) {
    ZipEntrySpec plain;
    plain.name = "plain.txt";
    plain.data = "plain";
    ZipEntrySpec ut;
    ut.name = "ut.txt";
    ut.data = "ut";
    ut.localExtra = std::string(
                        "\x0A\x00\x04\x00"
                        "abcd",
                        8) +
                    UtBlock(3, {1700000000u, 1600000000u});
    ZipEntrySpec empty;
    empty.name = "empty.txt";
    ASSERT_EQ(1, Extract({plain, ut, empty}, target_));

    const FILETIME dos = DosAsLocal(plain.dosDate, plain.dosTime);
    auto times = [&](const char* name) {
        HANDLE h = CreateFileA((target_ + "\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        FILETIME t[3] = {};
        GetFileTime(h, &t[0], &t[1], &t[2]);
        CloseHandle(h);
        return std::vector<FILETIME>(t, t + 3);
    };
    // Wine keeps write and access times (not creation times) on Linux.
    std::vector<FILETIME> p = times("plain.txt");
    EXPECT_TRUE(SameTime(dos, p[1]));
    EXPECT_TRUE(SameTime(dos, p[2]));
    std::vector<FILETIME> u = times("ut.txt");
    const uint64_t write = (1700000000ull + 11644473600ull) * 10000000ull;
    const uint64_t access = (1600000000ull + 11644473600ull) * 10000000ull;
    EXPECT_EQ(write, (static_cast<uint64_t>(u[2].dwHighDateTime) << 32) | u[2].dwLowDateTime);
    EXPECT_EQ(access, (static_cast<uint64_t>(u[1].dwHighDateTime) << 32) | u[1].dwLowDateTime);
    EXPECT_EQ("", ReadWholeFile(target_ + "\\empty.txt"));
    EXPECT_TRUE(PathExists(target_ + "\\empty.txt"));
    EXPECT_TRUE(SameTime(dos, times("empty.txt")[2]));
}

TEST_F(Extraction, EntryDescriptionCarriesDecodedAttributesAndUtCreationFromDos) {
    ZipEntrySpec ut;
    ut.name = "ut.txt";
    ut.data = "ut";
    ut.external = 0x27;
    ut.localExtra = UtBlock(3, {1700000000u, 1600000000u});
    WriteWholeFile(archive_, BuildZip({FolderEntry("f/"), ut}));
    ArchiveReader reader;
    ASSERT_EQ(0u,
              payload::OpenArchive(&reader, payload::WindowsFileSystem(), archive_.c_str(), target_.c_str()));
    EXPECT_STREQ((target_ + "\\").c_str(), reader.root);
    EXPECT_EQ(payload::kStatusAlreadyOpen,
              payload::OpenArchive(&reader, payload::WindowsFileSystem(), archive_.c_str(), target_.c_str()));
    ArchiveEntry entry;
    ASSERT_EQ(0u, payload::GetEntry(&reader, 1, &entry));
    EXPECT_STREQ("ut.txt", entry.name);
    EXPECT_EQ(0xA7u, entry.attributes);
    EXPECT_TRUE(SameTime(DosAsLocal(ut.dosDate, ut.dosTime), entry.creationTime));
    ASSERT_EQ(0u, payload::GetEntry(&reader, 0, &entry));
    EXPECT_EQ(0x91u, entry.attributes);
    ASSERT_EQ(0u, payload::GetEntry(&reader, -1, &entry));
    EXPECT_EQ(2, entry.index);
    EXPECT_STREQ("", entry.name);
    EXPECT_EQ(payload::kStatusBadIndex, payload::GetEntry(&reader, 2, &entry));
    EXPECT_EQ(payload::kStatusBadIndex, payload::GetEntry(&reader, -2, &entry));
    EXPECT_EQ(payload::kStatusBadIndex, payload::UnpackEntry(&reader, 2, "x"));
    EXPECT_EQ(0u, payload::CloseArchive(&reader));
    EXPECT_EQ(payload::kStatusNotOpen, payload::CloseArchive(&reader));
    EXPECT_EQ(payload::kStatusNotOpen, payload::GetEntry(&reader, 0, &entry));
    EXPECT_EQ(payload::kStatusBadIndex, payload::CloseArchive(nullptr));
    EXPECT_EQ(payload::kStatusAlreadyOpen,
              payload::OpenArchive(&reader, payload::WindowsFileSystem(), archive_.c_str(), ""));
    EXPECT_EQ(payload::kStatusCannotOpen,
              payload::OpenArchive(&reader, payload::WindowsFileSystem(), (dir_ + "\\none.zip").c_str(),
                                   target_.c_str()));
}

TEST_F(Extraction, TheArchiveIsDescribedRightAfterOpeningAndAFailedOpenChangesNothing) {
    WriteWholeFile(archive_, BuildZip({FolderEntry("f/"), FolderEntry("g/")}));
    ArchiveReader reader;
    EXPECT_EQ(payload::kStatusCannotOpen,
              payload::OpenArchive(&reader, payload::WindowsFileSystem(), (dir_ + "\\none.zip").c_str(),
                                   target_.c_str()));
    EXPECT_STREQ("", reader.root) << "a failed open leaves the root alone";
    ASSERT_EQ(0u,
              payload::OpenArchive(&reader, payload::WindowsFileSystem(), archive_.c_str(), target_.c_str()));
    ArchiveEntry entry;
    ASSERT_EQ(0u, payload::GetEntry(&reader, -1, &entry)) << "before any entry was described";
    EXPECT_EQ(2, entry.index);
    EXPECT_EQ(0u, payload::CloseArchive(&reader));
}

TEST_F(Extraction, AnInvalidDosDateLeavesTheTimesItCannotGive) {
    ZipEntrySpec e;
    e.name = "undated.txt";
    e.data = "x";
    e.dosDate = 0x0000;  // month 0, day 0
    e.dosTime = 0x0000;
    SYSTEMTIME before;
    GetSystemTime(&before);
    ASSERT_EQ(1, Extract({e}, target_));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA((target_ + "\\undated.txt").c_str(), GetFileExInfoStandard, &data));
    SYSTEMTIME written;
    ASSERT_TRUE(FileTimeToSystemTime(&data.ftLastWriteTime, &written));
    EXPECT_EQ(before.wYear, written.wYear) << "the time of writing, not 1601 or a rejected time";
    ArchiveReader reader;
    ASSERT_EQ(0u,
              payload::OpenArchive(&reader, payload::WindowsFileSystem(), archive_.c_str(), target_.c_str()));
    ArchiveEntry entry;
    ASSERT_EQ(0u, payload::GetEntry(&reader, 0, &entry));
    EXPECT_EQ(0u, entry.creationTime | entry.accessTime | entry.writeTime);
    EXPECT_EQ(0u, payload::CloseArchive(&reader));
}

TEST_F(Extraction, ArgumentFailuresGiveMinusOne) {
    ArchiveExtractor x;
    x.listener = Record;
    EXPECT_EQ(-1, payload::RunExtraction(&x, payload::WindowsFileSystem(), nullptr, target_.c_str()));
    EXPECT_EQ(-1, payload::RunExtraction(&x, payload::WindowsFileSystem(), (dir_ + "\\missing.zip").c_str(),
                                         target_.c_str()));
    WriteWholeFile(archive_, BuildZip(ProductShape()));
    EXPECT_EQ(-1, payload::RunExtraction(&x, payload::WindowsFileSystem(), archive_.c_str(), ""));
    EXPECT_FALSE(PathExists(target_));
}

TEST_F(Extraction, DamagedArchivesGiveZero) {
    // Too short, wrong signature, first name length 0.
    WriteWholeFile(archive_, "PK\x03\x04short");
    EXPECT_EQ(0, Run(target_));
    WriteWholeFile(archive_, std::string(64, 'x'));
    EXPECT_EQ(0, Run(target_));
    ZipEntrySpec nameless;
    nameless.name = "";
    nameless.data = "x";
    EXPECT_EQ(0, Extract({nameless}, target_));
    // No central directory.
    std::string whole = BuildZip(ProductShape());
    WriteWholeFile(archive_, whole.substr(0, whole.size() - 22));
    EXPECT_EQ(0, Run(target_));
    // The target cannot be made below a file.
    WriteWholeFile(dir_ + "\\blocker", "file");
    EXPECT_EQ(0, Extract(ProductShape(), dir_ + "\\blocker\\sub"));
}

TEST_F(Extraction, EntryFailuresStopThereAndKeepWhatCameBefore) {
    struct Case {
        const char* what;
        ZipEntrySpec bad;
    };
    std::vector<Case> cases;
    ZipEntrySpec e;
    e.name = "bad.bin";
    e.data = Filler(40000, 7, false);
    Case c{"corrupt deflate data", e};
    c.bad.corruptData = true;
    cases.push_back(c);
    c = {"crc mismatch", e};
    c.bad.wrongCrc = true;
    cases.push_back(c);
    c = {"local header method differs", e};
    c.bad.localMethod = 0;
    cases.push_back(c);
    c = {"method 12", e};
    c.bad.method = 12;
    cases.push_back(c);
    c = {"local extra beyond the end", e};
    c.bad.localExtraLength = 0xFFFF;
    cases.push_back(c);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        RemoveTree(target_);
        ZipEntrySpec before, after;
        before.name = "before.txt";
        before.data = "first";
        after.name = "after.txt";
        after.data = "last";
        EXPECT_EQ(0, Extract({before, k.bad, after}, target_));
        EXPECT_TRUE(ReadWholeFile(target_ + "\\before.txt") == "first");
        EXPECT_FALSE(Exists("after.txt"));
    }
    // A CRC mismatch leaves the file as written.
    RemoveTree(target_);
    ZipEntrySpec crc = e;
    crc.wrongCrc = true;
    EXPECT_EQ(0, Extract({crc}, target_));
    EXPECT_TRUE(e.data == ReadWholeFile(target_ + "\\bad.bin"));
}

TEST_F(Extraction, AFileThatFailedIsLeftReplaceableAndASoundArchiveReplacesIt) {
    ZipEntrySpec e;
    e.name = "Zentrel/locked.dll";
    e.data = Filler(40000, 9, false);
    e.external = 0x03;  // read-only and hidden, as the entry asks
    for (bool corrupt : {true, false}) {
        SCOPED_TRACE(corrupt ? "corrupt data" : "crc mismatch");
        RemoveTree(target_);
        ZipEntrySpec bad = e;
        bad.corruptData = corrupt;
        bad.wrongCrc = !corrupt;
        EXPECT_EQ(0, Extract({FolderEntry("Zentrel/"), bad}, target_));
        const DWORD left = GetFileAttributesA((target_ + "\\Zentrel\\locked.dll").c_str());
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, left) << "the part written stays";
        EXPECT_EQ(0u, left & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) << left;
        EXPECT_EQ(1, Extract({FolderEntry("Zentrel/"), e}, target_));
        EXPECT_TRUE(ReadWholeFile(target_ + "\\Zentrel\\locked.dll") == e.data);
    }
}

TEST_F(Extraction, ANameEndingInATrailByte5CIsAFile) {
    ZipEntrySpec e;
    e.name = "tree/\xD5\x5C";
    e.data = "a file";
    EXPECT_EQ(1, Extract({e}, target_));
    const DWORD attributes = GetFileAttributesA((target_ + "\\tree\\\xD5\x5C").c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_EQ(0u, attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ("a file", ReadWholeFile(target_ + "\\tree\\\xD5\x5C"));
    // The same for a target whose last character is one: it gets its "\".
    const std::string odd = dir_ + "\\\xD5\x5C";
    EXPECT_EQ(1, Extract({e}, odd));
    EXPECT_EQ("a file", ReadWholeFile(odd + "\\tree\\\xD5\x5C"));
}

TEST_F(Extraction, UnsafeAndOverlongNamesNeverLeaveTheTarget) {
    for (const char* name : {"../evil.txt", "a/../../evil.txt", "/evil.txt", "\\evil.txt", "C:evil.txt",
                             "..\\evil.txt", "sub/..", "../"}) {
        SCOPED_TRACE(name);
        RemoveTree(target_);
        ZipEntrySpec ok, bad;
        ok.name = "ok.txt";
        ok.data = "ok";
        bad.name = name;
        bad.data = "evil";
        if (bad.name.back() == '/') bad = FolderEntry(name);
        EXPECT_EQ(0, Extract({ok, bad}, target_));
        EXPECT_TRUE(Exists("ok.txt"));
        ExpectNothingOutsideTarget();
    }
    RemoveTree(target_);
    ZipEntrySpec longName;
    longName.name = std::string(259 - target_.size(), 'n');
    longName.data = "x";
    EXPECT_EQ(0, Extract({longName}, target_));
    EXPECT_FALSE(Exists(longName.name));
    longName.name.resize(longName.name.size() - 10);
    EXPECT_EQ(1, Extract({longName}, target_));
}

// Every archive broken in one way: outcome 0, the entries before the
// refused one on disk, nothing after it, nothing outside the target; an
// archive refused as a whole leaves nothing extracted.
TEST_F(Extraction, CraftedArchivesAreRefusedWithEarlierEntriesKept) {
    for (const Crafted& k : CraftedArchives()) {
        SCOPED_TRACE(k.what);
        RemoveTree(target_);
        WriteWholeFile(archive_, k.archive);
        EXPECT_EQ(0, Run(target_));
        if (k.entry < 0) {
            EXPECT_FALSE(Exists("Zentrel")) << "something was extracted";
        } else {
            EXPECT_TRUE(GetFileAttributesA((target_ + "\\Zentrel").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
            if (k.entry == 2) {
                EXPECT_TRUE(ReadWholeFile(target_ + "\\Zentrel\\a.txt") == GoodArchiveEntries()[1].data);
            }
            EXPECT_EQ(k.entry > 2, Exists("Zentrel\\b.bin")) << "kept only before the refused entry";
            EXPECT_FALSE(Exists("Zentrel\\c.txt"));
        }
        ExpectNothingOutsideTarget();
    }
}

TEST_F(Extraction, NamesThatStillWork) {
    // A GBK name whose trail byte is 0x5C (one file, no folder), a name up
    // to the limit, an empty folder, a zero-length file.
    const std::string longest(259 - target_.size() - 1 - 8, 'n');
    const std::vector<ZipEntrySpec> e = {FolderEntry("Zentrel/"), FileEntry("Zentrel/\x81\x5C.txt", "gbk"),
                                         FileEntry("Zentrel/" + longest, "long"),
                                         FolderEntry("Zentrel/Empty/"), FileEntry("Zentrel/zero", "")};
    ASSERT_EQ(1, Extract(e, target_));
    EXPECT_EQ("gbk", ReadWholeFile(target_ + "\\Zentrel\\\x81\x5C.txt"));
    // The only folder below Zentrel is Empty: the trail byte split nothing.
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((target_ + "\\Zentrel\\*").c_str(), &fd);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    std::vector<std::string> folders;
    do {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && fd.cFileName[0] != '.')
            folders.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    EXPECT_EQ(std::vector<std::string>{"Empty"}, folders);
    EXPECT_EQ("long", ReadWholeFile(target_ + "\\Zentrel\\" + longest));
    EXPECT_TRUE(Exists("Zentrel\\Empty"));
    EXPECT_TRUE(Exists("Zentrel\\zero"));
}

// Run with TZ=Europe/Berlin (UTC+1, UTC+2 in summer): a DOS time is the
// local time of its own date.
TEST_F(Extraction, DaylightSavingOfTheEntrysOwnDate) {
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    if (zone.Bias != -60 || zone.DaylightBias != -60) GTEST_SKIP() << "needs the Europe/Berlin zone";
    ZipEntrySpec winter = FileEntry("winter.txt", "w"), summer = FileEntry("summer.txt", "s");
    winter.dosDate = (44 << 9) | (1 << 5) | 15;  // 2024-01-15
    summer.dosDate = (44 << 9) | (7 << 5) | 15;  // 2024-07-15
    winter.dosTime = summer.dosTime = 12 << 11;  // 12:00:00
    ASSERT_EQ(1, Extract({winter, summer}, target_));
    auto writeTime = [&](const char* name) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExA((target_ + "\\" + name).c_str(), GetFileExInfoStandard, &data);
        SYSTEMTIME t{};
        FileTimeToSystemTime(&data.ftLastWriteTime, &t);
        return t.wHour * 100 + t.wMinute;
    };
    EXPECT_EQ(1100, writeTime("winter.txt")) << "12:00 CET is 11:00 UTC";
    EXPECT_EQ(1000, writeTime("summer.txt")) << "12:00 CEST is 10:00 UTC";
}

TEST_F(Extraction, UnpackEntryRefusesAnAbsoluteFolderName) {
    WriteWholeFile(archive_, BuildZip({FolderEntry("/abs/")}));
    ArchiveReader reader;
    ASSERT_EQ(0u,
              payload::OpenArchive(&reader, payload::WindowsFileSystem(), archive_.c_str(), target_.c_str()));
    EXPECT_EQ(payload::kStatusBadName, payload::UnpackEntry(&reader, 0, (target_ + "\\abs\\").c_str()));
    EXPECT_EQ(0u, payload::CloseArchive(&reader));
    EXPECT_FALSE(PathExists("C:\\abs"));
}

TEST_F(Extraction, TwiceOverTheSameFolderAndExistingFolders) {
    const std::vector<ZipEntrySpec> entries = ProductShape();
    EXPECT_EQ(1, Extract(entries, target_));
    g_calls.clear();
    EXPECT_EQ(1, Extract(entries, target_));
    EXPECT_EQ(52u, g_calls.size()) << "existing folders still raise one event each";
}

TEST_F(Extraction, AFileInTheWayGivesZeroWithEarlierEntriesOnDisk) {
    std::vector<ZipEntrySpec> entries = ProductShape();
    ASSERT_EQ(1, Extract(entries, target_));
    RemoveTree(target_);
    CreateDirectoryA(target_.c_str(), nullptr);
    CreateDirectoryA((target_ + "\\Zentrel").c_str(), nullptr);
    // Held open without sharing: it cannot be replaced (a read-only flag would
    // not stop Wine running as root).
    const std::string held = target_ + "\\Zentrel\\file3.dll";
    HANDLE h =
        CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(0, Run(target_));
    CloseHandle(h);
    EXPECT_TRUE(Exists("Zentrel\\file2.dll"));
    EXPECT_FALSE(Exists("Zentrel\\file4.dll"));
    EXPECT_FALSE(Exists("Zentrel\\Res"));
}

TEST_F(Extraction, CancelAtTheFirstEventStopsAfterTheFirstEntry) {
    g_cancelAtCall = 1;
    ZipEntrySpec a, b;
    a.name = "a.txt";
    b.name = "b.txt";
    EXPECT_EQ(1, Extract({a, b}, target_));
    EXPECT_EQ(1u, g_calls.size());
    EXPECT_TRUE(Exists("a.txt"));
    EXPECT_FALSE(Exists("b.txt"));
}

TEST_F(Extraction, FolderOperationsCreateEveryLevel) {
    const std::string deep = dir_ + "\\one\\two\\three";
    EXPECT_TRUE(payload::CreateFolderLevels(payload::WindowsFileSystem(), deep.c_str()));
    EXPECT_TRUE(PathExists(deep));
    EXPECT_TRUE(
        payload::CreateFolderChain(payload::WindowsFileSystem(), (dir_ + "\\four/five\\six\\").c_str()));
    EXPECT_TRUE(PathExists(dir_ + "\\four\\five\\six"));
    EXPECT_TRUE(payload::CreateFolderChain(payload::WindowsFileSystem(), "C:"));
    EXPECT_FALSE(payload::CreateFolderChain(payload::WindowsFileSystem(), ""));
    EXPECT_FALSE(payload::CreateFolderChain(payload::WindowsFileSystem(),
                                            (dir_ + "\\" + std::string(300, 'x')).c_str()));
    WriteWholeFile(dir_ + "\\file", "x");
    EXPECT_FALSE(payload::CreateFolderLevels(payload::WindowsFileSystem(), (dir_ + "\\file\\below").c_str()));
}

// CreateDirectoryA as the file systems call it: this program's import slot
// points at a recorder while a test runs.
struct FolderCall {
    std::string path;
    bool protectedDacl;  // a protected DACL of three entries given
};
std::vector<FolderCall> g_folders;
void* g_createDirectory = nullptr;
extern "C" void* g_createDirectorySlot __asm__("__imp__CreateDirectoryA@8");

BOOL WINAPI RecordCreateDirectory(LPCSTR path, LPSECURITY_ATTRIBUTES attributes) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    const bool protectedDacl =
        attributes && GetSecurityDescriptorControl(attributes->lpSecurityDescriptor, &control, &revision) &&
        (control & SE_DACL_PROTECTED) &&
        GetSecurityDescriptorDacl(attributes->lpSecurityDescriptor, &present, &dacl, &defaulted) && present &&
        dacl && dacl->AceCount == 3;
    g_folders.push_back({path, protectedDacl});
    return reinterpret_cast<decltype(&CreateDirectoryA)>(g_createDirectory)(path, attributes);
}

TEST_F(Extraction, ThePayloadIsReadFromMemoryAndTheFoldersOnTheWayProtected) {
    const std::string bytes = BuildZip({FolderEntry("Zentrel/"), FileEntry("Zentrel/a.txt", "a"),
                                        FolderEntry("Zentrel/Res/"), FileEntry("Zentrel/Res/b.txt", "b")});
    const std::string root = target_ + "\\Program Files\\", product = root + "Zentrel";
    const payload::PayloadSource source{archive_.c_str(), reinterpret_cast<const uint8_t*>(bytes.data()),
                                        static_cast<uint32_t>(bytes.size()), product.c_str()};
    ASSERT_FALSE(PathExists(archive_)) << "only the bytes in memory are read";
    g_folders.clear();
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(&g_createDirectorySlot, sizeof(void*), PAGE_READWRITE, &old));
    g_createDirectory = g_createDirectorySlot;
    g_createDirectorySlot = reinterpret_cast<void*>(&RecordCreateDirectory);
    ArchiveExtractor x;
    const int32_t outcome =
        payload::RunExtraction(&x, payload::PayloadFileSystem(&source), archive_.c_str(), root.c_str());
    g_createDirectorySlot = g_createDirectory;
    EXPECT_EQ(1, outcome);
    EXPECT_EQ("b", ReadWholeFile(product + "\\Res\\b.txt"));
    ASSERT_LE(3u, g_folders.size());
    for (const FolderCall& call : g_folders) {
        const bool onTheWay = call.path.find("Res") == std::string::npos;
        EXPECT_EQ(onTheWay, call.protectedDacl) << call.path;
    }
}

}  // namespace
}  // namespace qv::test

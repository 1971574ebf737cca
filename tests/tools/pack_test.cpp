#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tools/pack/zip_check.h"
#include "tools/pack/zip_writer.h"

namespace qv::pack {
namespace {

uint32_t Get16(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8);
}
uint32_t Get32(const std::string& s, size_t at) { return Get16(s, at) | (Get16(s, at + 2) << 16); }
void Set16(std::string& s, size_t at, uint32_t v) {
    s[at] = static_cast<char>(v);
    s[at + 1] = static_cast<char>(v >> 8);
}

std::vector<PackEntry> Sample() {
    return {{"Zentrel/", "", 1729583490},
            {"Zentrel/a.txt", std::string(1000, 'a'), 1729583490},
            {"Zentrel/b.bin", "bytes", 1729583490},
            {"Zentrel/Empty/", "", 1729583490}};
}

// Offset of central record i.
size_t Central(const std::string& s, int i) {
    size_t at = Get32(s, s.size() - 22 + 16);
    while (i-- > 0) at += 46 + Get16(s, at + 28) + Get16(s, at + 30) + Get16(s, at + 32);
    return at;
}

TEST(Packer, CollectsFoldersBeforeTheirContentsFilesFirstIgnoringCase) {
    char tmpl[] = "/tmp/qvpack-XXXXXX";
    const std::string root = mkdtemp(tmpl);
    for (const char* d : {"/Zentrel", "/Zentrel/res", "/Zentrel/Win10x64", "/Zentrel/res/Sub"})
        mkdir((root + d).c_str(), 0755);
    for (const char* f : {"/Zentrel/zeta.dll", "/Zentrel/Alpha.exe", "/Zentrel/beta.ini",
                          "/Zentrel/res/b.png", "/Zentrel/res/A.png", "/Zentrel/res/Sub/x"})
        std::ofstream(root + f) << f;
    std::vector<PackEntry> entries;
    std::string error;
    ASSERT_TRUE(CollectTree(root, 1729583490, &entries, &error)) << error;
    std::vector<std::string> names;
    for (const PackEntry& e : entries) names.push_back(e.name);
    const std::vector<std::string> expected = {"Zentrel/",          "Zentrel/Alpha.exe", "Zentrel/beta.ini",
                                               "Zentrel/zeta.dll",  "Zentrel/res/",      "Zentrel/res/A.png",
                                               "Zentrel/res/b.png", "Zentrel/res/Sub/",  "Zentrel/res/Sub/x",
                                               "Zentrel/Win10x64/"};
    EXPECT_EQ(expected, names);
    EXPECT_EQ(1729583490, entries[1].mtime);
    std::system(("rm -rf " + root).c_str());
    EXPECT_FALSE(CollectTree("/nonexistent/qv", -1, &entries, &error));
}

TEST(Packer, NamesAreWrittenInCodePage936AsTheInstallerReadsThem) {
    char tmpl[] = "/tmp/qvpack-XXXXXX";
    const std::string root = mkdtemp(tmpl);
    // On disk in UTF-8, as Linux names them: 说明.txt and the folder 资料.
    const std::string readme = "\xE8\xAF\xB4\xE6\x98\x8E.txt", papers = "\xE8\xB5\x84\xE6\x96\x99";
    mkdir((root + "/Zentrel").c_str(), 0755);
    mkdir((root + "/Zentrel/" + papers).c_str(), 0755);
    std::ofstream(root + "/Zentrel/" + readme) << "readme";
    std::ofstream(root + "/Zentrel/" + papers + "/" + readme) << "inner";
    std::vector<PackEntry> entries;
    std::string error;
    ASSERT_TRUE(CollectTree(root, 0, &entries, &error)) << error;
    std::vector<std::string> names;
    for (const PackEntry& e : entries) names.push_back(e.name);
    const std::vector<std::string> expected = {"Zentrel/", "Zentrel/\xCB\xB5\xC3\xF7.txt",
                                               "Zentrel/\xD7\xCA\xC1\xCF/",
                                               "Zentrel/\xD7\xCA\xC1\xCF/\xCB\xB5\xC3\xF7.txt"};
    EXPECT_EQ(expected, names);
    EXPECT_EQ("inner", entries[3].data) << "read by its name on disk";
    // A name code page 936 cannot hold is refused, naming the path.
    const std::string smile = "/Zentrel/\xF0\x9F\x98\x80.txt";
    std::ofstream(root + smile) << "x";
    EXPECT_FALSE(CollectTree(root, 0, &entries, &error));
    EXPECT_NE(std::string::npos, error.find(root + smile)) << error;
    EXPECT_NE(std::string::npos, error.find("code page 936")) << error;
    std::system(("rm -rf " + root).c_str());
}

TEST(Packer, WritesTheHeaderConventionsDeterministically) {
    const std::string a = WriteArchive(Sample());
    EXPECT_EQ(a, WriteArchive(Sample()));
    EXPECT_EQ("", CheckExtractable(a));
    EXPECT_EQ(0u, Get16(a, a.size() - 2)) << "no comment";
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const size_t c = Central(a, i);
        const bool folder = i == 0 || i == 3;
        EXPECT_EQ(63u, Get16(a, c + 4));
        EXPECT_EQ(folder ? 10u : 20u, Get16(a, c + 6));
        EXPECT_EQ(0u, Get16(a, c + 8));
        EXPECT_EQ(folder ? 0u : 8u, Get16(a, c + 10));
        EXPECT_EQ(folder ? 0x10u : 0x20u, Get32(a, c + 38));
        EXPECT_EQ(36u, Get16(a, c + 30)) << "one NTFS field";
        EXPECT_EQ(0x000Au, Get16(a, c + 46 + Get16(a, c + 28)));
        const size_t local = Get32(a, c + 42);
        EXPECT_EQ(0u, Get16(a, local + 28)) << "no local extra field";
        EXPECT_EQ(0u, Get16(a, local + 6));
    }
    EXPECT_EQ(DosDateTime(1729583490), Get32(a, 10));
}

TEST(Validator, RejectsWhatTheInstallerCannotExtractNamingTheEntry) {
    const std::string good = WriteArchive(Sample());
    struct Case {
        const char* what;
        std::string archive;
        const char* message;
    };
    std::vector<Case> cases;
    std::string s = good;
    Set16(s, Central(s, 1) + 8, 1);
    cases.push_back({"encrypted", s, "entry 1 \"Zentrel/a.txt\": encrypted"});
    s = good;
    Set16(s, Central(s, 2) + 10, 12);
    cases.push_back(
        {"method", s, "entry 2 \"Zentrel/b.bin\": compression method other than stored or deflate"});
    s = good;
    Set16(s, Get32(s, Central(s, 2) + 42) + 8, 0);
    cases.push_back(
        {"local method", s, "entry 2 \"Zentrel/b.bin\": local header disagrees with the central record"});
    s = good;
    s[Get32(s, Central(s, 2) + 42) + 14] ^= 1;
    cases.push_back(
        {"local crc", s, "entry 2 \"Zentrel/b.bin\": local header disagrees with the central record"});
    s = good;
    s[Get32(s, Central(s, 1) + 42) + 14] ^= 1;
    s[Central(s, 1) + 16] ^= 1;
    cases.push_back({"crc", s, "entry 1 \"Zentrel/a.txt\": data does not match its size and CRC-32"});
    s = good;
    s[s.size() - 22 + 4] = 1;
    cases.push_back({"disk", s, "archive: spread over several disks"});
    s = good.substr(0, good.size() - 22);
    cases.push_back({"no end", s, "archive: no end-of-central-directory record closing the archive"});
    cases.push_back({"traversal", WriteArchive({{"Zentrel/", "", 0}, {"Zentrel/../x", "x", 0}}),
                     "entry 1 \"Zentrel/../x\": absolute name or \"..\" segment"});
    cases.push_back(
        {"absolute", WriteArchive({{"/x", "x", 0}}), "entry 0 \"/x\": absolute name or \"..\" segment"});
    cases.push_back(
        {"drive", WriteArchive({{"C:x", "x", 0}}), "entry 0 \"C:x\": absolute name or \"..\" segment"});
    const std::string longName = "Zentrel/" + std::string(229, 'n');
    cases.push_back(
        {"long", WriteArchive({{longName, "x", 0}}), "does not fit 260 bytes below the install root"});
    cases.push_back({"nameless", WriteArchive({{"", "x", 0}}),
                     "archive: does not begin with a local header of a named first entry"});
    cases.push_back({"short", "PK\x03\x04", "archive: does not begin"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string message = CheckExtractable(c.archive);
        EXPECT_NE(std::string::npos, message.find(c.message)) << message;
    }
    EXPECT_EQ("", CheckExtractable(WriteArchive({{"Zentrel/" + std::string(228, 'n'), "x", 0}})));
}

TEST(Validator, RefusesAPayloadWithoutTheShapeTheInstallerNeeds) {
    std::vector<PackEntry> product = Sample();
    product.push_back({"Zentrel/Uninstall.exe", "MZ u", 0});
    product.push_back({"Zentrel/Zentrel.exe", "MZ z", 0});
    EXPECT_EQ("", CheckArchive(WriteArchive(product)));
    std::vector<PackEntry> bare = Sample();
    bare.push_back({"Zentrel/Zentrel.exe", "MZ z", 0});
    EXPECT_EQ("payload: no file \"Zentrel/Uninstall.exe\" (the uninstall entry points at it)",
              CheckArchive(WriteArchive(bare)));
    EXPECT_NE(std::string::npos,
              CheckArchive(WriteArchive(Sample())).find("no file \"Zentrel/Zentrel.exe\""));
    std::vector<PackEntry> outside = product;
    outside.push_back({"Other/readme.txt", "x", 0});
    EXPECT_EQ("entry 6 \"Other/readme.txt\": outside the one top folder \"Zentrel/\"",
              CheckArchive(WriteArchive(outside)));
    // A folder path of 248 bytes under the longest root is CreateDirectoryA's limit.
    std::vector<PackEntry> deep = product;
    deep.push_back({"Zentrel/" + std::string(248 - 23 - 8, 'd') + "/", "", 0});
    EXPECT_NE(std::string::npos, CheckArchive(WriteArchive(deep)).find("a folder of 248 bytes or more"));
    EXPECT_EQ("nothing to pack: the folder is empty", CheckPackable({}));
    EXPECT_EQ("more than 65535 entries (65536)",
              CheckPackable(std::vector<PackEntry>(65536, PackEntry{"f", "", 0})));
    EXPECT_EQ("", CheckPackable(product));
}

TEST(Validator, RefusesNamesTheInstallerWouldReadOtherwise) {
    std::vector<PackEntry> product = Sample();
    product.push_back({"Zentrel/Uninstall.exe", "MZ u", 0});
    product.push_back({"Zentrel/Zentrel.exe", "MZ z", 0});
    product.push_back({"Zentrel/\xCB\xB5\xC3\xF7.txt", "readme", 0});  // 说明.txt in GBK
    const std::string gbk = WriteArchive(product);
    EXPECT_EQ("", CheckArchive(gbk));
    // The same name marked UTF-8 (as Python's zipfile and 7-Zip write one),
    // and a name that is UTF-8 bytes indeed.
    std::string flagged = gbk;
    Set16(flagged, Central(flagged, 6) + 8, 0x0800);
    Set16(flagged, Get32(flagged, Central(flagged, 6) + 42) + 6, 0x0800);
    EXPECT_NE(std::string::npos, CheckArchive(flagged).find("entry 6 ")) << CheckArchive(flagged);
    EXPECT_NE(std::string::npos, CheckArchive(flagged).find("marked UTF-8"));
    EXPECT_NE(std::string::npos, CheckArchive(flagged).find("pack the folder instead"));
    std::string ascii = gbk;
    Set16(ascii, Central(ascii, 1) + 8, 0x0800);
    Set16(ascii, Get32(ascii, Central(ascii, 1) + 42) + 6, 0x0800);
    EXPECT_EQ("", CheckArchive(ascii)) << "an ASCII name reads the same in both";
    // UTF-8 bytes of 说.txt, unmarked: not code page 936 (those of 说明.txt
    // happen to be, and cannot be told from GBK).
    std::vector<PackEntry> utf8 = product;
    utf8.back().name = "Zentrel/\xE8\xAF\xB4.txt";
    EXPECT_NE(std::string::npos, CheckArchive(WriteArchive(utf8)).find("not code page 936"));
    // bsdtar's "./" names.
    std::vector<PackEntry> dotted = {{"./", "", 0}, {"./Zentrel/", "", 0}};
    const std::string message = CheckArchive(WriteArchive(dotted));
    EXPECT_NE(std::string::npos, message.find("names begin with \"./\"")) << message;
}

}  // namespace
}  // namespace qv::pack

#include "payload/archive_format.h"

#include <gtest/gtest.h>

#include <string>

namespace qv::payload {
namespace {

TEST(ArchiveFormat, AttributesFromExternalAttributes) {
    EXPECT_EQ(0xA1u, DecodeAttributes(0x20));
    EXPECT_EQ(0x91u, DecodeAttributes(0x10));
    EXPECT_EQ(0xA0u, DecodeAttributes(0x81A40020));               // Unix rw-r--r-- with archive bit
    EXPECT_EQ(0x90u, DecodeAttributes(0x41ED0000 | 0x00800000));  // Unix directory
    EXPECT_EQ(0x87u, DecodeAttributes(0x00800007));
    EXPECT_EQ(0x81u, DecodeAttributes(0x00800001));
}

TEST(ArchiveFormat, UtBlockIsFoundAfterOtherBlocks) {
    const std::string extra = std::string(
                                  "\x0A\x00\x04\x00"
                                  "abcd",
                                  8) +
                              "UT" + std::string("\x09\x00\x03", 3) + std::string("\x00\xF1\x53\x65", 4) +
                              std::string("\x00\x10\x5E\x5F", 4);
    const UnixTimes t = FindUnixTimes(reinterpret_cast<const uint8_t*>(extra.data()), extra.size());
    EXPECT_TRUE(t.write);
    EXPECT_TRUE(t.access);
    EXPECT_FALSE(t.creation);
    EXPECT_EQ(1700000000, t.writeTime);
    EXPECT_EQ(1600000000, t.accessTime);
    EXPECT_EQ(133444736000000000ull, UnixToFileTime(t.writeTime));
}

TEST(ArchiveFormat, UtBlockThatAnnouncesMoreThanItHolds) {
    const std::string extra = "UT" + std::string("\x05\x00\x07", 3) + std::string("\x01\x00\x00\x00", 4);
    const UnixTimes t = FindUnixTimes(reinterpret_cast<const uint8_t*>(extra.data()), extra.size());
    EXPECT_TRUE(t.write);
    EXPECT_EQ(1, t.writeTime);
    EXPECT_FALSE(t.access);
    EXPECT_FALSE(t.creation);
    EXPECT_FALSE(FindUnixTimes(reinterpret_cast<const uint8_t*>("UT\x01"), 3).write);
    EXPECT_FALSE(FindUnixTimes(nullptr, 0).write);
}

TEST(ArchiveFormat, UnsafeNames) {
    for (const char* bad : {"../a", "a/../b", "a\\..\\b", "..", "a/..", "/a", "\\a", "C:a", "c:\\a"})
        EXPECT_TRUE(IsUnsafeName(bad)) << bad;
    for (const char* good : {"a", "Zentrel/", "a/b..c", "...", "a/.b", "..a/b", "a/..b/c"})
        EXPECT_FALSE(IsUnsafeName(good)) << good;
}

TEST(ArchiveFormat, OutputPathsJoinWithOneSeparator) {
    char p[kPathBytes];
    ASSERT_TRUE(MapOutputPath("C:\\Program Files (x86)\\", "Zentrel/Res/a.dll", p));
    EXPECT_STREQ("C:\\Program Files (x86)\\Zentrel\\Res\\a.dll", p);
    ASSERT_TRUE(MapOutputPath("C:\\Target", "Zentrel/", p));
    EXPECT_STREQ("C:\\Target\\Zentrel\\", p);
    // The last character of the target is the two-byte character 95 5C.
    ASSERT_TRUE(MapOutputPath("C:\\\x95\x5C", "a", p));
    EXPECT_STREQ("C:\\\x95\x5C\\a", p);
    EXPECT_FALSE(MapOutputPath("C:\\T", "../a", p));
    EXPECT_STREQ("", p);
    EXPECT_FALSE(MapOutputPath("C:\\T", std::string(255, 'n').c_str(), p));
    EXPECT_TRUE(MapOutputPath("C:\\T", std::string(254, 'n').c_str(), p));
}

TEST(ArchiveFormat, HeaderTest) {
    std::string h(32, '\0');
    h[0] = 'P';
    h[1] = 'K';
    h[2] = 3;
    h[3] = 4;
    auto test = [&](const std::string& s) {
        return PassesHeaderTest(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    };
    EXPECT_FALSE(test(h)) << "name length 0";
    h[26] = 8;
    EXPECT_TRUE(test(h));
    EXPECT_FALSE(test(h.substr(0, 31)));
    h[27] = '\x80';
    EXPECT_FALSE(test(h)) << "negative";
    h[27] = 0;
    h[26] = 0;
    h[24] = 1;  // upper half of a size of 65536 or more
    EXPECT_TRUE(test(h));
    h[0] = 'Q';
    EXPECT_FALSE(test(h));
}

TEST(ArchiveFormat, ProgressPercentages) {
    EXPECT_EQ(56, ProgressPercent(29, 51));
    EXPECT_EQ(100, ProgressPercent(51, 51));
    EXPECT_EQ(0, ProgressPercent(0, 51));
    EXPECT_EQ(0, ProgressPercent(5, 0));
    EXPECT_EQ(1, ProgressPercent(1, 51));
    EXPECT_EQ(98, ProgressPercent(50, 51));
    EXPECT_EQ(100, ProgressPercent(0xFFFFFFFFu, 0xFFFFFFFFu));
    for (uint32_t c = 0; c <= 51; ++c)
        EXPECT_EQ(static_cast<int32_t>(c * 100 / 51), ProgressPercent(c, 51)) << c;
    // Divided first, then multiplied: 0.53 is a little below itself.
    EXPECT_EQ(52, ProgressPercent(53, 100));
}

}  // namespace
}  // namespace qv::payload

// The checks that keep the elevated installer from acting through a link.
#include "runtime/link_rules.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

constexpr uint32_t kMountPoint = 0xA0000003;  // a junction
constexpr uint32_t kSymbolicLink = 0xA000000C;
constexpr uint32_t kCloudPlaceholder = 0x9000001A;
constexpr uint32_t kDeduplicated = 0x80000013;

TEST(LinkRules, NameSurrogatesAndUnknownReparsePointsRedirect) {
    EXPECT_TRUE(IsRedirectingReparse(0x410, kMountPoint, true));
    EXPECT_TRUE(IsRedirectingReparse(0x420, kSymbolicLink, true));
    EXPECT_TRUE(IsRedirectingReparse(0x400, 0, false)) << "a tag the system cannot tell";
    EXPECT_FALSE(IsRedirectingReparse(0x410, kCloudPlaceholder, true));
    EXPECT_FALSE(IsRedirectingReparse(0x420, kDeduplicated, true));
    EXPECT_FALSE(IsRedirectingReparse(0x10, kMountPoint, true)) << "no reparse point at all";
    EXPECT_FALSE(IsRedirectingReparse(0x20, 0, false));
}

TEST(LinkRules, FinalPathsMatchWithoutPrefixOrCase) {
    EXPECT_TRUE(IsSameFinalPath("\\\\?\\C:\\Users\\a\\AppData\\Roaming\\Moranzo",
                                "C:\\users\\A\\appdata\\roaming\\Moranzo"));
    EXPECT_TRUE(
        IsSameFinalPath("\\\\?\\UNC\\srv\\share\\Roaming\\Moranzo", "\\\\SRV\\share\\Roaming\\Moranzo"));
    EXPECT_TRUE(IsSameFinalPath("\\\\?\\C:\\Moranzo", "C:\\Moranzo\\")) << "a final separator";
    EXPECT_TRUE(IsSameFinalPath("\\\\?\\C:\\", "C:\\"));
    EXPECT_TRUE(IsSameFinalPath("C:\\x", "C:\\X"));
}

TEST(LinkRules, AnotherPlaceIsNotTheSame) {
    // What a junction or symbolic link on the way makes of the path.
    EXPECT_FALSE(IsSameFinalPath("\\\\?\\C:\\Windows\\System32\\Quorvane.zip",
                                 "C:\\Users\\a\\AppData\\Roaming\\Moranzo\\Quorvane.zip"));
    EXPECT_FALSE(IsSameFinalPath("\\\\?\\Z:\\etc\\hostname", "C:\\t\\Quorvane.lnk"));
    EXPECT_FALSE(IsSameFinalPath("\\\\?\\C:\\Moranzo2", "C:\\Moranzo"));
    EXPECT_FALSE(IsSameFinalPath("\\\\?\\C:\\Moranz", "C:\\Moranzo"));
    EXPECT_FALSE(IsSameFinalPath("\\\\?\\D:\\Moranzo", "C:\\Moranzo"));
    EXPECT_FALSE(IsSameFinalPath("", ""));
    EXPECT_FALSE(IsSameFinalPath(nullptr, "C:\\"));
}

TEST(LinkRules, TwoByteCharactersCompareByteForByte) {
    // Trail bytes in the letter range are no letters: 0x81 0x61 and 0x81 0x41
    // are two characters.
    EXPECT_FALSE(IsSameFinalPath("\\\\?\\C:\\\x81\x61", "C:\\\x81\x41"));
    EXPECT_TRUE(IsSameFinalPath("\\\\?\\C:\\\xD7\xC0\xC3\xE6", "C:\\\xD7\xC0\xC3\xE6"));
    // A trail byte 0x5C is no final separator.
    EXPECT_FALSE(IsSameFinalPath("\\\\?\\C:\\a\xD5\x5C", "C:\\a\xD5"));
}

TEST(LinkRules, AHeldFolderIsFoundAtTheStartOfAPathBelowIt) {
    const char* profile = "C:\\Users\\a\\Desktop";
    EXPECT_EQ(18u, FolderPrefixLength("C:\\Users\\a\\Desktop\\Quorvane.lnk", profile));
    EXPECT_EQ(18u, FolderPrefixLength("c:\\users\\A\\desktop", "C:\\Users\\a\\Desktop\\"));
    EXPECT_EQ(0u, FolderPrefixLength("C:\\Users\\a\\Desktop2\\Quorvane.lnk", profile));
    EXPECT_EQ(0u, FolderPrefixLength("C:\\Users\\a", profile));
    EXPECT_EQ(3u, FolderPrefixLength("C:\\Moranzo", "C:\\"));
    // A folder ending in a trail byte 0x5C is not followed by a separator.
    EXPECT_EQ(0u, FolderPrefixLength("C:\\a\xD5\x5C"
                                     "b",
                                     "C:\\a\xD5\x5C"));
    EXPECT_EQ(0u, FolderPrefixLength("C:\\x", ""));

    char plain[16];
    EXPECT_TRUE(PlainPath("\\\\?\\UNC\\s\\x", plain, sizeof plain));
    EXPECT_STREQ("\\\\s\\x", plain);
    EXPECT_TRUE(PlainPath("\\\\?\\C:\\x", plain, sizeof plain));
    EXPECT_STREQ("C:\\x", plain);
    EXPECT_FALSE(PlainPath("\\\\?\\C:\\0123456789abcdef", plain, sizeof plain)) << "too long";
}

}  // namespace
}  // namespace qv

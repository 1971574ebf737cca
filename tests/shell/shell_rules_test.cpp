#include "shell/shell_rules.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qv::shell {
namespace {

TEST(ShellRules, FolderKindsMapToTheirSources) {
    const int csidl[] = {5, 6, 16, 20, 11, 2, 7, 26};
    for (int kind = 1; kind <= 8; ++kind) {
        EXPECT_EQ(FolderSource::Shell, LookupForKind(kind).source);
        EXPECT_EQ(csidl[kind - 1], LookupForKind(kind).csidl);
    }
    EXPECT_EQ(FolderSource::Windows, LookupForKind(9).source);
    EXPECT_EQ(FolderSource::System, LookupForKind(10).source);
    EXPECT_EQ(FolderSource::Temp, LookupForKind(11).source);
    for (int kind : {0, -1, 12, 0x7FFFFFFF}) EXPECT_EQ(FolderSource::None, LookupForKind(kind).source);
}

TEST(ShellRules, SeparatorTestLooksAtTheLastByte) {
    EXPECT_TRUE(NeedsSeparator("C:\\Users\\me", 11));
    EXPECT_FALSE(NeedsSeparator("C:\\Temp\\", 8));
    EXPECT_FALSE(NeedsSeparator("", 0));
    // A last character whose trail byte is 0x5C counts as ending in "\".
    EXPECT_FALSE(NeedsSeparator("C:\\\x95\x5C", 5));
}

TEST(ShellRules, LinkSuffixOnlyForFileNamesWithoutDot) {
    EXPECT_TRUE(NeedsLinkSuffix("C:\\Users\\a.b\\Desktop\\Quorvane"));
    EXPECT_FALSE(NeedsLinkSuffix("C:\\Desktop\\Quorvane.lnk"));
    EXPECT_FALSE(NeedsLinkSuffix("C:\\Desktop\\notes.txt"));
    EXPECT_TRUE(NeedsLinkSuffix("Quorvane"));
    EXPECT_TRUE(NeedsLinkSuffix("C:\\Menu\\Quorvane\xD0\xB6\xD4\xD8"));
    // The trail byte 0x5C is no separator, so the dot before it still counts.
    EXPECT_FALSE(NeedsLinkSuffix("C:\\x.\x95\x5Cname"));
}

TEST(ShellRules, VerbsAndShowModes) {
    EXPECT_STREQ("edit", VerbFor(1));
    EXPECT_STREQ("open", VerbFor(4));
    EXPECT_STREQ("print", VerbFor(5));
    EXPECT_EQ(nullptr, VerbFor(0));
    EXPECT_EQ(nullptr, VerbFor(6));
    EXPECT_EQ(nullptr, VerbFor(-3));

    TypedValue args[5] = {MakeInt(4), MakeText("f"), {}, {}, MakeInt(5)};
    EXPECT_EQ(8, ShowCommandFor(5, args));
    EXPECT_EQ(1, ShowCommandFor(4, args)) << "four arguments: the show mode is not read";
    const int expected[] = {1, 0, 1, 2, 3, 8, 6, 1};
    for (int mode = 0; mode <= 7; ++mode) {
        args[4] = MakeInt(mode);
        EXPECT_EQ(expected[mode], ShowCommandFor(5, args)) << mode;
    }
    args[4] = MakeAbsent();
    args[4].i32 = 3;
    EXPECT_EQ(1, ShowCommandFor(5, args)) << "an absent show mode is not read";
}

}  // namespace
}  // namespace qv::shell

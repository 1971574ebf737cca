// The character walk over texts in code page 936.
#include "runtime/text.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(Text, LeadBytesAre81ToFE) {
    EXPECT_FALSE(IsLeadByte(0x7F));
    EXPECT_FALSE(IsLeadByte(0x80));
    EXPECT_TRUE(IsLeadByte(0x81));
    EXPECT_TRUE(IsLeadByte(0xFE));
    EXPECT_FALSE(IsLeadByte(0xFF));
}

TEST(Text, CharactersAtTheEdges) {
    EXPECT_EQ(2u, CharBytes("\xD5\x5C"));
    EXPECT_EQ(1u, CharBytes("\xD5")) << "a lead byte before the NUL stands alone";
    EXPECT_EQ(1u, CharBytes("\xD5\x5C", 1)) << "nor past the bytes given";
    EXPECT_EQ(1u, CharBytes("\x80\x5C"));
    EXPECT_EQ(1u, CharBytes("\xFF\x5C"));
    EXPECT_EQ(1u, CharBytes("a"));
}

TEST(Text, SeparatorsAreNeverTrailBytes) {
    EXPECT_EQ(2, FindLastSeparator("C:\\\xD5\x5C", false));
    EXPECT_EQ(4, FindLastSeparator("C:\\\x80\\", false)) << "0x80 is a character of its own";
    EXPECT_EQ(4, FindLastSeparator("C:\\a\\\xD5", false)) << "a lead byte at the end";
    EXPECT_EQ(3, FindLastSeparator("a\\b/c", true));
    EXPECT_EQ(1, FindLastSeparator("a\\b/c", false));
    EXPECT_EQ(-1, FindLastSeparator(nullptr, true));
    EXPECT_EQ(-1, FindLastSeparator("\x81\x5C", true));
}

TEST(Text, TheLastCharacterIsTheSeparator) {
    EXPECT_TRUE(EndsWithSeparatorChar("C:\\", false));
    EXPECT_FALSE(EndsWithSeparatorChar("C:\\a", false));
    EXPECT_FALSE(EndsWithSeparatorChar("C:\\\x95\x5C", false));
    EXPECT_FALSE(EndsWithSeparatorChar("C:\\\x95\x5C", true));
    EXPECT_TRUE(EndsWithSeparatorChar("C:\\\x80\\", false));
    EXPECT_TRUE(EndsWithSeparatorChar("C:\\\xD5\x5C\\", false));
    EXPECT_FALSE(EndsWithSeparatorChar("a/", false));
    EXPECT_TRUE(EndsWithSeparatorChar("a/", true));
    EXPECT_FALSE(EndsWithSeparatorChar("", true));
    EXPECT_FALSE(EndsWithSeparatorChar(nullptr, true));
}

TEST(Text, WellFormedCodePage936) {
    EXPECT_TRUE(IsWellFormedCp936("Zentrel/\xCB\xB5\xC3\xF7.txt", 16));
    EXPECT_TRUE(IsWellFormedCp936("\x80", 1)) << "the euro sign";
    EXPECT_TRUE(IsWellFormedCp936("\x81\x40\xFE\xFE\xD5\x5C", 6));
    EXPECT_FALSE(IsWellFormedCp936("\xFF", 1));
    EXPECT_FALSE(IsWellFormedCp936("\x81", 1)) << "a lead byte at the end";
    EXPECT_FALSE(IsWellFormedCp936("\x81\x7F", 2));
    EXPECT_FALSE(IsWellFormedCp936("\x81\x3F", 2));
    EXPECT_FALSE(IsWellFormedCp936("\xE8\xAF\xB4.", 4)) << "UTF-8 of one character and a dot";
    EXPECT_TRUE(IsWellFormedCp936("\xE8\xAF\xB4\xE6\x98\x8E", 6)) << "UTF-8 of two: three GBK pairs";
    EXPECT_TRUE(IsWellFormedCp936("", 0));
}

}  // namespace
}  // namespace qv

#include "runtime/values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "runtime/memory.h"

namespace qv {
namespace {

// Runs a one-argument command and returns its result.
TypedValue Call(Command command, const TypedValue& arg) {
    TypedValue result{};
    command(&result, 1, &arg);
    return result;
}

std::string TakeText(TypedValue result) {
    std::string s = result.text ? result.text : "<null>";
    FreeBlock(const_cast<char*>(result.text));
    return s;
}

std::string TakeBytes(TypedValue result) {
    if (!result.bytes) return "<null>";
    std::string s(reinterpret_cast<const char*>(ByteSetData(result.bytes)), ByteSetLength(result.bytes));
    EXPECT_EQ(1u, static_cast<const ByteSetHeader*>(result.bytes)->one);
    FreeBlock(const_cast<void*>(result.bytes));
    return s;
}

TypedValue Tagged(uint32_t tag, uint64_t raw) {
    TypedValue v{};
    v.raw = raw;
    v.tag = tag;
    return v;
}

TypedValue DateValue(double d) {
    TypedValue v{};
    v.f64 = d;
    v.tag = kTagDateTime;
    return v;
}

TEST(ConcatTexts, JoinsInOrderAndAlwaysReturnsABlock) {
    char* joined = ConcatTexts({"C:\\Program Files\\", "Zentrel", "\\Zentrel.exe"});
    EXPECT_STREQ("C:\\Program Files\\Zentrel\\Zentrel.exe", joined);
    FreeBlock(joined);

    char* empty = ConcatTexts({nullptr, "", nullptr});
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ('\0', empty[0]);
    FreeBlock(empty);
}

TEST(ToText, FormatsIntegersWithoutPadding) {
    EXPECT_EQ("1899", TakeText(Call(ToText, MakeInt(1899))));
    EXPECT_EQ("12", TakeText(Call(ToText, MakeInt(12))));
    EXPECT_EQ("-30", TakeText(Call(ToText, MakeInt(-30))));
    EXPECT_EQ("255", TakeText(Call(ToText, Tagged(kTagU8, 255))));
    EXPECT_EQ("-2", TakeText(Call(ToText, Tagged(kTagI16, 0xFFFE))));
    EXPECT_EQ("-9223372036854775807", TakeText(Call(ToText, Tagged(kTagI64, 0x8000000000000001ull))));
    EXPECT_EQ("50941", TakeText(Call(ToText, MakeDouble(50941.0))));
    EXPECT_EQ("0.1", TakeText(Call(ToText, MakeDouble(0.1))));
}

TEST(ToText, FormatsLogicalsAndDateTimes) {
    EXPECT_EQ("真", TakeText(Call(ToText, Tagged(kTagLogical, 1))));
    EXPECT_EQ("假", TakeText(Call(ToText, Tagged(kTagLogical, 0))));
    EXPECT_EQ("1899年12月30日", TakeText(Call(ToText, DateValue(0.0))));
    EXPECT_EQ("1900年1月1日6时", TakeText(Call(ToText, DateValue(2.25))));
    // 2024-10-22 15:51:30
    EXPECT_EQ("2024年10月22日15时51分30秒",
              TakeText(Call(ToText, DateValue(45587 + (15 * 3600 + 51 * 60 + 30) / 86400.0))));
    EXPECT_EQ("2024年10月22日15时51分", TakeText(Call(ToText, DateValue(45587 + (15 * 60 + 51) / 1440.0))));
}

TEST(ToText, CopiesTextsAndByteSetsAndGivesNullWhenEmpty) {
    EXPECT_EQ("<null>", TakeText(Call(ToText, MakeText(""))));
    EXPECT_EQ("<null>", TakeText(Call(ToText, MakeText(nullptr))));
    EXPECT_EQ("abc", TakeText(Call(ToText, MakeText("abc"))));
    const uint8_t set[] = {1, 0, 0, 0, 5, 0, 0, 0, 'h', 'i', 0, 'x', 'y'};
    EXPECT_EQ("hi", TakeText(Call(ToText, MakeByteSet(set))));
    const uint8_t array[] = {1, 0, 0, 0, 2, 0, 0, 0, 'A', 'B', 'C', 0, 'D', 0, 0, 0};
    TypedValue ints{};
    ints.bytes = array;
    ints.tag = kTagI32 | kTagArray;
    EXPECT_EQ("ABC", TakeText(Call(ToText, ints)));
    EXPECT_EQ("<null>", TakeText(Call(ToText, Tagged(0x12345678, 7))));
    EXPECT_EQ("<null>", TakeText(Call(ToText, Tagged(kTagText | kTagArray, 0))));
}

TEST(ToNumber, ParsesTheLongestDecimalPrefix) {
    EXPECT_EQ(50941.0, Call(ToNumber, MakeText("50941")).f64);
    EXPECT_EQ(0.0, Call(ToNumber, MakeText("")).f64);
    EXPECT_EQ(0.0, Call(ToNumber, MakeText(nullptr)).f64);
    EXPECT_EQ(12.0, Call(ToNumber, MakeText("  \t12abc")).f64);
    EXPECT_EQ(1000.0, Call(ToNumber, MakeText("1d3")).f64);
    EXPECT_EQ(-250.0, Call(ToNumber, MakeText("-2.5E2x")).f64);
    EXPECT_EQ(0.5, Call(ToNumber, MakeText(".5")).f64);
    EXPECT_EQ(7.0, Call(ToNumber, MakeText("7e")).f64);
    EXPECT_EQ(0.0, Call(ToNumber, MakeText("abc")).f64);
    EXPECT_EQ(0.0, Call(ToNumber, MakeText("-.e5")).f64);
}

TEST(ToNumber, NormalisesFullWidthForms) {
    EXPECT_EQ(12.0, Call(ToNumber, MakeText("\xA3\xB1\xA3\xB2")).f64);
    // ideographic space, full-width minus and digits
    EXPECT_EQ(-3.0, Call(ToNumber, MakeText("\xA1\xA1\xA3\xAD\xA3\xB3")).f64);
    // a lone lead byte at the end is dropped
    EXPECT_EQ(4.0, Call(ToNumber, MakeText("4\xA3")).f64);
}

TEST(ToNumber, OutOfRangeAndOtherKindsGiveNeutralResults) {
    EXPECT_EQ(0.0, Call(ToNumber, MakeText("1e999")).f64);
    EXPECT_EQ(0.0, Call(ToNumber, MakeText("-1d99999999999999999999")).f64);
    EXPECT_EQ(0.0, Call(ToNumber, MakeText("1e-99999")).f64);
    EXPECT_EQ(1.0, Call(ToNumber, Tagged(kTagLogical, 1)).f64);
    EXPECT_EQ(-5.0, Call(ToNumber, MakeInt(-5)).f64);
    EXPECT_EQ(200.0, Call(ToNumber, Tagged(kTagU8, 200)).f64);
    EXPECT_EQ(4294967295.0, Call(ToNumber, Tagged(kTagWord, 0xFFFFFFFF)).f64);
    EXPECT_EQ(0.0, Call(ToNumber, DateValue(5.0)).f64);
    EXPECT_EQ(0.0, Call(ToNumber, Tagged(kTagF64 | kTagArray, 0)).f64);
}

TEST(ToByteSet, CopiesBytesByKind) {
    EXPECT_EQ(std::string("\x01\x00\x00\x00", 4), TakeBytes(Call(ToByteSet, MakeInt(1))));
    EXPECT_EQ("abc", TakeBytes(Call(ToByteSet, MakeText("abc"))));
    EXPECT_EQ("<null>", TakeBytes(Call(ToByteSet, MakeText(""))));
    const uint8_t empty[] = {1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ("<null>", TakeBytes(Call(ToByteSet, MakeByteSet(empty))));
    EXPECT_EQ("<null>", TakeBytes(Call(ToByteSet, MakeByteSet(nullptr))));
    const uint8_t set[] = {1, 0, 0, 0, 3, 0, 0, 0, 0, 'x', 0};
    EXPECT_EQ(std::string("\0x\0", 3), TakeBytes(Call(ToByteSet, MakeByteSet(set))));
    EXPECT_EQ(8u, TakeBytes(Call(ToByteSet, DateValue(1.5))).size());
    EXPECT_EQ(2u, TakeBytes(Call(ToByteSet, Tagged(kTagI16, 7))).size());
    EXPECT_EQ(8u, TakeBytes(Call(ToByteSet, Tagged(kTagQword, 7))).size());
    EXPECT_EQ("<null>", TakeBytes(Call(ToByteSet, Tagged(0x00030001, 7))));
    const uint8_t array[] = {1, 0, 0, 0, 2, 0, 0, 0, 1, 2, 3, 4};
    TypedValue shorts{};
    shorts.bytes = array;
    shorts.tag = kTagI16 | kTagArray;
    EXPECT_EQ(std::string("\x01\x02\x03\x04"), TakeBytes(Call(ToByteSet, shorts)));
}

struct DateCase {
    double value;
    int year, month, day;
};

TEST(DateParts, FollowTheGregorianCalendarFromDayZero) {
    const DateCase cases[] = {
        {0.0, 1899, 12, 30},    {60.0, 1900, 2, 28},    {61.0, 1900, 3, 1},        {-1.25, 1899, 12, 29},
        {1e9, 9999, 12, 31},    {-1e9, 100, 1, 1},      {2.0, 1900, 1, 1},         {45587.5, 2024, 10, 22},
        {36585.0, 2000, 2, 29}, {-657434.0, 100, 1, 1}, {2958465.0, 9999, 12, 31},
    };
    for (const DateCase& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(c.year, Call(GetYear, DateValue(c.value)).i32);
        EXPECT_EQ(c.month, Call(GetMonth, DateValue(c.value)).i32);
        EXPECT_EQ(c.day, Call(GetDay, DateValue(c.value)).i32);
    }
}

TEST(DateParts, CivilDatesRoundTrip) {
    EXPECT_EQ(0.0, DateTimeFromCivil(1899, 12, 30));
    EXPECT_EQ(61.0, DateTimeFromCivil(1900, 3, 1));
    EXPECT_EQ(-657434.0, DateTimeFromCivil(100, 1, 1));
    EXPECT_EQ(2958465.0, DateTimeFromCivil(9999, 12, 31));
    const DateParts p = ConvertDate(DateTimeFromCivil(2026, 12, 9));
    EXPECT_EQ(2026, p.year);
    EXPECT_EQ(12, p.month);
    EXPECT_EQ(9, p.day);
}

TEST(DateParts, HalfSecondBeforeMidnightIsTheNextDay) {
    const double almost = 1.0 - 0.4 / 86400.0;
    EXPECT_EQ(31, Call(GetDay, DateValue(almost)).i32);
    const double notYet = 1.0 - 0.6 / 86400.0;
    EXPECT_EQ(30, Call(GetDay, DateValue(notYet)).i32);
    EXPECT_EQ(23, ConvertDate(notYet).hour);
    EXPECT_EQ(59, ConvertDate(notYet).second);
}

TEST(DateParts, NonFiniteValuesAreClamped) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(9999, ConvertDate(nan).year);
    EXPECT_EQ(9999, ConvertDate(inf).year);
    EXPECT_EQ(100, ConvertDate(-inf).year);
    EXPECT_EQ("9999年12月31日", TakeText(Call(ToText, DateValue(nan))));
}

}  // namespace
}  // namespace qv

#include "runtime/registry_rules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qv {
namespace {

TypedValue Tagged(uint32_t tag, uint64_t raw) {
    TypedValue v{};
    v.raw = raw;
    v.tag = tag;
    return v;
}

TEST(RegistryRules, RootNumbersMapWithCurrentUserAsDefault) {
    EXPECT_EQ(RegistryRoot::ClassesRoot, RootFromNumber(1));
    EXPECT_EQ(RegistryRoot::CurrentConfig, RootFromNumber(2));
    EXPECT_EQ(RegistryRoot::LocalMachine, RootFromNumber(4));
    EXPECT_EQ(RegistryRoot::Users, RootFromNumber(5));
    for (int n : {0, 3, 9, -1}) EXPECT_EQ(RegistryRoot::CurrentUser, RootFromNumber(n));
}

TEST(RegistryRules, ValuePathSplitsAtTheLastRealBackslash) {
    std::string key, name;
    SplitValuePath("SOFTWARE\\WOW6432Node\\Halvik\\Zentrel\\Counter", &key, &name);
    EXPECT_EQ("SOFTWARE\\WOW6432Node\\Halvik\\Zentrel", key);
    EXPECT_EQ("Counter", name);
    SplitValuePath("Key\\Sub\\", &key, &name);
    EXPECT_EQ("Key\\Sub", key);
    EXPECT_EQ("", name);
    SplitValuePath("Plain", &key, &name);
    EXPECT_EQ("", key);
    EXPECT_EQ("Plain", name);
    // "表" is B1 ED, "\x95\x5C" has trail byte 0x5C: not a separator.
    SplitValuePath("Key\\\x95\x5Cname", &key, &name);
    EXPECT_EQ("Key", key);
    EXPECT_EQ("\x95\x5Cname", name);
    SplitValuePath("A\x95\x5C", &key, &name);
    EXPECT_EQ("", key);
    EXPECT_EQ("A\x95\x5C", name);
    SplitValuePath(nullptr, &key, &name);
    EXPECT_EQ("", name);
}

TEST(RegistryRules, NumbersBecomeDwordsByTheIntegerRule) {
    EXPECT_EQ(50941u, NumberToDword(MakeDouble(50941.0)));
    EXPECT_EQ(2u, NumberToDword(MakeDouble(2.9)));
    EXPECT_EQ(static_cast<uint32_t>(-2), NumberToDword(MakeDouble(-2.9)));
    EXPECT_EQ(5u, NumberToDword(Tagged(kTagI64, (1ull << 32) + 5)));
    EXPECT_EQ(0xFFFFFFFFu, NumberToDword(Tagged(kTagI16, 0xFFFF)));
    EXPECT_EQ(0xFFu, NumberToDword(Tagged(kTagU8, 0xFF)));
    EXPECT_EQ(0u, NumberToDword(MakeDouble(1e30)));
    EXPECT_EQ(0u, NumberToDword(MakeDouble(std::nan(""))));
    TypedValue f{};
    f.f32 = 7.75f;
    f.tag = kTagF32;
    EXPECT_EQ(7u, NumberToDword(f));
}

TEST(RegistryRules, KindDecidesTheRegistryType) {
    RegistryData d = RegistryDataFor(MakeDouble(50941.0));
    EXPECT_EQ(4u, d.type);
    EXPECT_EQ(std::string("\xFD\xC6\x00\x00", 4), d.bytes);
    d = RegistryDataFor(MakeText("100%"));
    EXPECT_EQ(1u, d.type);
    EXPECT_EQ(std::string("100%\0", 5), d.bytes);
    d = RegistryDataFor(MakeText(nullptr));
    EXPECT_EQ(std::string(1, '\0'), d.bytes);
    const uint8_t set[] = {1, 0, 0, 0, 2, 0, 0, 0, 0xAB, 0xCD};
    d = RegistryDataFor(MakeByteSet(set));
    EXPECT_EQ(3u, d.type);
    EXPECT_EQ("\xAB\xCD", d.bytes);
    EXPECT_EQ(0u, RegistryDataFor(Tagged(kTagLogical, 1)).type);
    EXPECT_EQ(0u, RegistryDataFor(Tagged(kTagDateTime, 0)).type);
}

}  // namespace
}  // namespace qv

#include "runtime/registry_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

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

// Key and value name of a value path.
std::pair<std::string, std::string> Split(const char* path) {
    const ValuePathSplit split = SplitValuePath(path);
    const std::string whole = path ? path : "";
    return {whole.substr(0, split.keyLength), whole.substr(split.nameOffset)};
}

TEST(RegistryRules, ValuePathSplitsAtTheLastRealBackslash) {
    using P = std::pair<std::string, std::string>;
    EXPECT_EQ(P("SOFTWARE\\WOW6432Node\\Halvik\\Zentrel", "Counter"),
              Split("SOFTWARE\\WOW6432Node\\Halvik\\Zentrel\\Counter"));
    EXPECT_EQ(P("Key\\Sub", ""), Split("Key\\Sub\\"));
    EXPECT_EQ(P("", "Plain"), Split("Plain"));
    // 0x95 0x5C is one two-byte character: its trail byte is no separator.
    EXPECT_EQ(P("Key", "\x95\x5Cname"), Split("Key\\\x95\x5Cname"));
    EXPECT_EQ(P("", "A\x95\x5C"), Split("A\x95\x5C"));
    EXPECT_EQ(P("", ""), Split(nullptr));
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
    auto bytes = [](const RegistryData& d) {
        return std::string(reinterpret_cast<const char*>(d.bytes ? d.bytes : d.dword), d.size);
    };
    RegistryData d = RegistryDataFor(MakeDouble(50941.0));
    EXPECT_EQ(4u, d.type);
    EXPECT_EQ(std::string("\xFD\xC6\x00\x00", 4), bytes(d));
    d = RegistryDataFor(MakeText("100%"));
    EXPECT_EQ(1u, d.type);
    EXPECT_EQ(std::string("100%\0", 5), bytes(d));
    d = RegistryDataFor(MakeText(nullptr));
    EXPECT_EQ(std::string(1, '\0'), bytes(d));
    const uint8_t set[] = {1, 0, 0, 0, 2, 0, 0, 0, 0xAB, 0xCD};
    d = RegistryDataFor(MakeByteSet(set));
    EXPECT_EQ(3u, d.type);
    EXPECT_EQ("\xAB\xCD", bytes(d));
    const uint8_t empty[] = {1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0u, RegistryDataFor(MakeByteSet(empty)).size);
    EXPECT_EQ(0u, RegistryDataFor(Tagged(kTagLogical, 1)).type);
    EXPECT_EQ(0u, RegistryDataFor(Tagged(kTagDateTime, 0)).type);
    // Arrays have no registry type, numeric elements or not.
    EXPECT_EQ(0u, RegistryDataFor(Tagged(kTagI32 | kTagArray, 0)).type);
    EXPECT_EQ(0u, RegistryDataFor(Tagged(kTagF64 | kTagArray, 0)).type);
    EXPECT_EQ(0u, RegistryDataFor(Tagged(kTagText | kTagArray, 0)).type);
}

}  // namespace
}  // namespace qv

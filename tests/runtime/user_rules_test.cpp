// What the elevated installer may do for its user, and how it starts the
// product, for every kind of token.
#include "runtime/user_rules.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

struct Row {
    const char* what;
    TokenFacts facts;
    LaunchRoad road;
    bool aboveUser;
    bool mayIfGranted, mayIfDenied;  // an unknown verdict counts as denied
};

constexpr Elevation kDefault = Elevation::Default, kFull = Elevation::Full, kLimited = Elevation::Limited;

const Row kRows[] = {
    {"UAC off, built-in Administrator, standard user",
     {kDefault, false, false, false},
     LaunchRoad::OpenLink,
     false,
     true,
     true},
    {"Windows with UAC, elevated", {kFull, true, false, false}, LaunchRoad::ThroughShell, true, true, false},
    {"Wine 8: a primary copy of the linked token can be made",
     {kFull, true, true, false},
     LaunchRoad::AsLinkedUser,
     true,
     true,
     false},
    {"Wine 10: limited, its linked token the elevated one",
     {kLimited, true, true, false},
     LaunchRoad::OpenLink,
     false,
     true,
     true},
    {"elevated without a linked token", {kFull, false, false, false}, LaunchRoad::None, true, false, false},
    {"LocalSystem", {kDefault, false, false, true}, LaunchRoad::None, false, true, true},
    {"a service account elevated", {kFull, true, true, true}, LaunchRoad::None, true, true, false},
};

TEST(UserRules, EveryTokenKindHasItsRoadAndItsRule) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.road, ChooseLaunchRoad(row.facts));
        EXPECT_EQ(row.aboveUser, ActsAboveUser(row.facts));
        EXPECT_EQ(row.mayIfGranted, MayActForUser(row.facts, Access::Granted));
        EXPECT_EQ(row.mayIfDenied, MayActForUser(row.facts, Access::Denied));
        EXPECT_EQ(row.mayIfDenied, MayActForUser(row.facts, Access::Unknown));
    }
}

}  // namespace
}  // namespace qv

#include "runtime/user_rules.h"

namespace qv {

bool ActsAboveUser(const TokenFacts& facts) { return facts.elevation == Elevation::Full; }

bool MayActForUser(const TokenFacts& facts, Access userAccess) {
    if (!ActsAboveUser(facts)) return true;
    // Elevated with no linked token to ask: nobody can say what the user may.
    return facts.linked && userAccess == Access::Granted;
}

LaunchRoad ChooseLaunchRoad(const TokenFacts& facts) {
    if (facts.serviceAccount) return LaunchRoad::None;
    if (!ActsAboveUser(facts)) return LaunchRoad::OpenLink;
    if (!facts.linked) return LaunchRoad::None;
    return facts.linkedStarts ? LaunchRoad::AsLinkedUser : LaunchRoad::ThroughShell;
}

}  // namespace qv

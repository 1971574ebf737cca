// The user behind the process, as its token tells: the facts the rules of
// user_rules.h decide on, the user's own access verdict on an object, and
// programs started as that user.
#pragma once

#include <windows.h>

#include "runtime/user_rules.h"

namespace qv {

// The process token's facts, read once.
const TokenFacts& ProcessTokenFacts() noexcept;

// The user's own verdict on desired access (file rights) to the object
// behind handle, which must be open with READ_CONTROL: an access check of its
// security descriptor against the linked token. Unknown when there is no
// linked token or the check cannot be made.
Access UserAccessTo(HANDLE object, DWORD desired) noexcept;

// Whether the process may do desired to the object on its user's behalf:
// MayActForUser with the process facts, asking UserAccessTo only when the
// process acts above its user.
[[nodiscard]] bool UserMay(HANDLE object, DWORD desired) noexcept;

// Starts program with the command line "program" arguments in its own
// folder, with a primary copy of the linked token (the unelevated user), on
// the interactive desktop, with no standard handles and nothing inherited.
// False when there is none or the start fails; nothing is started then.
[[nodiscard]] bool StartAsLinkedUser(const char* program, const char* arguments) noexcept;

// Tests only: facts and an access verdict in place of the token's; null
// restores the token's.
struct UserSideForTest {
    TokenFacts facts;
    Access (*verdict)(HANDLE object, DWORD desired);
};
void SetUserSideForTest(const UserSideForTest* stand) noexcept;

}  // namespace qv

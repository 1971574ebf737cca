// What an elevated program may do on its user's side, and how it starts a
// program for that user, decided from the facts of its own token. Pure: the
// Win32 side reads the facts and the access verdicts and asks these.
#pragma once

namespace qv {

// TOKEN_ELEVATION_TYPE of the process token.
enum class Elevation { Default = 1, Full = 2, Limited = 3 };

struct TokenFacts {
    Elevation elevation = Elevation::Default;
    // The system gave a linked token.
    bool linked = false;
    // A primary token could be made of the linked one (Windows gives only an
    // identification token to a caller without the TCB privilege).
    bool linkedStarts = false;
    // LocalSystem, LocalService or NetworkService: there is no user.
    bool serviceAccount = false;
};

// True when the process acts above its user: an elevated token whose linked
// token is the user's own, unelevated one. A limited token's linked token is
// the elevated one and never counts.
bool ActsAboveUser(const TokenFacts& facts);

// What the user's own token may do with an object, as an access check says.
enum class Access { Granted, Denied, Unknown };

// Whether the process may change, on its user's side, what the user's access
// verdict covers: always when it is not above its user (the system checks it
// as the user then); otherwise only what the user could have done.
bool MayActForUser(const TokenFacts& facts, Access userAccess);

// How a program is started for the user:
//   OpenLink: the shell opens the link file, as this process (it is the user);
//   AsLinkedUser: the program is started with a primary copy of the linked token;
//   ThroughShell: the user's own shell (running unelevated) is asked to open the link;
//   None: there is no user to start it for.
enum class LaunchRoad { OpenLink, AsLinkedUser, ThroughShell, None };

LaunchRoad ChooseLaunchRoad(const TokenFacts& facts);

}  // namespace qv

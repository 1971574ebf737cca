#include "runtime/user_token_win.h"

#include <aclapi.h>

#include <cstring>

#include "runtime/handles_win.h"
#include "runtime/text.h"

namespace qv {
namespace {

struct ProcessUser {
    TokenFacts facts;
    UniqueHandleFile linked;   // the linked token, for access checks
    UniqueHandleFile primary;  // a primary copy of it, to start programs
};

const UserSideForTest* g_stand = nullptr;

bool IsServiceAccount(HANDLE token) {
    alignas(8) unsigned char buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD n = 0;
    if (!GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &n)) return false;
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
    return IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinLocalServiceSid) ||
           IsWellKnownSid(sid, WinNetworkServiceSid);
}

ProcessUser& User() {
    static ProcessUser user;
    static bool read = false;
    if (read) return user;
    read = true;
    UniqueHandleFile token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return user;
    user.facts.serviceAccount = IsServiceAccount(token.get());
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD n = 0;
    if (!GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &n)) return user;
    user.facts.elevation = static_cast<Elevation>(type);
    // A limited token's linked token is the elevated one: never taken.
    if (type != TokenElevationTypeFull) return user;
    TOKEN_LINKED_TOKEN linked{};
    if (!GetTokenInformation(token.get(), TokenLinkedToken, &linked, sizeof linked, &n)) return user;
    user.linked.reset(linked.LinkedToken);
    user.facts.linked = true;
    user.facts.linkedStarts =
        DuplicateTokenEx(user.linked.get(), TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary,
                         user.primary.put()) != FALSE;
    return user;
}

Access CheckWithLinkedToken(HANDLE object, DWORD desired) {
    const HANDLE linked = User().linked.get();
    if (!linked) return Access::Unknown;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                        nullptr, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return Access::Unknown;
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    MapGenericMask(&desired, &mapping);
    alignas(8) unsigned char privileges[256];
    DWORD privilegesSize = sizeof privileges, granted = 0;
    BOOL status = FALSE;
    const BOOL checked =
        AccessCheck(descriptor, linked, desired, &mapping, reinterpret_cast<PRIVILEGE_SET*>(privileges),
                    &privilegesSize, &granted, &status);
    LocalFree(descriptor);
    if (!checked) return Access::Unknown;
    return status ? Access::Granted : Access::Denied;
}

}  // namespace

const TokenFacts& ProcessTokenFacts() noexcept { return g_stand ? g_stand->facts : User().facts; }

Access UserAccessTo(HANDLE object, DWORD desired) noexcept {
    return g_stand ? g_stand->verdict(object, desired) : CheckWithLinkedToken(object, desired);
}

bool UserMay(HANDLE object, DWORD desired) noexcept {
    const TokenFacts& facts = ProcessTokenFacts();
    return MayActForUser(facts, ActsAboveUser(facts) ? UserAccessTo(object, desired) : Access::Granted);
}

bool StartAsLinkedUser(const char* program, const char* arguments) noexcept {
    const HANDLE primary = User().primary.get();
    if (!primary || !program || !*program) return false;
    const size_t n = TextLength(program), m = TextLength(arguments);
    // "program" arguments, and the program's folder.
    char line[3 * MAX_PATH], folder[MAX_PATH];
    if (n >= MAX_PATH || n + m + 4 > sizeof line) return false;
    line[0] = '"';
    std::memcpy(line + 1, program, n);
    line[n + 1] = '"';
    line[n + 2] = m ? ' ' : '\0';
    if (m) std::memcpy(line + n + 3, arguments, m + 1);
    std::memcpy(folder, program, n + 1);
    const ptrdiff_t cut = FindLastSeparator(folder, false);
    if (cut > 0) folder[cut + (cut == 2 && folder[1] == ':')] = '\0';
    // The user's desktop, and none of this process's standard handles.
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = const_cast<char*>("winsta0\\default");
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION process{};
    if (!CreateProcessAsUserA(primary, program, line, nullptr, nullptr, FALSE, 0, nullptr,
                              cut > 0 ? folder : nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void SetUserSideForTest(const UserSideForTest* stand) noexcept { g_stand = stand; }

}  // namespace qv

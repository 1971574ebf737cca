// Bitness detection, install-root choice and the two redirection calls, all
// through the installer's declared calls.
#pragma once

#include "runtime/runtime_win.h"

namespace qv::installer {

// Indices of the installer's declared-call table.
enum DeclaredCall {
    kCallGetModuleHandle,
    kCallGetProcAddress,
    kCallGetCurrentProcess,
    kCallIsWow64Process,
    kCallDisableRedirection,
    kCallRevertRedirection,
};
inline constexpr int kDeclaredCallCount = 6;
extern const DeclaredEntry kDeclaredCalls[kDeclaredCallCount];

// Step 1 and step 12 of the sequence: one redirection call each.
void RedirectionFirst();
void RedirectionSecond();

// Sets the WOW64 answer and, when it is non-zero, the 64-bit flag to 1.
// IsWow64Process is only called when kernel32 exports it.
void DetectBitness(int32_t* wow64Answer, int32_t* is64);

// The install root for the flag: a literal, which FreeBlock ignores.
const char* InstallRootFor(int32_t is64);

}  // namespace qv::installer

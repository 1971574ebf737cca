#include "installer/platform_win.h"

#include <windows.h>

#include "installer/product.h"
#include "runtime/declared_win.h"

namespace qv::installer {

const DeclaredEntry kDeclaredCalls[kDeclaredCallCount] = {
    {"", "GetModuleHandleA"},
    {"", "GetProcAddress"},
    {"", "GetCurrentProcess"},
    {"", "IsWow64Process"},
    {"Kernel32.dll", "Wow64DisableWow64FsRedirection"},
    {"Kernel32.dll", "Wow64RevertWow64FsRedirection"},
};

namespace {

constexpr int32_t kRedirectionPosition = 18;
constexpr int32_t kLookupPosition = 765;
constexpr int32_t kQueryPosition = 884;

// Redirection is switched off and, when that worked, straight back on: left
// off, the 32-bit COM and shell libraries loaded later would be looked for in
// the 64-bit system folder. Where the call is refused (32-bit Windows) nothing
// changes. The previous state goes to a real variable, never to an address
// like 0 or 1 that only a caught access violation would survive.
void RedirectionCall(uint32_t routineId) {
    void* previous = nullptr;
    if (Declared<decltype(::Wow64DisableWow64FsRedirection)>::Call(routineId, kRedirectionPosition,
                                                                   kCallDisableRedirection, &previous))
        Declared<decltype(::Wow64RevertWow64FsRedirection)>::Call(routineId, kRedirectionPosition,
                                                                  kCallRevertRedirection, previous);
}

}  // namespace

void RedirectionFirst() { RedirectionCall(kRedirectionFirstId); }
void RedirectionSecond() { RedirectionCall(kRedirectionSecondId); }

void DetectBitness(int32_t* wow64Answer, int32_t* is64) {
    const uintptr_t kernel = Declared<decltype(::GetModuleHandleA)>::Call(
        kInstallerSequenceId, kLookupPosition, kCallGetModuleHandle, "kernel32");
    const uintptr_t found =
        Declared<decltype(::GetProcAddress)>::Call(kInstallerSequenceId, kLookupPosition, kCallGetProcAddress,
                                                   reinterpret_cast<HMODULE>(kernel), "IsWow64Process");
    if (found == 0) return;
    const uintptr_t process = Declared<decltype(::GetCurrentProcess)>::Call(
        kInstallerSequenceId, kQueryPosition, kCallGetCurrentProcess);
    const uint32_t ok =
        Declared<decltype(::IsWow64Process)>::Call(kInstallerSequenceId, kQueryPosition, kCallIsWow64Process,
                                                   reinterpret_cast<HANDLE>(process), wow64Answer);
    if (ok != 0 && *wow64Answer != 0) *is64 = 1;
}

const char* InstallRootFor(int32_t is64) { return is64 == 1 ? kRoot64 : kRoot32; }

}  // namespace qv::installer

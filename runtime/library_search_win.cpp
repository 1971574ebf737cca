#include "runtime/library_search_win.h"

#include <windows.h>

namespace qv {

bool RestrictLibrarySearch() noexcept {
    // Bound by name: both are missing on old systems. kernel32 is loaded in
    // every process, so this looks nothing up on disk.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return false;
    using SetDefaultDirs = BOOL(WINAPI*)(DWORD);
    using SetDllDirectory = BOOL(WINAPI*)(LPCSTR);
    auto setDefault = reinterpret_cast<SetDefaultDirs>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    auto setDirectory = reinterpret_cast<SetDllDirectory>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDirectory) setDirectory("");
    return false;
}

}  // namespace qv

// The installer sequence and its globals.
#pragma once

#include <cstdint>

namespace qv::installer {

struct InstallerGlobals {
    char* dateStamp = nullptr;
    int32_t is64 = 0;
    const char* installRoot = nullptr;  // a constant of the program, never freed
};
extern InstallerGlobals g_installer;

// The created event of the host window: the whole installation, steps 1 to
// 13; ends the process with exit code 0 and never returns.
bool RunInstallerSequence(int argc, const int32_t* args, int32_t* result);

// Frees the text globals (registered at start-up).
void InstallerCleanup();

}  // namespace qv::installer

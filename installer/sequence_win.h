// The installer sequence and its globals.
#pragma once

#include <cstdint>

namespace qv::installer {

struct InstallerGlobals {
    char* dateStamp = nullptr;
    double stampDate = 0.0;
    int32_t wow64Answer = 0;
    int32_t is64 = 0;
    char* installRoot = nullptr;
};
extern InstallerGlobals g_installer;

// The created event of the host window: the whole installation, steps 1 to
// 13; ends the process with exit code 0 and never returns.
bool RunInstallerSequence(int argc, const int32_t* args, int32_t* result);

// Frees the text globals (registered at start-up).
void InstallerCleanup();

// Each step, in sequence order (exposed for tests).
void MakeCompanyFolders();
void BuildDateStamp();
void ChooseRoot();
void RegisterValues();
void ExtractPayload();
void CreateShortcuts();
void LaunchProduct();

}  // namespace qv::installer

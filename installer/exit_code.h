// The installer's exit code: whether the machine-wide installation is
// complete, decided from what its two machine-wide steps report. The
// per-user parts (staging, shortcuts, launch) never change it.
#pragma once

#include <cstdint>

namespace qv::installer {

// Every value stored and every entry extracted. Deployment tools read any
// other code but 1641, 3010, 1707 and 1618 as a failure; these are none of
// them, nor the runtime fault's -1.
inline constexpr uint32_t kExitInstalled = 0;
inline constexpr uint32_t kExitRegistrationIncomplete = 2;  // a registry value was not stored
inline constexpr uint32_t kExitProductIncomplete = 4;       // the product tree was not extracted whole
// Both: 6, the two added.

// valuesStored: RegisterProduct's count; extraction: ExtractArchive's outcome
// (1: the walk ended after the last entry).
uint32_t InstallerExitCode(int valuesStored, int32_t extraction);

}  // namespace qv::installer

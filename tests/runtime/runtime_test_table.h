// The declared-call table of the runtime tests.
#pragma once

#include "runtime/runtime_win.h"

namespace qv::test {

enum TestEntry {
    kEntryProcessId,
    kEntryShellOnly,
    kEntryOrdinal12,
    kEntryPlantId,
    kEntryPlantTwice,
    kEntryByFullPath,
};

inline const DeclaredEntry kTestDeclared[] = {
    {"", "GetCurrentProcessId"},
    {"", "ShellExecuteA"},
    {"", "#12"},
    {"qvplant.dll", "PlantId"},
    {"qvplant.dll", "PlantTwice"},
    {"C:\\windows\\system32\\kernel32.dll", "GetTickCount"},
};
inline constexpr int kTestDeclaredCount = sizeof kTestDeclared / sizeof kTestDeclared[0];

}  // namespace qv::test

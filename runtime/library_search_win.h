// Where the process looks for libraries loaded by name.
#pragma once

namespace qv {

// Makes System32 the only default place a library loaded by name (and every
// library it pulls in) is looked for, so nothing planted beside the program
// is ever loaded. Call it first, before anything loads a library. Uses
// SetDefaultDllDirectories where the system has it, else takes the current
// folder out of the search with SetDllDirectoryA(""). Returns true when the
// search was restricted to System32.
bool RestrictLibrarySearch() noexcept;

}  // namespace qv

// Reading back what programs left in Wine's registry, shell links and
// processes.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace qv::test {

// The prefix kind the test runs in (QV_WINDOWS_BITS from the test runner).
bool PrefixIs64();

// Type and bytes of a value under HKEY_LOCAL_MACHINE read in the 32-bit
// process's default view; type 0xFFFF when missing.
std::pair<DWORD, std::string> ReadLocalMachine(const char* key, const char* name);
bool LocalMachineKeyExists(const char* key);

// Deletes a key tree.
void DeleteLocalMachineTree(const char* key);

struct LinkRead {
    bool loaded = false;
    std::string target, arguments, description, folder;
};
// Reads a shell link through IShellLinkA (COM initialised by the caller).
LinkRead ReadLink(const std::string& path);

// Ends every process whose image is named exeName; returns how many.
int KillProcesses(const char* exeName);

// Waits for the process whose image is named exeName (started already) to
// end; false when none is found or it outlives timeoutMs. *exitCode gets its
// code.
bool WaitForProcessEnd(const char* exeName, DWORD timeoutMs, DWORD* exitCode);

// Makes link (below an existing folder) a Unix symbolic link to the folder
// target, through /bin/ln: Wine has no way to make one from Windows, and it
// reports such a link as a reparse point, as Windows does a junction.
bool MakeUnixSymlink(const std::string& link, const std::string& target);
// Removes such a link (Wine cannot, from Windows).
void RemoveUnixSymlink(const std::string& link);

// Path of a special folder, with a final "\".
std::string SpecialFolder(int csidl);

}  // namespace qv::test

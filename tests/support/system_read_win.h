// Reading back what programs left in Wine's registry, shell links and
// processes.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace qv::test {

// The prefix kind the test runs in (QV_WINDOWS_BITS from the test runner).
bool PrefixIs64();

// The Wine release the test runs under (8 for "8.0"); 0 on Windows.
int WineMajor();

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

// Makes link (below an existing folder) a Unix symbolic link to target, an
// existing file or folder, through /bin/ln:
// Wine has no way to make one from Windows. Wine reports a link to a folder
// as a reparse point by name, as Windows does a junction, but opens what a
// link names even when asked to open the link itself.
bool MakeUnixSymlink(const std::string& link, const std::string& target);
// Removes such a link (Wine cannot, from Windows).
void RemoveUnixSymlink(const std::string& link);

// A link made by MakeUnixSymlink, removed when it goes.
class UnixSymlink {
public:
    UnixSymlink(std::string link, const std::string& target)
        : link_(std::move(link)), made_(MakeUnixSymlink(link_, target)) {}
    ~UnixSymlink() {
        if (made_) RemoveUnixSymlink(link_);
    }
    UnixSymlink(const UnixSymlink&) = delete;
    UnixSymlink& operator=(const UnixSymlink&) = delete;
    explicit operator bool() const { return made_; }

private:
    std::string link_;
    bool made_;
};

// Path of a special folder, with a final "\".
std::string SpecialFolder(int csidl);

}  // namespace qv::test

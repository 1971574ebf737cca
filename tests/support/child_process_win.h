// Runs a program as a person would watch it: message boxes are read and
// answered with OK, and the full exit code is taken from the process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qv::test {

struct MessageBoxSeen {
    std::string caption;
    std::string text;
};

struct ChildOutcome {
    bool started = false;
    bool timedOut = false;
    DWORD exitCode = 0;
    std::vector<MessageBoxSeen> boxes;
    int visibleWindows = 0;  // visible top-level windows other than message boxes
};

// Starts commandLine in folder cwd (null: inherit), answers every message box
// of the process with OK, waits for its end (killing it after timeoutMs).
ChildOutcome RunChild(const std::string& commandLine, const char* cwd = nullptr, DWORD timeoutMs = 120000);

// Folder of this test executable, without a trailing separator.
std::string ExeFolder();

// A fresh empty folder below the temporary folder.
std::string MakeTempFolder(const char* tag);

// Whole content of a file ("" when missing) and writing one.
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);

// Removes a folder tree (read-only files too).
void RemoveTree(const std::string& path);

}  // namespace qv::test

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

// A fresh folder below the temporary folder, removed when it goes, also when
// an assertion ends a test early.
class TempFolder {
public:
    explicit TempFolder(const char* tag);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    const char* c_str() const { return path_.c_str(); }
    operator const std::string&() const { return path_; }
    std::string operator+(const char* relative) const { return path_ + relative; }

private:
    std::string path_;
};

// Whole content of a file ("" when missing) and writing one.
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);

// Removes a folder tree (read-only files too).
void RemoveTree(const std::string& path);

}  // namespace qv::test

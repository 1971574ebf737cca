// What the end-to-end tests share: the programs under test, where the
// installation puts things, and running and forgetting an installation.
#pragma once

#include <windows.h>

#include <string>

#include "installer/product.h"
#include "tests/support/child_process_win.h"

namespace qv::test {

// From the command line: the installer, its payload archive and the sample
// product's folder, as Windows paths.
extern std::string g_installer, g_payload, g_productDir;

using installer::kProductKey;
using installer::kSettingsKey;
using installer::kUninstallKey;
inline constexpr char kHalvikKey[] = "SOFTWARE\\WOW6432Node\\Halvik";
inline constexpr const char* kUninstallLinkName = installer::kUninstallLink;

std::string Root();  // the install root of this prefix kind
std::string ProductFolder();
std::string AppData();
std::string MenuFolder();
std::string DesktopLink();
std::string LaunchLog();
std::string Staging();

// Records in the product's launch log, and waiting for n of them (the
// product starts after the installer has ended).
int LaunchCount();
bool WaitForLaunches(int n);

// Removes everything an installation made, the running product included.
void ForgetInstallation();

// Every file and folder below a and b, compared by content; *files counts
// the files.
void ExpectSameTree(const std::string& a, const std::string& b, int* files);

// A folder renamed aside for a test, and back when it goes.
class MovedAside {
public:
    explicit MovedAside(std::string path)
        : path_(std::move(path)),
          to_(path_ + ".aside"),
          moved_(MoveFileA(path_.c_str(), to_.c_str()) != FALSE) {}
    ~MovedAside() {
        if (moved_) MoveFileA(to_.c_str(), path_.c_str());
    }
    MovedAside(const MovedAside&) = delete;
    MovedAside& operator=(const MovedAside&) = delete;
    explicit operator bool() const { return moved_; }
    const std::string& to() const { return to_; }

private:
    std::string path_, to_;
    bool moved_;
};

ChildOutcome RunInstaller(const std::string& arguments = "", const char* cwd = nullptr);

}  // namespace qv::test

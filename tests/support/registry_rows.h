// The thirteen values an installation writes, as the tests expect them:
// key, value name and the text it holds for an install root and a date
// stamp (EstimatedSize: the DWORD 50941, no text). One table for every test.
#pragma once

#include <string>
#include <vector>

namespace qv::test {

struct ExpectedValue {
    std::string key;
    std::string name;
    bool dword;        // EstimatedSize
    std::string text;  // the REG_SZ text, without its NUL
};

inline std::vector<ExpectedValue> ExpectedRegistry(const std::string& root, const std::string& stamp) {
    const std::string product = "SOFTWARE\\WOW6432Node\\Zentrel2.0";
    const std::string settings = "SOFTWARE\\WOW6432Node\\Halvik\\Zentrel";
    const std::string uninstall =
        "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zentrel2.0";
    return {
        {product, "InstPath", false, root},
        {settings, "Counter", false, stamp},
        {settings, "installpro", false, "100%"},
        {settings, "Scancode", false, stamp},
        {uninstall, "DisplayIcon", false, root + "Zentrel\\Zentrel.exe"},
        {uninstall, "DisplayName", false, "Quorvane"},
        {uninstall, "DisplayVersion", false, "2.18.0.10"},
        {uninstall, "EstimatedSize", true, ""},
        {uninstall, "InstallLocation", false, root + "Zentrel"},
        {uninstall, "Publisher", false, "quorvane.com"},
        {uninstall, "UninstallString", false, root + "Zentrel\\Uninstall.exe"},
        {uninstall, "URLInfoAbout", false, "https://www.quorvane.com/"},
        {uninstall, "URLUpdateInfo", false, "https://www.quorvane.com/"},
    };
}

}  // namespace qv::test

// qvpack pack FOLDER OUT.zip [--mtime SECONDS]
//   Packs the contents of FOLDER into a payload archive and checks it.
// qvpack check ARCHIVE
//   Checks that the installer can extract ARCHIVE completely.
// qvpack list ARCHIVE
//   Prints one line per entry: version made by, version needed, method,
//   external attributes, flags, compressed size, size, name.
// qvpack facts
//   Prints the product's fixed names as shell assignments (for scripts).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/pack/zip_check.h"
#include "tools/pack/zip_writer.h"

namespace {

bool ReadFile(const char* path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    *bytes = content.str();
    return static_cast<bool>(in);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: qvpack pack FOLDER OUT.zip [--mtime SECONDS]\n       qvpack check ARCHIVE\n"
                 "       qvpack list ARCHIVE\n       qvpack facts\n");
    return 64;
}

// The ASCII facts of installer/product.h, one NAME='VALUE' line each.
int Facts() {
    using namespace qv::installer;
    const struct {
        const char* name;
        const char* value;
    } facts[] = {
        {"short_name", QV_SHORT_NAME},          {"display_name", kDisplayName},
        {"company_folder", kCompanyFolder},     {"menu_folder", kMenuFolder},
        {"product_folder", kProductFolder},     {"program", kProgram},
        {"uninstaller", kUninstaller},          {"product_key", kProductKey},
        {"settings_key", kSettingsKey},         {"uninstall_key", kUninstallKey},
        {"publisher_domain", kPublisherDomain}, {"publisher_address", kPublisherAddress},
    };
    for (const auto& f : facts) std::printf("%s='%s'\n", f.name, f.value);
    return 0;
}

int Check(const char* path) {
    std::string bytes;
    if (!ReadFile(path, &bytes)) {
        std::fprintf(stderr, "qvpack: cannot read %s\n", path);
        return 1;
    }
    const std::string problem = qv::pack::CheckArchive(bytes);
    if (!problem.empty()) {
        std::fprintf(stderr, "qvpack: %s: %s\n", path, problem.c_str());
        return 1;
    }
    return 0;
}

uint32_t Get(const std::string& s, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
    return v;
}

int List(const char* path) {
    std::string s;
    if (Check(path) != 0 || !ReadFile(path, &s)) return 1;
    size_t eocd = s.size() - 22;
    while (Get(s, eocd, 4) != 0x06054b50) --eocd;
    size_t at = Get(s, eocd + 16, 4);
    for (uint32_t i = 0, n = Get(s, eocd + 10, 2); i < n; ++i) {
        const uint32_t nameLength = Get(s, at + 28, 2);
        std::printf("%u %u %u %u %u %u %u %s\n", Get(s, at + 4, 2), Get(s, at + 6, 2), Get(s, at + 10, 2),
                    Get(s, at + 38, 4), Get(s, at + 8, 2), Get(s, at + 20, 4), Get(s, at + 24, 4),
                    s.substr(at + 46, nameLength).c_str());
        at += 46 + nameLength + Get(s, at + 30, 2) + Get(s, at + 32, 2);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && !std::strcmp(argv[1], "check")) return Check(argv[2]);
    if (argc >= 3 && !std::strcmp(argv[1], "list")) return List(argv[2]);
    if (argc == 2 && !std::strcmp(argv[1], "facts")) return Facts();
    if (argc < 4 || std::strcmp(argv[1], "pack") != 0) return Usage();
    int64_t mtime = -1;
    if (argc >= 6 && !std::strcmp(argv[4], "--mtime")) mtime = std::strtoll(argv[5], nullptr, 10);
    std::vector<qv::pack::PackEntry> entries;
    std::string error;
    if (!qv::pack::CollectTree(argv[2], mtime, &entries, &error)) {
        std::fprintf(stderr, "qvpack: %s\n", error.c_str());
        return 1;
    }
    const std::string unfit = qv::pack::CheckPackable(entries);
    if (!unfit.empty()) {
        std::fprintf(stderr, "qvpack: %s: %s\n", argv[2], unfit.c_str());
        return 1;
    }
    const std::string archive = qv::pack::WriteArchive(entries);
    const std::string problem = qv::pack::CheckArchive(archive);
    if (!problem.empty()) {
        std::fprintf(stderr, "qvpack: %s\n", problem.c_str());
        return 1;
    }
    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out.write(archive.data(), static_cast<std::streamsize>(archive.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "qvpack: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}

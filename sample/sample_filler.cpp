// sample_filler DIR: writes the sample product's data files below DIR/Zentrel
// (everything but the two programs), deterministically. Random files stand
// for data that does not compress (images, a 7z archive); the others mix
// text with random blocks in the proportion of typical program files.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

enum class Kind { Text, Mixed, Random };

struct FillerFile {
    const char* path;
    uint32_t size;
    Kind kind;
};

const FillerFile kFiles[] = {
    {"Zentrel.ini", 46, Kind::Text},
    {"QvCore.dll", 1597440, Kind::Mixed},
    {"QvNet.dll", 905216, Kind::Mixed},
    {"QvRender.dll", 1212416, Kind::Mixed},
    {"QvStore.dll", 614400, Kind::Mixed},
    {"Res/backdrop.png", 2883584, Kind::Random},
    {"Res/banner.jpg", 2883584, Kind::Random},
    {"Res/cache.idx", 92160, Kind::Mixed},
    {"Res/catalog.dat", 358400, Kind::Mixed},
    {"Res/codec.dll", 1331200, Kind::Mixed},
    {"Res/data.7z", 10501120, Kind::Random},
    {"Res/fonts.dat", 921600, Kind::Mixed},
    {"Res/help.chm", 1126400, Kind::Mixed},
    {"Res/helper.exe", 716800, Kind::Mixed},
    {"Res/icons.png", 1835008, Kind::Random},
    {"Res/index.dat", 819200, Kind::Mixed},
    {"Res/layout.xml", 24576, Kind::Text},
    {"Res/license.txt", 20480, Kind::Text},
    {"Res/manifest.xml", 5120, Kind::Text},
    {"Res/media.bin", 2097152, Kind::Random},
    {"Res/plugins.dat", 204800, Kind::Mixed},
    {"Res/profile.dat", 61440, Kind::Mixed},
    {"Res/qvcrash.exe", 307200, Kind::Mixed},
    {"Res/readme.txt", 8192, Kind::Text},
    {"Res/render.dll", 1536000, Kind::Mixed},
    {"Res/settings.cfg", 3072, Kind::Text},
    {"Res/sounds.dat", 614400, Kind::Mixed},
    {"Res/splash.png", 3670016, Kind::Random},
    {"Res/strings.dat", 409600, Kind::Mixed},
    {"Res/theme.dat", 153600, Kind::Mixed},
    {"Res/tools.dll", 460800, Kind::Mixed},
    {"Res/updater.dll", 512000, Kind::Mixed},
    {"Res/CmdHelp/en_us.txt", 12288, Kind::Text},
    {"Res/CmdHelp/zh_cn.txt", 11264, Kind::Text},
    {"Res/CmdHelp/zh_hk.txt", 11264, Kind::Text},
    {"Res/CmdHelp/zh_tw.txt", 11264, Kind::Text},
    {"Res/Languages/en_us.lng", 61440, Kind::Text},
    {"Res/Languages/zh_cn.lng", 57344, Kind::Text},
    {"Res/Languages/zh_hk.lng", 57344, Kind::Text},
    {"Res/Languages/zh_tw.lng", 57344, Kind::Text},
    {"Res/Update/Fetcher.exe", 409600, Kind::Mixed},
    {"UninsFile/UninsHelper.dll", 256000, Kind::Mixed},
};
const char* const kFolders[] = {"Zentrel",
                                "Zentrel/Res",
                                "Zentrel/Res/CmdHelp",
                                "Zentrel/Res/Languages",
                                "Zentrel/Res/Update",
                                "Zentrel/UninsFile",
                                "Zentrel/Win10x64"};
const char* const kWords[] = {"quorvane", "zentrel",   "render",  "value", "index", "buffer",
                              "layer",    "frame",     "=",       "0x1F",  "true",  "false",
                              "\r\n",     "[section]", "moranzo", "halvik"};

struct Random {
    uint64_t x;
    uint32_t Next() {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        return static_cast<uint32_t>(x >> 16);
    }
};

std::string Generate(const FillerFile& f, uint32_t seed) {
    Random r{0x9E3779B97F4A7C15ull ^ (static_cast<uint64_t>(seed) << 20)};
    std::string out;
    out.reserve(f.size + 64);
    while (out.size() < f.size) {
        const bool random = f.kind == Kind::Random || (f.kind == Kind::Mixed && r.Next() % 100 < 24);
        if (random) {
            for (int i = 0; i < 64; ++i) out += static_cast<char>(r.Next());
        } else {
            const size_t end = out.size() + 64;
            while (out.size() < end) {
                out += kWords[r.Next() % 16];
                out += ' ';
            }
        }
    }
    out.resize(f.size);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sample_filler DIR\n");
        return 64;
    }
    const std::string root = argv[1];
    mkdir(root.c_str(), 0755);
    for (const char* folder : kFolders) mkdir((root + "/" + folder).c_str(), 0755);
    uint32_t seed = 1;
    for (const FillerFile& f : kFiles) {
        const std::string bytes = Generate(f, seed++);
        const std::string path = root + "/Zentrel/" + f.path;
        FILE* out = std::fopen(path.c_str(), "wb");
        if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
            std::fclose(out) != 0) {
            std::fprintf(stderr, "sample_filler: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

#include "installer/step_times_win.h"

#include <windows.h>

#include <cstdio>

#include "runtime/runtime_win.h"

namespace qv::installer {
namespace {

struct Stamp {
    const char* name;
    FILETIME at;
};
Stamp g_stamps[16];
int g_count = 0;

}  // namespace

void StampStep(const char* name) {
    if (g_count == CountOf(g_stamps)) return;
    g_stamps[g_count].name = name;
    GetSystemTimePreciseAsFileTime(&g_stamps[g_count].at);
    ++g_count;
}

void WriteStepTimes() {
    char path[MAX_PATH * 2];
    std::snprintf(path, sizeof path, "%s\\steps.txt", ProgramFolder());
    FILE* out = std::fopen(path, "w");
    if (!out) return;
    for (int i = 0; i < g_count; ++i) {
        const unsigned long long t = (static_cast<unsigned long long>(g_stamps[i].at.dwHighDateTime) << 32) |
                                     g_stamps[i].at.dwLowDateTime;
        // 100 ns units since 1601 to seconds since 1970.
        std::fprintf(out, "%s %.6f\n", g_stamps[i].name, (t - 116444736000000000ull) / 1e7);
    }
    std::fclose(out);
}

}  // namespace qv::installer

// memwatch COMMAND...: runs a program and prints its peak working set and
// peak private bytes (GetProcessMemoryInfo, read while it runs and once more
// as it ends), then its exit code.
#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: memwatch COMMAND...\n");
        return 64;
    }
    std::string command;
    for (int i = 1; i < argc; ++i) command += std::string(i > 1 ? " \"" : "\"") + argv[i] + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "memwatch: cannot start %s\n", argv[1]);
        return 1;
    }
    SIZE_T peakWorking = 0, peakPrivate = 0;
    for (;;) {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters)) {
            if (counters.PeakWorkingSetSize > peakWorking) peakWorking = counters.PeakWorkingSetSize;
            if (counters.PeakPagefileUsage > peakPrivate) peakPrivate = counters.PeakPagefileUsage;
        }
        if (WaitForSingleObject(pi.hProcess, 2) == WAIT_OBJECT_0) break;
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    std::printf("peak working set %lu bytes\npeak private bytes %lu bytes\nexit code %lu\n",
                static_cast<unsigned long>(peakWorking), static_cast<unsigned long>(peakPrivate),
                static_cast<unsigned long>(code));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

// Appends the command line it was started with to the file named by the
// environment variable QV_PROBE_LOG. Probes started together take turns: the
// open is retried while another probe holds the log.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char log[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("QV_PROBE_LOG", log, MAX_PATH)) return 1;
    HANDLE h;
    for (int tries = 1;; ++tries, Sleep(10)) {
        h = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION || tries == 500) break;
    }
    if (h == INVALID_HANDLE_VALUE) return 2;
    const char* line = GetCommandLineA();
    DWORD put = 0;
    WriteFile(h, line, lstrlenA(line), &put, nullptr);
    WriteFile(h, "\n", 1, &put, nullptr);
    CloseHandle(h);
    return 0;
}

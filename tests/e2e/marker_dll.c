/* A library that records where it was loaded from: planted beside a program
   under the names of system libraries, any line in C:\qvmarker.log means the
   program loaded a planted file. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH];
        const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
        HANDLE log = CreateFileA("C:\\qvmarker.log", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (log != INVALID_HANDLE_VALUE) {
            DWORD written;
            WriteFile(log, path, n, &written, NULL);
            WriteFile(log, "\r\n", 2, &written, NULL);
            CloseHandle(log);
        }
    }
    return TRUE;
}

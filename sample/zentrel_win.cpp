// The sample product's main program. Every start appends one line to
// %APPDATA%\Moranzo\launch.log (its path, command line, current folder and
// the elevation type of its token, separated by tabs), then shows its window
// "Quorvane" until closed.
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "runtime/handles_win.h"
#include "runtime/library_search_win.h"

namespace {

// TOKEN_ELEVATION_TYPE of the process: 1 default, 2 full, 3 limited; 0 unknown.
int ElevationType() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return 0;
    TOKEN_ELEVATION_TYPE type{};
    DWORD n = 0;
    const BOOL read = GetTokenInformation(token, TokenElevationType, &type, sizeof type, &n);
    CloseHandle(token);
    return read ? static_cast<int>(type) : 0;
}

void AppendLaunchRecord() {
    char appData[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, FALSE)) return;
    const std::string folder = std::string(appData) + "\\Moranzo";
    CreateDirectoryA(folder.c_str(), nullptr);
    char self[MAX_PATH] = {}, cwd[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    GetCurrentDirectoryA(MAX_PATH, cwd);
    const std::string line = std::string(self) + "\t" + GetCommandLineA() + "\t" + cwd + "\t" +
                             std::to_string(ElevationType()) + "\r\n";
    // The installer starts it as the user: its own folder, as the user sees it.
    const qv::UniqueHandleFile log(CreateFileA((folder + "\\launch.log").c_str(), FILE_APPEND_DATA,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) return;
    DWORD written = 0;
    WriteFile(log.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        DrawTextA(dc, "Quorvane", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    qv::RestrictLibrarySearch();
    AppendLaunchRecord();
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "ZentrelMain";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "Quorvane", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 480, 320, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

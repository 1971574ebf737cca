// The sample product's main program. Every start appends one line to
// %APPDATA%\Moranzo\launch.log (its path, command line and current folder,
// separated by tabs), then shows its window "Quorvane" until closed.
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "runtime/handles_win.h"
#include "runtime/library_search_win.h"
#include "runtime/pinned_file_win.h"

namespace {

void AppendLaunchRecord() {
    char appData[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, FALSE)) return;
    const std::string folder = std::string(appData) + "\\Moranzo";
    CreateDirectoryA(folder.c_str(), nullptr);
    char self[MAX_PATH] = {}, cwd[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    GetCurrentDirectoryA(MAX_PATH, cwd);
    const std::string line = std::string(self) + "\t" + GetCommandLineA() + "\t" + cwd + "\r\n";
    // Started by an elevated installer, this runs elevated too: the user's
    // folder is written only where it is no link.
    const qv::PinnedFile log = qv::OpenForAppend((folder + "\\launch.log").c_str());
    if (!log) return;
    DWORD written = 0;
    WriteFile(log.file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
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

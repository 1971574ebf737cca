// A program on the runtime whose behaviour is chosen by its first argument;
// it logs what it sees to the file named by its second argument.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/declared_win.h"
#include "runtime/memory.h"
#include "runtime/runtime_win.h"

namespace {

std::string g_mode;
std::string g_log;

void Log(const std::string& line) {
    FILE* f = std::fopen(g_log.c_str(), "ab");
    if (!f) return;
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
}

void CleanupA() { Log("cleanup A"); }
void CleanupB() { Log("cleanup B"); }

BOOL CALLBACK CountVisible(HWND hwnd, LPARAM param) {
    if (IsWindowVisible(hwnd)) ++*reinterpret_cast<int*>(param);
    return TRUE;
}

bool Created(int, const int32_t*, int32_t*) {
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    Log(std::string("cwd ") + cwd);
    int visible = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountVisible, reinterpret_cast<LPARAM>(&visible));
    Log("visible " + std::to_string(visible));

    if (g_mode == "return") {
        PostQuitMessage(0);
        return false;
    }
    if (g_mode == "end") qv::EndProcess(0);
    if (g_mode == "stack") qv::CallDeclared(0x04010003, 765, 0, {1});
    if (g_mode == "alloc") qv::AllocBlock(0x7FFFFFF0);
    if (g_mode == "component") qv::RuntimeNotify(qv::kLookupComponent, 0x52010001, 0x16010099);
    if (g_mode == "window") qv::LoadStartWindow(0x52010077);
    if (g_mode == "unbound") qv::CallDeclared(0x04010003, 1, 1, {});
    if (g_mode == "unbound-lib") qv::CallDeclared(0x04010003, 1, 2, {});
    if (g_mode == "plant") Log("plant " + std::to_string(qv::CallDeclared(0x04010003, 1, 3, {})));
    if (g_mode == "code") qv::ReportRuntimeError(3, 0, 0);
    qv::EndProcess(0);
}

const qv::EventBinding kEvents[] = {{0, 0, Created}};
const qv::WindowDescription kWindows[] = {
    {0x52010001, "启动窗口", "探测", 0, 0, 200, 100, false, nullptr, 0, kEvents, qv::CountOf(kEvents)},
};
const qv::DeclaredEntry kDeclared[] = {
    {"", "GetCurrentProcess"},
    {"", "QvNoSuchFunction"},
    {"Kernel32.dll", "QvNoSuchFunction"},
    {"qvplant.dll", "PlantId"},
};

}  // namespace

static const qv::ProgramDescription kThisProgram = {kWindows,  qv::CountOf(kWindows), nullptr, 0,
                                                    kDeclared, qv::CountOf(kDeclared)};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    g_mode = __argc > 1 ? __argv[1] : "";
    g_log = __argc > 2 ? __argv[2] : "probe.log";
    qv::StartRuntime(kThisProgram);
    qv::RegisterCleanup(CleanupA);
    qv::RegisterCleanup(CleanupB);
    qv::RegisterCleanup(CleanupA);
    qv::LoadStartWindow(0x52010001);
    qv::RunMessageLoop();
    Log("loop ended");
    qv::EndProcess(0);
}

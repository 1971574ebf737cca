// unpack ARCHIVE TARGET [--cancel-at N] [--component HEXID]
//
// Runs ExtractArchive through the archive component on a hidden host window
// and prints every percentage raised and the outcome. Exit code 0 for
// outcome 1, 1 for outcome 0, 2 for -1. --cancel-at N answers false to the
// Nth progress event; --component names another component identifier.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "installer/product.h"
#include "payload/zip_component_win.h"
#include "runtime/library_search_win.h"
#include "runtime/runtime_win.h"

namespace {

// The installer's own host window and component.
constexpr uint32_t kWindowId = qv::installer::kHostWindowId;
constexpr uint32_t kComponentId = qv::installer::kArchiveComponentId;

std::string g_archive, g_target;
int g_cancelAt = 0;
int g_events = 0;
uint32_t g_component = kComponentId;
// Progress lines are printed after the timed call: unbuffered console
// output costs a write per character.
std::string g_progress;

bool OnProgress(int argc, const int32_t* args, int32_t* result) {
    ++g_events;
    g_progress += "progress " + std::to_string(argc > 0 ? args[0] : -1) + "\n";
    if (g_cancelAt == g_events) {
        *result = 0;
        return true;
    }
    return false;
}

bool OnCreated(int, const int32_t*, int32_t*) {
    const qv::TypedValue args[3] = {qv::payload::MakeComponentRef(kWindowId, g_component),
                                    qv::MakeText(g_archive.c_str()), qv::MakeText(g_target.c_str())};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    qv::TypedValue result{};
    qv::payload::ExtractArchive(&result, 3, args);
    QueryPerformanceCounter(&end);
    std::fputs(g_progress.c_str(), stdout);
    std::printf("outcome %d\nseconds %.6f\n", result.i32,
                static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    std::fflush(stdout);
    qv::EndProcess(result.i32 == 1 ? 0 : result.i32 == 0 ? 1 : 2);
}

const qv::ComponentDescription kComponents[] = {
    {kComponentId, "ZIP压缩1", &qv::payload::kZipComponentType, 8, 8, 24, 24, WS_VISIBLE},
};
const qv::EventBinding kEvents[] = {{0, 0, OnCreated}, {kComponentId, 1, OnProgress}};
const qv::WindowDescription kWindows[] = {
    {kWindowId, "启动窗口", "unpack", 0, 0, 320, 200, false, kComponents, qv::CountOf(kComponents), kEvents,
     qv::CountOf(kEvents)},
};
const qv::SupportLibrary* const kLibraries[] = {&qv::payload::kCompressionLibrary};

}  // namespace

static const qv::ProgramDescription kThisProgram = {
    kWindows, qv::CountOf(kWindows), kLibraries, qv::CountOf(kLibraries), nullptr, 0};

int main(int argc, char** argv) {
    qv::RestrictLibrarySearch();
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 3) {
        std::fprintf(stderr, "usage: unpack ARCHIVE TARGET [--cancel-at N] [--component HEXID]\n");
        return 64;
    }
    g_archive = argv[1];
    g_target = argv[2];
    for (int i = 3; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--cancel-at")) g_cancelAt = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--component")) g_component = std::strtoul(argv[i + 1], nullptr, 16);
    }
    // The archive and target are taken as given, relative to where we started.
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    // An empty text stays empty, so the extraction's own answer to it shows.
    auto absolute = [&](std::string& p) {
        if (!p.empty() && !(p.size() > 1 && (p[1] == ':' || p[0] == '\\'))) p = std::string(cwd) + "\\" + p;
    };
    absolute(g_archive);
    absolute(g_target);
    qv::StartRuntime(kThisProgram);
    qv::LoadStartWindow(kWindowId);
    qv::RunMessageLoop();
    qv::EndProcess(0);
}

// The installer program: its fixed description and its entry.
#include <windows.h>

#include "installer/platform_win.h"
#include "installer/product.h"
#include "installer/sequence_win.h"
#include "installer/step_times_win.h"
#include "payload/zip_component_win.h"
#include "runtime/runtime_win.h"
#include "shell/shell_win.h"

namespace {

using namespace qv::installer;

const qv::ComponentDescription kComponents[] = {
    {kArchiveComponentId, "ZIP压缩1", &qv::payload::kZipComponentType, 8, 8, 24, 24, WS_VISIBLE},
};
const qv::EventBinding kEvents[] = {{0, 0, RunInstallerSequence}};
const qv::WindowDescription kWindows[] = {
    {kHostWindowId, "启动窗口", "一键安装Quorvane", CW_USEDEFAULT, CW_USEDEFAULT, 400, 260, false,
     kComponents, qv::CountOf(kComponents), kEvents, qv::CountOf(kEvents)},
};
const qv::SupportLibrary* const kLibraries[] = {&qv::shell::kShellLibrary, &qv::payload::kCompressionLibrary};

}  // namespace

static const qv::ProgramDescription kThisProgram = {kWindows,       qv::CountOf(kWindows),
                                                    kLibraries,     qv::CountOf(kLibraries),
                                                    kDeclaredCalls, qv::CountOf(kDeclaredCalls)};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    StampStep("entry");
    qv::StartRuntime(kThisProgram);
    StampStep("runtime");
    // Every global starts as zero, a null text or a zero date-time.
    qv::RegisterCleanup(InstallerCleanup);
    qv::LoadStartWindow(kHostWindowId);
    qv::RunMessageLoop();
    qv::EndProcess(0);
}

#include "installer/sequence_win.h"

#include <windows.h>

#include "installer/platform_win.h"
#include "installer/product.h"
#include "installer/registration.h"
#include "installer/shortcuts.h"
#include "installer/step_times_win.h"
#include "payload/staging_win.h"
#include "payload/zip_component_win.h"
#include "runtime/files_win.h"
#include "runtime/memory.h"
#include "runtime/runtime_win.h"
#include "runtime/values.h"
#include "shell/shell_win.h"

namespace qv::installer {

InstallerGlobals g_installer;

namespace {

char* PathIn(int32_t kind, const char* relative) {
    return PathBelowFolder(shell::GetSpecialFolder, kind, relative);
}

char* IntegerText(int32_t n) {
    const TypedValue arg = MakeInt(n);
    TypedValue text{};
    ToText(&text, 1, &arg);
    return const_cast<char*>(text.text);
}

// The local date of the run: Counter and Scancode record the installation day.
double LocalStampDate() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return DateTimeFromCivil(now.wYear, now.wMonth, now.wDay);
}

}  // namespace

void InstallerCleanup() {
    FreeBlock(g_installer.dateStamp);
    g_installer.dateStamp = nullptr;
    FreeBlock(g_installer.installRoot);
    g_installer.installRoot = nullptr;
}

void MakeCompanyFolders() {
    for (const char* relative : {kCompanyFolder, kMenuFolder}) {
        UniqueBlock<char> path(PathIn(kFolderAppData, relative));
        const TypedValue arg = MakeText(path.get());
        TypedValue ignored{};
        MakeDirectory(&ignored, 1, &arg);
    }
}

void BuildDateStamp() {
    g_installer.stampDate = LocalStampDate();
    TypedValue date{};
    date.f64 = g_installer.stampDate;
    date.tag = kTagDateTime;
    TypedValue year{}, month{}, day{};
    GetYear(&year, 1, &date);
    GetMonth(&month, 1, &date);
    GetDay(&day, 1, &date);
    const UniqueBlock<char> parts[3] = {UniqueBlock<char>(IntegerText(year.i32)),
                                        UniqueBlock<char>(IntegerText(month.i32)),
                                        UniqueBlock<char>(IntegerText(day.i32))};
    char* stamp = ConcatTexts({parts[0].get(), parts[1].get(), parts[2].get()});
    FreeBlock(g_installer.dateStamp);
    g_installer.dateStamp = stamp;
}

void ChooseRoot() {
    DetectBitness(&g_installer.wow64Answer, &g_installer.is64);
    FreeBlock(g_installer.installRoot);
    g_installer.installRoot = const_cast<char*>(InstallRootFor(g_installer.is64));
}

void RegisterValues() { RegisterProduct(g_installer.installRoot, g_installer.dateStamp, WriteRegistryValue); }

void ExtractPayload() {
    UniqueBlock<char> archive(PathIn(kFolderAppData, kStagingArchive));
    const TypedValue args[3] = {payload::MakeComponentRef(kHostWindowId, kArchiveComponentId),
                                MakeText(archive.get()),
                                MakeText(g_installer.installRoot ? g_installer.installRoot : "")};
    TypedValue ignored{};
    payload::ExtractArchive(&ignored, 3, args);
}

void CreateShortcuts() {
    CreateProductShortcuts(g_installer.installRoot, shell::GetSpecialFolder, shell::CreateShortcut);
}

void LaunchProduct() {
    UniqueBlock<char> file(PathIn(kFolderDesktop, kLaunchLink));
    const TypedValue args[5] = {MakeInt(4), MakeText(file.get()), MakeAbsent(), MakeAbsent(), MakeAbsent()};
    TypedValue ignored{};
    shell::ExecuteShellVerb(&ignored, 5, args);
}

bool RunInstallerSequence(int, const int32_t*, int32_t*) {
    StampStep("window");
    RedirectionFirst();
    MakeCompanyFolders();
    BuildDateStamp();
    ChooseRoot();
    StampStep("folders");
    RegisterValues();
    StampStep("registry");
    payload::StagePayload();
    StampStep("staging");
    ExtractPayload();
    StampStep("extraction");
    CreateShortcuts();
    StampStep("shortcuts");
    LaunchProduct();
    RedirectionSecond();
    StampStep("launch");
    WriteStepTimes();
    EndProcess(0);
}

}  // namespace qv::installer

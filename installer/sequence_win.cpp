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
#include "runtime/pinned_file_win.h"
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

void MakeCompanyFolders() {
    for (const char* relative : {kCompanyFolder, kMenuFolder}) {
        UniqueBlock<char> path(PathIn(kFolderAppData, relative));
        const TypedValue arg = MakeText(path.get());
        TypedValue ignored{};
        MakeDirectory(&ignored, 1, &arg);
    }
}

void BuildDateStamp() {
    TypedValue date{};
    date.f64 = LocalStampDate();
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
    int32_t wow64Answer = 0;
    DetectBitness(&wow64Answer, &g_installer.is64);
    g_installer.installRoot = InstallRootFor(g_installer.is64);
}

void RegisterValues() { RegisterProduct(g_installer.installRoot, g_installer.dateStamp, WriteRegistryValue); }

void ExtractPayload(const char* archive) {
    const TypedValue args[3] = {payload::MakeComponentRef(kHostWindowId, kArchiveComponentId),
                                MakeText(archive),
                                MakeText(g_installer.installRoot ? g_installer.installRoot : "")};
    TypedValue ignored{};
    payload::ExtractArchive(&ignored, 3, args);
}

[[nodiscard]] bool IsFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The desktop link is opened only when this run saved it, the installed
// program is there (a link to a missing target may be resolved to another
// file), and the link, held against change, still starts that program with
// its arguments. Anything else starts nothing.
void LaunchProduct(bool linkSaved) {
    if (!linkSaved) return;
    const ShortcutRow& row = kShortcuts[kLaunchRow];
    UniqueBlock<char> program(ConcatTexts({g_installer.installRoot, row.target}));
    if (!IsFile(program.get())) return;
    UniqueBlock<char> file(PathIn(kFolderDesktop, kLaunchLink));
    const PinnedFile link = OpenForReading(file.get());
    if (!link || !shell::ShortcutNames(link.file.get(), program.get(), row.arguments)) return;
    const TypedValue args[5] = {MakeInt(4), MakeText(file.get()), MakeAbsent(), MakeAbsent(), MakeAbsent()};
    TypedValue ignored{};
    shell::ExecuteShellVerb(&ignored, 5, args);
}

}  // namespace

void InstallerCleanup() {
    FreeBlock(g_installer.dateStamp);
    g_installer.dateStamp = nullptr;
    g_installer.installRoot = nullptr;
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
    {
        UniqueBlock<char> archive(PathIn(kFolderAppData, kStagingArchive));
        // Held unchanged until the extraction has closed it; not extracted at
        // all unless it holds exactly the payload.
        const PinnedFile staged = payload::StagePayload(archive.get());
        StampStep("staging");
        if (staged) ExtractPayload(archive.get());
        StampStep("extraction");
    }
    const uint32_t saved =
        CreateProductShortcuts(g_installer.installRoot, shell::GetSpecialFolder, shell::CreateShortcut);
    StampStep("shortcuts");
    LaunchProduct(saved & (1u << kLaunchRow));
    RedirectionSecond();
    StampStep("launch");
    WriteStepTimes();
    EndProcess(0);
}

}  // namespace qv::installer

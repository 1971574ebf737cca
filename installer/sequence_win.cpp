#include "installer/sequence_win.h"

#include <windows.h>

#include "installer/exit_code.h"
#include "installer/platform_win.h"
#include "installer/product.h"
#include "installer/registration.h"
#include "installer/shortcuts.h"
#include "installer/step_times_win.h"
#include "payload/file_system_win.h"
#include "payload/staging_win.h"
#include "payload/zip_component_win.h"
#include "runtime/files_win.h"
#include "runtime/memory.h"
#include "runtime/pinned_file_win.h"
#include "runtime/runtime_win.h"
#include "runtime/user_token_win.h"
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

int RegisterValues() {
    return RegisterProduct(g_installer.installRoot, g_installer.dateStamp, WriteRegistryValue);
}

// The archive is read from the image, the very bytes staging wrote: the
// staged file is the user's to change and is never read back. The folders
// made on the way to the product folder are protected.
int32_t ExtractPayload(const char* archive) {
    const UniqueBlock<char> product(ConcatTexts({g_installer.installRoot, kProductFolder}));
    const payload::PayloadSource source{archive, ByteSetData(qv_payload_archive),
                                        ByteSetLength(qv_payload_archive), product.get()};
    const payload::FileSystem fs = payload::PayloadFileSystem(&source);
    const TypedValue args[3] = {payload::MakeComponentRef(kHostWindowId, kArchiveComponentId),
                                MakeText(archive),
                                MakeText(g_installer.installRoot ? g_installer.installRoot : "")};
    TypedValue outcome{};
    payload::ExtractArchiveFrom(fs, &outcome, 3, args);
    return outcome.i32;
}

[[nodiscard]] bool IsFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The desktop link is opened only when this run saved it, the installed
// program is there (a link to a missing target may be resolved to another
// file), and the link, held against change, holds exactly the bytes saved.
// The product then runs as the user, never with this process's elevation;
// where there is no user, or no road to run as the user, nothing starts.
void LaunchProduct(bool linkSaved) {
    if (!linkSaved) return;
    const ShortcutCall call =
        ShortcutCallFor(kShortcuts[kLaunchRow], g_installer.installRoot, shell::GetSpecialFolder);
    if (!IsFile(call.target.get())) return;
    UniqueBlock<char> file(PathIn(kFolderDesktop, kLaunchLink));
    const PinnedFile link = OpenForReading(file.get());
    if (!link || !shell::ShortcutIs(link.file.get(), 5, call.args)) return;
    switch (ChooseLaunchRoad(ProcessTokenFacts())) {
        case LaunchRoad::OpenLink: {
            const TypedValue args[5] = {MakeInt(4), MakeText(file.get()), MakeAbsent(), MakeAbsent(),
                                        MakeAbsent()};
            TypedValue ignored{};
            shell::ExecuteShellVerb(&ignored, 5, args);
            break;
        }
        case LaunchRoad::AsLinkedUser:
            (void)StartAsLinkedUser(call.target.get(), kShortcuts[kLaunchRow].arguments);
            break;
        case LaunchRoad::ThroughShell:
            (void)shell::OpenThroughUsersShell(file.get());
            break;
        case LaunchRoad::None:
            break;
    }
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
    const int valuesStored = RegisterValues();
    StampStep("registry");
    int32_t extraction = 0;
    {
        UniqueBlock<char> archive(PathIn(kFolderAppData, kStagingArchive));
        (void)payload::StagePayload(archive.get());
        StampStep("staging");
        extraction = ExtractPayload(archive.get());
        StampStep("extraction");
    }
    const uint32_t saved =
        CreateProductShortcuts(g_installer.installRoot, shell::GetSpecialFolder, shell::CreateShortcut);
    StampStep("shortcuts");
    LaunchProduct(saved & (1u << kLaunchRow));
    RedirectionSecond();
    StampStep("launch");
    WriteStepTimes();
    // Whether the machine-wide installation is complete; the per-user parts
    // (staging, shortcuts, launch) do not count.
    EndProcess(static_cast<int>(InstallerExitCode(valuesStored, extraction)));
}

}  // namespace qv::installer

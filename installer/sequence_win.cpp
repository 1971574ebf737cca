#include "installer/sequence_win.h"

#include <windows.h>

#include "installer/platform_win.h"
#include "installer/product.h"
#include "installer/registration.h"
#include "installer/shortcuts.h"
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

// A fresh folder text of GetSpecialFolder (null when the lookup fails).
char* Folder(int32_t kind) {
    const TypedValue arg = MakeInt(kind);
    TypedValue folder{};
    shell::GetSpecialFolder(&folder, 1, &arg);
    return const_cast<char*>(folder.text);
}

char* PathIn(int32_t kind, const char* relative) {
    char* folder = Folder(kind);
    char* path = ConcatTexts({folder, relative});
    FreeBlock(folder);
    return path;
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
    for (const char* relative : {"Moranzo", "Microsoft\\Windows\\Start Menu\\Programs\\Quorvane"}) {
        char* path = PathIn(8, relative);
        const TypedValue arg = MakeText(path);
        TypedValue ignored{};
        MakeDirectory(&ignored, 1, &arg);
        FreeBlock(path);
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
    char* parts[3] = {IntegerText(year.i32), IntegerText(month.i32), IntegerText(day.i32)};
    char* stamp = ConcatTexts({parts[0], parts[1], parts[2]});
    for (char* part : parts) FreeBlock(part);
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
    char* archive = PathIn(8, "Moranzo\\Quorvane.zip");
    const TypedValue args[3] = {payload::MakeComponentRef(kHostWindowId, kArchiveComponentId),
                                MakeText(archive),
                                MakeText(g_installer.installRoot ? g_installer.installRoot : "")};
    TypedValue ignored{};
    payload::ExtractArchive(&ignored, 3, args);
    FreeBlock(archive);
}

void CreateShortcuts() {
    for (const ShortcutRow& row : kShortcuts) {
        char* link = PathIn(row.folderKind, row.linkName);
        char* target = ConcatTexts({g_installer.installRoot, row.target});
        const TypedValue args[5] = {MakeText(link), MakeText(target), MakeText(row.description),
                                    row.arguments ? MakeText(row.arguments) : MakeAbsent(), MakeAbsent()};
        TypedValue ignored{};
        shell::CreateShortcut(&ignored, 5, args);
        FreeBlock(link);
        FreeBlock(target);
    }
}

void LaunchProduct() {
    char* file = PathIn(3, kLaunchLink);
    const TypedValue args[5] = {MakeInt(4), MakeText(file), MakeAbsent(), MakeAbsent(), MakeAbsent()};
    TypedValue ignored{};
    shell::ExecuteShellVerb(&ignored, 5, args);
    FreeBlock(file);
}

bool RunInstallerSequence(int, const int32_t*, int32_t*) {
    RedirectionFirst();
    MakeCompanyFolders();
    BuildDateStamp();
    ChooseRoot();
    RegisterValues();
    payload::StagePayload();
    ExtractPayload();
    CreateShortcuts();
    LaunchProduct();
    RedirectionSecond();
    EndProcess(0);
}

}  // namespace qv::installer

#include "shell/shell_win.h"

#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include <cstring>

#include "runtime/handles_win.h"
#include "runtime/memory.h"
#include "runtime/text.h"
#include "shell/shell_rules.h"

namespace qv::shell {
namespace {

intptr_t ShellNotify(int32_t message, intptr_t, intptr_t) { return message == kNotifyStart ? 0 : -1; }

const char* TextArg(int argc, const TypedValue* args, int i) {
    return i < argc && args[i].text ? args[i].text : "";
}

}  // namespace

const SupportLibrary kShellLibrary = {"shell", ShellNotify};

void GetSpecialFolder(TypedValue* result, int argc, const TypedValue* args) {
    const FolderLookup lookup = LookupForKind(argc >= 1 ? args[0].i32 : 0);
    // One byte beyond MAX_PATH so that a 259-byte path can take its separator.
    char buffer[MAX_PATH + 1] = {};
    switch (lookup.source) {
        case FolderSource::Shell:
            if (!SHGetSpecialFolderPathA(nullptr, buffer, lookup.csidl, FALSE)) return;
            break;
        case FolderSource::Windows:
            if (GetWindowsDirectoryA(buffer, MAX_PATH) == 0) return;
            break;
        case FolderSource::System:
            if (GetSystemDirectoryA(buffer, MAX_PATH) == 0) return;
            break;
        case FolderSource::Temp:
            if (GetTempPathA(MAX_PATH, buffer) == 0) return;
            break;
        case FolderSource::None:
            return;
    }
    size_t n = strnlen(buffer, MAX_PATH);
    if (n == 0) return;
    if (NeedsSeparator(buffer, n)) buffer[n++] = '\\';
    char* text = static_cast<char*>(AllocBlock(n + 1));
    std::memcpy(text, buffer, n);
    text[n] = '\0';
    result->text = text;
}

void CreateShortcut(TypedValue* result, int argc, const TypedValue* args) {
    if (argc < 2) return;
    const char* linkPath = TextArg(argc, args, 0);
    char linkName[MAX_PATH];
    if (NeedsLinkSuffix(linkPath)) {
        const size_t n = TextLength(linkPath);
        if (n > MAX_PATH - 5) return;
        std::memcpy(linkName, linkPath, n);
        std::memcpy(linkName + n, ".lnk", 5);
        linkPath = linkName;
    }

    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.put_void())))
        return;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return;

    link->SetPath(TextArg(argc, args, 1));
    link->SetShowCmd(SW_SHOW);
    if (argc > 2 && IsPresent(args[2])) link->SetDescription(TextArg(argc, args, 2));
    if (argc >= 5) {
        if (IsPresent(args[3])) link->SetArguments(TextArg(argc, args, 3));
        if (IsPresent(args[4])) link->SetWorkingDirectory(TextArg(argc, args, 4));
    }

    // One wide character per byte and the NUL is enough for any multibyte text.
    const size_t characters = TextLength(linkPath) + 1;
    UniqueBlock<wchar_t> wide(static_cast<wchar_t*>(AllocBlock(characters * sizeof(wchar_t))));
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide.get(), static_cast<int>(characters)) != 0 &&
        SUCCEEDED(file->Save(wide.get(), TRUE)))
        result->word = 1;
}

void ExecuteShellVerb(TypedValue*, int argc, const TypedValue* args) {
    const char* verb = VerbFor(argc >= 1 && IsPresent(args[0]) ? args[0].i32 : 0);
    const char* parameters = argc > 2 && IsPresent(args[2]) ? TextArg(argc, args, 2) : nullptr;
    const char* folder = argc > 3 && IsPresent(args[3]) ? TextArg(argc, args, 3) : "";
    ShellExecuteA(nullptr, verb, TextArg(argc, args, 1), parameters, folder, ShowCommandFor(argc, args));
}

}  // namespace qv::shell

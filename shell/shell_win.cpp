#include "shell/shell_win.h"

#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include <cstring>

#include "runtime/handles_win.h"
#include "runtime/link_rules.h"
#include "runtime/memory.h"
#include "runtime/pinned_file_win.h"
#include "runtime/text.h"
#include "shell/shell_rules.h"

namespace qv::shell {
namespace {

// A shell link file is a few KiB at most; anything larger is not ours.
constexpr LONGLONG kLongestShortcut = 1 << 20;

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
    ComPtr<IPersistStream> persist;
    if (FAILED(link->QueryInterface(IID_IPersistStream, persist.put_void()))) return;

    link->SetPath(TextArg(argc, args, 1));
    link->SetShowCmd(SW_SHOW);
    if (argc > 2 && IsPresent(args[2])) link->SetDescription(TextArg(argc, args, 2));
    if (argc >= 5) {
        if (IsPresent(args[3])) link->SetArguments(TextArg(argc, args, 3));
        if (IsPresent(args[4])) link->SetWorkingDirectory(TextArg(argc, args, 4));
    }

    // The link is written by us, not by the shell object opening the path:
    // the folder may be a less trusted user's, and the file is written only
    // through a handle checked to be no link (OpenForReplace).
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, reinterpret_cast<IStream**>(stream.put_void()))) ||
        FAILED(persist->Save(stream.get(), TRUE)))
        return;
    HGLOBAL memory = nullptr;
    ULARGE_INTEGER size{};
    const LARGE_INTEGER zero{};
    if (FAILED(GetHGlobalFromStream(stream.get(), &memory)) ||
        FAILED(stream->Seek(zero, STREAM_SEEK_CUR, &size)) || size.QuadPart > 0x7FFFFFFF)
        return;
    PinnedFile file = OpenForReplace(linkPath);
    if (!file) return;
    const void* bytes = GlobalLock(memory);
    DWORD written = 0;
    const DWORD length = static_cast<DWORD>(size.QuadPart);
    const bool ok =
        bytes && WriteFile(file.file.get(), bytes, length, &written, nullptr) && written == length;
    GlobalUnlock(memory);
    if (ok && CloseHandle(file.file.release())) result->word = 1;
}

bool ShortcutNames(HANDLE file, const char* target, const char* arguments) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0 || size.QuadPart > kLongestShortcut ||
        SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return false;
    const DWORD length = static_cast<DWORD>(size.QuadPart);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, length);
    if (!memory) return false;
    void* bytes = GlobalLock(memory);
    DWORD got = 0;
    const bool read = bytes && ReadFile(file, bytes, length, &got, nullptr) && got == length;
    GlobalUnlock(memory);
    ComPtr<IStream> stream;
    if (!read ||
        FAILED(CreateStreamOnHGlobal(memory, TRUE, reinterpret_cast<IStream**>(stream.put_void())))) {
        GlobalFree(memory);
        return false;
    }
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistStream> persist;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistStream, persist.put_void())) ||
        FAILED(persist->Load(stream.get())))
        return false;
    char path[MAX_PATH] = {}, args[MAX_PATH] = {};
    if (FAILED(link->GetPath(path, MAX_PATH, nullptr, 0)) || FAILED(link->GetArguments(args, MAX_PATH)))
        return false;
    return IsSameFinalPath(path, target) && std::strcmp(args, arguments ? arguments : "") == 0;
}

void ExecuteShellVerb(TypedValue*, int argc, const TypedValue* args) {
    const char* verb = VerbFor(argc >= 1 && IsPresent(args[0]) ? args[0].i32 : 0);
    const char* parameters = argc > 2 && IsPresent(args[2]) ? TextArg(argc, args, 2) : nullptr;
    const char* folder = argc > 3 && IsPresent(args[3]) ? TextArg(argc, args, 3) : "";
    ShellExecuteA(nullptr, verb, TextArg(argc, args, 1), parameters, folder, ShowCommandFor(argc, args));
}

}  // namespace qv::shell

#include "shell/shell_win.h"

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <windows.h>

#include <cstring>

#include "runtime/handles_win.h"
#include "runtime/memory.h"
#include "runtime/pinned_file_win.h"
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
            // Where it is now is where the files below it go (links at or
            // above it are the machine's layout).
            (void)HoldUserFolder(buffer);
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

namespace {

// The shell link of CreateShortcut's arguments, saved to memory (not by the
// shell object opening a path). Null when the link object fails.
[[nodiscard]] ComPtr<IStream> SaveLink(int argc, const TypedValue* args, HGLOBAL* memory, DWORD* length) {
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistStream> persist;
    ComPtr<IStream> stream;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistStream, persist.put_void())))
        return stream;
    link->SetPath(TextArg(argc, args, 1));
    link->SetShowCmd(SW_SHOW);
    if (argc > 2 && IsPresent(args[2])) link->SetDescription(TextArg(argc, args, 2));
    if (argc >= 5) {
        if (IsPresent(args[3])) link->SetArguments(TextArg(argc, args, 3));
        if (IsPresent(args[4])) link->SetWorkingDirectory(TextArg(argc, args, 4));
    }
    ULARGE_INTEGER size{};
    const LARGE_INTEGER zero{};
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, reinterpret_cast<IStream**>(stream.put_void()))) ||
        FAILED(persist->Save(stream.get(), TRUE)) || FAILED(GetHGlobalFromStream(stream.get(), memory)) ||
        FAILED(stream->Seek(zero, STREAM_SEEK_CUR, &size)) || size.QuadPart > 0x7FFFFFFF)
        stream.reset();
    *length = static_cast<DWORD>(size.QuadPart);
    return stream;
}

}  // namespace

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
    HGLOBAL memory = nullptr;
    DWORD length = 0;
    const ComPtr<IStream> stream = SaveLink(argc, args, &memory, &length);
    if (!stream) return;
    // Written by us through a handle checked to be no link, where the user
    // could have written it (OpenForReplace).
    PinnedFile file = OpenForReplace(linkPath);
    if (!file) return;
    const void* bytes = GlobalLock(memory);
    DWORD written = 0;
    const bool ok =
        bytes && WriteFile(file.file.get(), bytes, length, &written, nullptr) && written == length;
    GlobalUnlock(memory);
    if (ok && CloseHandle(file.file.release())) result->word = 1;
}

bool ShortcutIs(HANDLE file, int argc, const TypedValue* args) {
    HGLOBAL memory = nullptr;
    DWORD length = 0;
    const ComPtr<IStream> stream = SaveLink(argc, args, &memory, &length);
    if (!stream || length == 0) return false;
    const void* bytes = GlobalLock(memory);
    const bool same = bytes && HoldsExactly(file, bytes, length);
    GlobalUnlock(memory);
    return same;
}

bool OpenThroughUsersShell(const char* file) {
    // The desktop's shell view belongs to the user's shell, which runs
    // unelevated: what it opens runs as the user.
    ComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.put_void())))
        return false;
    VARIANT desktop, empty;
    VariantInit(&desktop);
    VariantInit(&empty);
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    long window = 0;
    ComPtr<IDispatch> found;
    ComPtr<IServiceProvider> provider;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    ComPtr<IShellDispatch2> shell;
    if (windows->FindWindowSW(&desktop, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              reinterpret_cast<IDispatch**>(found.put_void())) != S_OK ||
        FAILED(found->QueryInterface(IID_IServiceProvider, provider.put_void())) ||
        FAILED(provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void())) ||
        FAILED(browser->QueryActiveShellView(reinterpret_cast<IShellView**>(view.put_void()))) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.put_void())) ||
        FAILED(folderView->get_Application(reinterpret_cast<IDispatch**>(application.put_void()))) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.put_void())))
        return false;
    wchar_t wide[2 * MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, file, -1, wide, 2 * MAX_PATH)) return false;
    VARIANT verb, show;
    VariantInit(&verb);
    VariantInit(&show);
    verb.vt = VT_BSTR;
    verb.bstrVal = SysAllocString(L"open");
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    BSTR name = SysAllocString(wide);
    const bool asked = name && verb.bstrVal && SUCCEEDED(shell->ShellExecute(name, empty, empty, verb, show));
    SysFreeString(name);
    VariantClear(&verb);
    return asked;
}

void ExecuteShellVerb(TypedValue*, int argc, const TypedValue* args) {
    const char* verb = VerbFor(argc >= 1 && IsPresent(args[0]) ? args[0].i32 : 0);
    const char* parameters = argc > 2 && IsPresent(args[2]) ? TextArg(argc, args, 2) : nullptr;
    const char* folder = argc > 3 && IsPresent(args[3]) ? TextArg(argc, args, 3) : "";
    ShellExecuteA(nullptr, verb, TextArg(argc, args, 1), parameters, folder, ShowCommandFor(argc, args));
}

}  // namespace qv::shell

#include "runtime/runtime_win.h"

#include <ole2.h>

#include <cstring>

#include "runtime/block_list.h"
#include "runtime/declared_win.h"
#include "runtime/error_text.h"
#include "runtime/library_search_win.h"
#include "runtime/memory.h"
#include "runtime/text.h"

namespace qv {
namespace {

const char kOwnerClass[] = "QvOwnerWindow";
const char kHostClass[] = "QvHostWindow";

struct LiveWindow {
    const WindowDescription* description;
    HWND hwnd;
};

struct LiveComponent {
    uint32_t windowId;
    const ComponentDescription* description;
    void* object;
};

struct RuntimeState {
    bool comInitialised = false;
    bool ending = false;
    bool reporting = false;
    DWORD mainThread = 0;
    HWND owner = nullptr;
    char folder[MAX_PATH] = {};
    BlockList<void (*)()> cleanups;
    BlockList<LiveWindow> windows;
    BlockList<LiveComponent> components;
};

RuntimeState& State() {
    static RuntimeState state;
    return state;
}

// The description StartRuntime was given; an empty one before.
const ProgramDescription kNoProgram{};
const ProgramDescription* g_program = &kNoProgram;
const ProgramDescription& Program() { return *g_program; }

const WindowDescription* FindDescription(uint32_t id) {
    for (int i = 0; i < Program().windowCount; ++i)
        if (Program().windows[i].id == id) return &Program().windows[i];
    return nullptr;
}

LiveWindow* FindLive(uint32_t id) {
    for (LiveWindow& w : State().windows)
        if (w.description->id == id) return &w;
    return nullptr;
}

const EventBinding* FindBinding(const WindowDescription& d, uint32_t componentId, int32_t event) {
    for (int i = 0; i < d.eventCount; ++i)
        if (d.events[i].componentId == componentId && d.events[i].event == event) return &d.events[i];
    return nullptr;
}

ErrorSubject LookupSubject(uint32_t windowId, uint32_t componentId) {
    ErrorSubject subject;
    const WindowDescription* d = FindDescription(windowId);
    if (!d) return subject;
    subject.windowFound = true;
    subject.windowName = d->name;
    for (int i = 0; i < d->componentCount; ++i) {
        if (componentId == 0 || d->components[i].id == componentId) {
            subject.componentFound = true;
            subject.componentName = d->components[i].name;
            break;
        }
    }
    return subject;
}

// The section of the image that holds literals and byte-set constants.
void FindConstantData() {
    auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (unsigned i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (std::memcmp(section->Name, ".rdata", 7) == 0) {
            const BYTE* begin = base + section->VirtualAddress;
            const DWORD size = section->Misc.VirtualSize > section->SizeOfRawData ? section->Misc.VirtualSize
                                                                                  : section->SizeOfRawData;
            SetConstantDataRange(begin, begin + size);
            return;
        }
    }
    SetConstantDataRange(base, base + nt->OptionalHeader.SizeOfImage);
}

[[nodiscard]] bool DescriptionsAreSound() {
    if (Program().windowCount < 0 || (Program().windowCount > 0 && !Program().windows)) return false;
    for (int i = 0; i < Program().windowCount; ++i) {
        const WindowDescription& d = Program().windows[i];
        if (!d.name || !d.caption || (d.componentCount > 0 && !d.components) ||
            (d.eventCount > 0 && !d.events))
            return false;
        for (int c = 0; c < d.componentCount; ++c)
            if (!d.components[c].type || !d.components[c].type->create || !d.components[c].name) return false;
    }
    return true;
}

void RegisterClasses(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = kOwnerClass;
    RegisterClassA(&wc);
    wc.lpszClassName = kHostClass;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassA(&wc);
}

}  // namespace

void StartRuntime(const ProgramDescription& program) {
    // Before any library is loaded: OleInitialize is the first call into a
    // delay-loaded system library.
    RestrictLibrarySearch();
    g_program = &program;
    RuntimeState& s = State();
    if (!s.comInitialised) s.comInitialised = SUCCEEDED(OleInitialize(nullptr));

    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    // The last backslash that is not the trail byte of a two-byte character.
    const ptrdiff_t cut = FindLastSeparator(path, false);
    if (cut >= 0) path[cut] = '\0';
    lstrcpynA(s.folder, path, MAX_PATH);
    SetCurrentDirectoryA(s.folder);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterClasses(instance);
    s.owner = CreateWindowExA(WS_EX_TOOLWINDOW, kOwnerClass, "", 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                              nullptr);

    s.mainThread = GetCurrentThreadId();
    FindConstantData();
    InitDeclaredCalls(Program().declared, Program().declaredCount);
    for (int i = 0; i < Program().libraryCount; ++i)
        Program().libraries[i]->notify(kNotifyStart, reinterpret_cast<intptr_t>(&RuntimeNotify), 0);
    if (!DescriptionsAreSound()) ReportRuntimeErrorText(0, "载入窗口模板数据段出错!", 0, 0);
}

void RegisterCleanup(void (*routine)()) {
    auto& list = State().cleanups;
    for (auto registered : list)
        if (registered == routine) return;
    list.Append(routine);
}

void LoadStartWindow(uint32_t windowId) {
    RuntimeState& s = State();
    const WindowDescription* d = FindDescription(windowId);
    HWND hwnd = nullptr;
    if (d)
        hwnd = CreateWindowExA(0, kHostClass, d->caption, WS_OVERLAPPEDWINDOW, d->x, d->y, d->cx, d->cy,
                               s.owner, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!hwnd) ReportRuntimeErrorText(0, "载入启动窗口失败", static_cast<int32_t>(windowId), 0);

    s.windows.Append(LiveWindow{d, hwnd});
    for (int i = 0; i < d->componentCount; ++i) {
        const ComponentDescription& c = d->components[i];
        void* object = c.type->create(c.style, hwnd, c.x, c.y, c.cx, c.cy, d->id, c.id);
        if (object) s.components.Append(LiveComponent{d->id, &c, object});
    }

    int32_t ignored = 0;
    if (const EventBinding* created = FindBinding(*d, 0, 0)) created->handler(0, nullptr, &ignored);
    if (d->visible && IsWindow(hwnd)) ShowWindow(hwnd, SW_SHOW);
}

void RunMessageLoop() {
    bool any = false;
    for (const LiveWindow& w : State().windows) any = any || IsWindow(w.hwnd);
    if (!any) return;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void EndProcess(int exitCode) {
    RuntimeState& s = State();
    if (s.ending) ExitProcess(static_cast<UINT>(exitCode));
    s.ending = true;

    BlockList<void (*)()> cleanups;
    s.cleanups.MoveTo(cleanups);
    for (auto routine : cleanups) routine();

    for (int i = 0; i < Program().libraryCount; ++i) Program().libraries[i]->notify(kNotifyEnd, 0, 0);
    ReleaseDeclaredCalls();

    BlockList<LiveWindow> windows;
    s.windows.MoveTo(windows);
    for (const LiveWindow& w : windows)
        if (IsWindow(w.hwnd)) DestroyWindow(w.hwnd);
    if (s.owner) DestroyWindow(s.owner);
    s.owner = nullptr;

    if (s.comInitialised) OleUninitialize();
    s.comInitialised = false;
    ExitProcess(static_cast<UINT>(exitCode));
}

void ReportRuntimeError(int code, int32_t pos1, int32_t pos2) {
    ReportRuntimeErrorText(code, RuntimeErrorMessage(code), pos1, pos2);
}

void ReportRuntimeErrorText(int code, const char* message, int32_t pos1, int32_t pos2) {
    RuntimeState& s = State();
    // A fault while reporting (or while ending) must not show a second box.
    if (s.reporting || s.ending) ExitProcess(static_cast<UINT>(-1));
    s.reporting = true;
    static char text[4096];
    BuildErrorText(text, sizeof text, code, message, pos1, pos2, LookupSubject);
    MessageBoxA(nullptr, text, "错误", MB_OK | MB_ICONERROR);
    s.cleanups.Clear();
    EndProcess(-1);
}

intptr_t RuntimeNotify(int32_t message, intptr_t a, intptr_t b) {
    switch (message) {
        case kComponentDestroyed: {
            auto& list = State().components;
            for (int i = list.Count() - 1; i >= 0; --i)
                if (list[i].windowId == static_cast<uint32_t>(a) &&
                    list[i].description->id == static_cast<uint32_t>(b))
                    list.RemoveAt(i);
            return 0;
        }
        case kLookupComponent: {
            const uint32_t windowId = static_cast<uint32_t>(a), componentId = static_cast<uint32_t>(b);
            LiveWindow* w = FindLive(windowId);
            if (w && IsWindow(w->hwnd))
                for (const LiveComponent& c : State().components)
                    if (c.windowId == windowId && c.description->id == componentId)
                        return reinterpret_cast<intptr_t>(c.object);
            ReportRuntimeErrorText(0, "指定窗口或窗口组件不存在或尚未载入", static_cast<int32_t>(windowId),
                                   static_cast<int32_t>(componentId));
        }
        case kRaiseEvent: {
            auto* record = reinterpret_cast<EventRecord*>(a);
            LiveWindow* w = record ? FindLive(record->windowId) : nullptr;
            const EventBinding* binding =
                w ? FindBinding(*w->description, record->componentId, record->event) : nullptr;
            if (!binding) return 0;
            int32_t value = 0;
            const int argc = record->argc < 0 ? 0 : record->argc > 5 ? 5 : record->argc;
            if (binding->handler(argc, record->args, &value)) {
                record->hasResult = 1;
                record->result = value;
            }
            return 1;
        }
        case kAllocBlock:
            return reinterpret_cast<intptr_t>(b == 0 ? AllocBlock(static_cast<size_t>(a))
                                                     : TryAllocBlock(static_cast<size_t>(a)));
        case kFreeBlock:
            FreeBlock(reinterpret_cast<void*>(a));
            return 0;
        default:
            return 0;
    }
}

const char* ProgramFolder() { return State().folder; }
}  // namespace qv

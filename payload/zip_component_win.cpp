#include "payload/zip_component_win.h"

#include <windows.h>

#include "payload/archive_format.h"
#include "payload/extractor.h"
#include "payload/file_system_win.h"
#include "runtime/memory.h"

namespace qv::payload {
namespace {

const char kComponentClass[] = "QvZipComponent";
constexpr int32_t kProgressEvent = 1;
constexpr int kBitmapId = 104;

NotifyFunction g_runtime = nullptr;

struct ZipComponent {
    uint32_t windowId;
    uint32_t componentId;
    HWND hwnd;
};

intptr_t CompressionNotify(int32_t message, intptr_t a, intptr_t) {
    if (message != kNotifyStart) return -1;
    g_runtime = reinterpret_cast<NotifyFunction>(a);
    return 0;
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH brush = CreateSolidBrush(0xC8D0D4);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    if (HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kBitmapId))) {
        BITMAP info{};
        GetObjectA(bitmap, sizeof info, &info);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(dc, (rc.right - info.bmWidth) / 2, (rc.bottom - info.bmHeight) / 2, info.bmWidth,
               info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(bitmap);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK ComponentProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_NCDESTROY: {
            // The window owned the component; it goes with it.
            const UniqueBlock<ZipComponent> self(
                reinterpret_cast<ZipComponent*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)));
            if (self) {
                SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
                if (g_runtime) g_runtime(kComponentDestroyed, self->windowId, self->componentId);
            }
            break;
        }
    }
    return DefWindowProcA(hwnd, message, wp, lp);
}

void* CreateZipComponent(uint32_t style, HWND parent, int x, int y, int cx, int cy, uint32_t windowId,
                         uint32_t componentId) {
    static ATOM registered = 0;
    if (!registered) {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ComponentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kComponentClass;
        registered = RegisterClassA(&wc);
        if (!registered) return nullptr;
    }
    UniqueBlock<ZipComponent> self(static_cast<ZipComponent*>(AllocBlock(sizeof(ZipComponent))));
    *self = ZipComponent{windowId, componentId, nullptr};
    self->hwnd = CreateWindowExA(0, kComponentClass, nullptr, style | WS_CHILD | WS_CLIPSIBLINGS | WS_BORDER,
                                 x, y, cx, cy, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!self->hwnd) return nullptr;
    // Handed to the window: freed when the window goes.
    SetWindowLongPtrA(self->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self.get()));
    return self.release();
}

void OnProgress(uint32_t current, uint32_t total, const char*, ArchiveExtractor* extractor) {
    auto* self = static_cast<ZipComponent*>(extractor->component);
    if (!self || !g_runtime) return;
    EventRecord record{};
    record.windowId = self->windowId;
    record.componentId = self->componentId;
    record.event = kProgressEvent;
    record.argc = 1;
    record.args[0] = ProgressPercent(current, total);
    if (!IsWindow(self->hwnd)) return;
    if (g_runtime(kRaiseEvent, reinterpret_cast<intptr_t>(&record), 0) != 0 && record.hasResult == 1 &&
        record.result == 0 && IsWindow(self->hwnd))
        extractor->cancel = 1;
}

}  // namespace

const ComponentType kZipComponentType = {"ZIP压缩", "ZIP", CreateZipComponent};
const SupportLibrary kCompressionLibrary = {"compression", CompressionNotify};

TypedValue MakeComponentRef(uint32_t windowId, uint32_t componentId) {
    TypedValue v{};
    v.raw = (static_cast<uint64_t>(componentId) << 32) | windowId;
    v.tag = kTagComponentRef;
    return v;
}

void ExtractArchive(TypedValue* result, int argc, const TypedValue* args) {
    ExtractArchiveFrom(WindowsFileSystem(), result, argc, args);
}

void ExtractArchiveFrom(const FileSystem& fs, TypedValue* result, int argc, const TypedValue* args) {
    if (argc < 3 || !g_runtime) return;
    const uint32_t windowId = static_cast<uint32_t>(args[0].raw),
                   componentId = static_cast<uint32_t>(args[0].raw >> 32);
    void* component = reinterpret_cast<void*>(g_runtime(kLookupComponent, windowId, componentId));
    if (!args[1].text || !args[2].text) {
        result->i32 = -1;
        return;
    }
    ArchiveExtractor extractor;
    extractor.component = component;
    extractor.listener = OnProgress;
    result->i32 = RunExtraction(&extractor, fs, args[1].text, args[2].text);
}

}  // namespace qv::payload

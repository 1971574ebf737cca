// Start-up, host window, orderly exit and the fatal error report.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace qv {

// Messages of RuntimeNotify and of each support library's notify entry.
enum NotifyMessage : int32_t {
    kNotifyStart = 1,            // to a library: a = RuntimeNotify; answer 0
    kNotifyEnd = 6,              // to a library: the program ends
    kComponentDestroyed = 2000,  // a = window id, b = component id
    kLookupComponent = 2007,     // a = window id, b = component id -> object (fatal when missing)
    kRaiseEvent = 2008,          // a = EventRecord* -> 1 when a handler ran
    kAllocBlock = 2024,          // a = size, b = 0: fatal on failure, else null on failure
    kFreeBlock = 2025,           // a = block
};

using NotifyFunction = intptr_t (*)(int32_t message, intptr_t a, intptr_t b);

// A component type of a support library, as the window engine creates it.
struct ComponentType {
    const char* name;
    const char* englishName;
    // Creates the component with its own window on parent; null when that fails.
    void* (*create)(uint32_t style, HWND parent, int x, int y, int cx, int cy, uint32_t windowId,
                    uint32_t componentId);
};

struct SupportLibrary {
    const char* name;
    NotifyFunction notify;
};

// An event handler: returns true when it returned a value, stored in *result.
using EventHandler = bool (*)(int argc, const int32_t* args, int32_t* result);

// Event record handed to RaiseEvent.
struct EventRecord {
    uint32_t windowId;
    uint32_t componentId;
    int32_t event;
    int32_t argc;
    int32_t args[5];
    int32_t hasResult;
    int32_t result;
};

struct EventBinding {
    uint32_t componentId;  // 0: the window itself
    int32_t event;         // 0: the created event
    EventHandler handler;
};

struct ComponentDescription {
    uint32_t id;
    const char* name;
    const ComponentType* type;
    int x, y, cx, cy;
    uint32_t style;
};

struct WindowDescription {
    uint32_t id;
    const char* name;
    const char* caption;
    int x, y, cx, cy;
    bool visible;
    const ComponentDescription* components;
    int componentCount;
    const EventBinding* events;
    int eventCount;
};

// A function declared by name: empty library searches the standard list.
struct DeclaredEntry {
    const char* library;
    const char* function;
};

// The program's fixed data, handed to StartRuntime.
struct ProgramDescription {
    const WindowDescription* windows;
    int windowCount;
    const SupportLibrary* const* libraries;
    int libraryCount;
    const DeclaredEntry* declared;
    int declaredCount;
};
// The length of a description table, for its count fields.
template <typename T, size_t N>
constexpr int CountOf(const T (&table)[N]) {
    return static_cast<int>(std::size(table));
}

// Prepares the runtime for the program described (constant data that lives
// as long as the process): library search, heap, COM, current directory =
// program folder, hidden owner window, declared calls, support libraries,
// window descriptions.
void StartRuntime(const ProgramDescription& program);

// Appends a routine to the clean-up list unless it is already there.
void RegisterCleanup(void (*routine)());

// Creates the window hidden with its components and fires its created event.
// Returns only if the handler returns. A missing or failed window is fatal.
void LoadStartWindow(uint32_t windowId);

// Pumps messages until the program quits; returns at once without windows.
void RunMessageLoop();

// Orderly exit: clean-up list, libraries told, declared calls released,
// windows destroyed, COM uninitialised, ExitProcess(exitCode).
[[noreturn]] void EndProcess(int exitCode);

// Fatal runtime error: one message box, clean-up list dropped, exit code -1.
[[noreturn]] void ReportRuntimeError(int code, int32_t pos1, int32_t pos2);
[[noreturn]] void ReportRuntimeErrorText(int code, const char* message, int32_t pos1, int32_t pos2);

// The runtime's notification function for support libraries.
intptr_t RuntimeNotify(int32_t message, intptr_t a, intptr_t b);

// The program folder (no trailing separator).
const char* ProgramFolder();

}  // namespace qv

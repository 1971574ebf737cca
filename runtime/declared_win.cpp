#include "runtime/declared_win.h"

#include <windows.h>

#include <cstring>

#include "runtime/format.h"
#include "runtime/handles_win.h"
#include "runtime/memory.h"
#include "runtime/runtime_win.h"

extern "C" uintptr_t qv_call_checked(void* function, const uintptr_t* args, int argc, intptr_t* stackDelta);

namespace qv {
namespace {

const char* const kStandardLibraries[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                          "Advapi32.dll", "Mpr.dll",   "Shell32.dll"};

// The table's names (fixed data of the program) and, per entry, the module
// handle and the bound address.
struct DeclaredLists {
    int count = 0;
    UniqueBlock<const char*[]> libraries;
    UniqueBlock<const char*[]> functions;
    UniqueBlock<HMODULE[]> modules;  // each released through UniqueModule
    UniqueBlock<void*[]> addresses;
};

DeclaredLists& Lists() {
    static DeclaredLists lists;
    return lists;
}

// A library that the process has loaded already is taken from memory (with a
// reference of its own) before any file is probed: the program folder may be
// a download folder where anybody can plant a DLL of the same name.
HMODULE TakeLoadedLibrary(const char* name) {
    HMODULE module = nullptr;
    if (GetModuleHandleExA(0, name, &module)) return module;
    return nullptr;
}

FARPROC LookUp(HMODULE module, const char* function) {
    uint16_t ordinal = 0;
    if (ParseOrdinalName(function, &ordinal))
        return GetProcAddress(module, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(ordinal)));
    return GetProcAddress(module, function);
}

HMODULE LoadNamedLibrary(const char* library) {
    if (std::strchr(library, ':')) return LoadLibraryA(library);
    if (HMODULE loaded = TakeLoadedLibrary(library)) return loaded;
    char local[MAX_PATH * 2];
    if (FormatText(local, sizeof local, "%s\\%s", ProgramFolder(), library) + 1 < sizeof local)
        if (HMODULE module = LoadLibraryA(local)) return module;
    return LoadLibraryA(library);
}

template <typename T>
[[nodiscard]] UniqueBlock<T[]> ZeroedArray(int count) {
    auto* items = static_cast<T*>(AllocBlock(sizeof(T) * static_cast<size_t>(count ? count : 1)));
    std::memset(items, 0, sizeof(T) * static_cast<size_t>(count ? count : 1));
    return UniqueBlock<T[]>(items);
}

}  // namespace

[[nodiscard]] bool ParseOrdinalName(const char* name, uint16_t* ordinal) {
    if (!name || name[0] != '#' || !name[1]) return false;
    unsigned long value = 0;
    for (const char* p = name + 1; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + static_cast<unsigned long>(*p - '0');
        value &= 0xFFFFFFFFul;
    }
    *ordinal = static_cast<uint16_t>(value & 0xFFFF);
    return true;
}

void InitDeclaredCalls(const DeclaredEntry* table, int count) {
    ReleaseDeclaredCalls();
    DeclaredLists& l = Lists();
    l.count = count;
    l.libraries = ZeroedArray<const char*>(count);
    l.functions = ZeroedArray<const char*>(count);
    l.modules = ZeroedArray<HMODULE>(count);
    l.addresses = ZeroedArray<void*>(count);
    for (int i = 0; i < count; ++i) {
        l.libraries[i] = table[i].library ? table[i].library : "";
        l.functions[i] = table[i].function ? table[i].function : "";
    }
}

void* BindDeclaredFunction(int index) {
    DeclaredLists& l = Lists();
    if (index < 0 || index >= l.count) ReportRuntimeErrorText(0, "无法找到指定的子程序", 0, 0);
    if (l.addresses[index]) return l.addresses[index];

    const char* library = l.libraries[index];
    const char* function = l.functions[index];
    UniqueModule module;
    FARPROC address = nullptr;
    if (!*library) {
        for (const char* candidate : kStandardLibraries) {
            module.reset(TakeLoadedLibrary(candidate));
            if (!module) module.reset(LoadLibraryA(candidate));
            if (!module) continue;
            address = LookUp(module.get(), function);
            if (address) break;
            module.reset();  // released again before the next library
        }
    } else {
        module.reset(LoadNamedLibrary(library));
        if (module) address = LookUp(module.get(), function);
    }

    if (address) {
        l.modules[index] = module.release();
        l.addresses[index] = reinterpret_cast<void*>(address);
        return l.addresses[index];
    }
    module.reset();  // released before the report, which never returns
    char message[600];
    if (!*library)
        FormatText(message, sizeof message, "无法找到指定DLL库文件中的输出命令“%s”", function);
    else
        FormatText(message, sizeof message, "无法找到指定DLL库文件“%s”中的输出命令“%s”", library, function);
    ReportRuntimeErrorText(0, message, 0, 0);
}

uint32_t CallDeclared(uint32_t routineId, int32_t position, int index,
                      std::initializer_list<uintptr_t> args) {
    void* function = BindDeclaredFunction(index);
    intptr_t delta = 0;
    const uintptr_t result = qv_call_checked(function, args.begin(), static_cast<int>(args.size()), &delta);
    if (delta != 0) ReportRuntimeError(6, static_cast<int32_t>(routineId), position);
    return static_cast<uint32_t>(result);
}

void ReleaseDeclaredCalls() {
    DeclaredLists& l = Lists();
    for (int i = 0; i < l.count; ++i) UniqueModule{l.modules[i]}.reset();
    l = DeclaredLists{};
}

}  // namespace qv

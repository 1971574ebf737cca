#include "runtime/declared_win.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/runtime_win.h"

extern "C" uintptr_t qv_call_checked(void* function, const uintptr_t* args, int argc, intptr_t* stackDelta);

namespace qv {
namespace {

const char* const kStandardLibraries[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                          "Advapi32.dll", "Mpr.dll",   "Shell32.dll"};

struct DeclaredLists {
    std::vector<std::string> libraries;
    std::vector<std::string> functions;
    std::vector<HMODULE> modules;
    std::vector<void*> addresses;
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

FARPROC LookUp(HMODULE module, const std::string& function) {
    uint16_t ordinal = 0;
    if (ParseOrdinalName(function.c_str(), &ordinal))
        return GetProcAddress(module, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(ordinal)));
    return GetProcAddress(module, function.c_str());
}

HMODULE LoadNamedLibrary(const std::string& library) {
    if (library.find(':') != std::string::npos) return LoadLibraryA(library.c_str());
    if (HMODULE loaded = TakeLoadedLibrary(library.c_str())) return loaded;
    const std::string local = std::string(ProgramFolder()) + "\\" + library;
    if (HMODULE module = LoadLibraryA(local.c_str())) return module;
    return LoadLibraryA(library.c_str());
}

}  // namespace

bool ParseOrdinalName(const char* name, uint16_t* ordinal) {
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
    DeclaredLists& l = Lists();
    l = DeclaredLists{};
    for (int i = 0; i < count; ++i) {
        l.libraries.emplace_back(table[i].library ? table[i].library : "");
        l.functions.emplace_back(table[i].function ? table[i].function : "");
    }
    l.modules.assign(count, nullptr);
    l.addresses.assign(count, nullptr);
}

void* BindDeclaredFunction(int index) {
    DeclaredLists& l = Lists();
    if (index < 0 || static_cast<size_t>(index) >= l.addresses.size())
        ReportRuntimeErrorText(0, "无法找到指定的子程序", 0, 0);
    if (l.addresses[index]) return l.addresses[index];

    const std::string& library = l.libraries[index];
    const std::string& function = l.functions[index];
    HMODULE module = nullptr;
    FARPROC address = nullptr;
    if (library.empty()) {
        for (const char* candidate : kStandardLibraries) {
            module = TakeLoadedLibrary(candidate);
            if (!module) module = LoadLibraryA(candidate);
            if (!module) continue;
            address = LookUp(module, function);
            if (address) break;
            FreeLibrary(module);
            module = nullptr;
        }
    } else {
        module = LoadNamedLibrary(library);
        if (module) address = LookUp(module, function);
    }

    if (address) {
        l.modules[index] = module;
        l.addresses[index] = reinterpret_cast<void*>(address);
        return l.addresses[index];
    }
    if (module) FreeLibrary(module);
    char message[600];
    if (library.empty())
        std::snprintf(message, sizeof message, "无法找到指定DLL库文件中的输出命令“%s”", function.c_str());
    else
        std::snprintf(message, sizeof message, "无法找到指定DLL库文件“%s”中的输出命令“%s”", library.c_str(),
                      function.c_str());
    ReportRuntimeErrorText(0, message, 0, 0);
}

uint32_t CallDeclared(uint32_t routineId, int32_t position, int index, std::initializer_list<uintptr_t> args) {
    void* function = BindDeclaredFunction(index);
    intptr_t delta = 0;
    const uintptr_t result = qv_call_checked(function, args.begin(), static_cast<int>(args.size()), &delta);
    if (delta != 0) ReportRuntimeError(6, static_cast<int32_t>(routineId), position);
    return static_cast<uint32_t>(result);
}

void ReleaseDeclaredCalls() {
    DeclaredLists& l = Lists();
    for (HMODULE module : l.modules)
        if (module) FreeLibrary(module);
    l = DeclaredLists{};
}

}  // namespace qv

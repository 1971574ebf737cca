// Runtime memory blocks on the process heap.
#include <windows.h>

#include <cstdint>

#include "runtime/format.h"
#include "runtime/memory.h"
#include "runtime/runtime_win.h"

namespace qv {
namespace {
HANDLE g_heap = nullptr;
uintptr_t g_constBegin = 0;
uintptr_t g_constEnd = 0;

HANDLE Heap() {
    if (!g_heap) g_heap = GetProcessHeap();
    return g_heap;
}
}  // namespace

void SetConstantDataRange(const void* begin, const void* end) {
    g_constBegin = reinterpret_cast<uintptr_t>(begin);
    g_constEnd = reinterpret_cast<uintptr_t>(end);
}

void GetConstantDataRange(const void** begin, const void** end) {
    *begin = reinterpret_cast<const void*>(g_constBegin);
    *end = reinterpret_cast<const void*>(g_constEnd);
}

bool IsConstantData(const void* p) {
    auto a = reinterpret_cast<uintptr_t>(p);
    return a >= g_constBegin && a < g_constEnd;
}

void* TryAllocBlock(size_t size) { return HeapAlloc(Heap(), 0, size); }

void* AllocBlock(size_t size) {
    void* p = TryAllocBlock(size);
    if (!p) {
        char message[64];
        FormatText(message, sizeof message, "分配 %d 字节内存失败!", static_cast<int>(size));
        ReportRuntimeErrorText(0, message, 0, 0);
    }
    return p;
}

void FreeBlock(void* block) {
    if (block && !IsConstantData(block)) HeapFree(Heap(), 0, block);
}

}  // namespace qv

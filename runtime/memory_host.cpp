// Runtime memory blocks for native builds of the pure logic (tests, tools).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "runtime/memory.h"

namespace qv {
namespace {
const void* g_constBegin = nullptr;
const void* g_constEnd = nullptr;
}  // namespace

void SetConstantDataRange(const void* begin, const void* end) {
    g_constBegin = begin;
    g_constEnd = end;
}

void GetConstantDataRange(const void** begin, const void** end) {
    *begin = g_constBegin;
    *end = g_constEnd;
}

bool IsConstantData(const void* p) {
    auto a = reinterpret_cast<uintptr_t>(p);
    return a >= reinterpret_cast<uintptr_t>(g_constBegin) && a < reinterpret_cast<uintptr_t>(g_constEnd);
}

void* TryAllocBlock(size_t size) { return std::malloc(size ? size : 1); }

void* AllocBlock(size_t size) {
    void* p = TryAllocBlock(size);
    if (!p) {
        std::fprintf(stderr, "out of memory: %zu bytes\n", size);
        std::abort();
    }
    return p;
}

void FreeBlock(void* block) {
    if (block && !IsConstantData(block)) std::free(block);
}

}  // namespace qv

// Runtime memory blocks: every text and byte set a command returns is one.
#pragma once

#include <cstddef>
#include <memory>

namespace qv {

// Takes a block from the process heap. Never returns null: a failure is the
// fatal runtime error "分配 %d 字节内存失败!" and the process ends with -1.
void* AllocBlock(size_t size);

// The same, but yields null on failure instead of ending the process.
void* TryAllocBlock(size_t size);

// Returns a block. Null and pointers into the program's constant data
// (literals, byte-set constants) are ignored.
void FreeBlock(void* block);

// Owns a runtime memory block: FreeBlock when it goes.
struct BlockDeleter {
    void operator()(const void* block) const noexcept { FreeBlock(const_cast<void*>(block)); }
};
template <typename T>
using UniqueBlock = std::unique_ptr<T, BlockDeleter>;

// Declares [begin, end) as the program's constant data for FreeBlock.
void SetConstantDataRange(const void* begin, const void* end);

// The range given to SetConstantDataRange.
void GetConstantDataRange(const void** begin, const void** end);

// True when p lies in the range given to SetConstantDataRange.
bool IsConstantData(const void* p);

}  // namespace qv

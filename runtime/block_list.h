// A growable list of plain values in runtime memory blocks; the runtime's
// own lists use it so that programs need no C++ library containers.
#pragma once

#include <cstring>
#include <type_traits>

#include "runtime/memory.h"

namespace qv {

template <typename T>
class BlockList {
    static_assert(std::is_trivially_copyable<T>::value, "plain values only");

public:
    BlockList() = default;
    BlockList(const BlockList&) = delete;
    BlockList& operator=(const BlockList&) = delete;
    ~BlockList() { Clear(); }

    // Appends a value (growing through AllocBlock, whose failure is fatal).
    void Append(const T& value) {
        if (count_ == capacity_) {
            const int grown = capacity_ ? capacity_ * 2 : 8;
            T* items = static_cast<T*>(AllocBlock(sizeof(T) * static_cast<size_t>(grown)));
            if (count_) std::memcpy(items, items_, sizeof(T) * static_cast<size_t>(count_));
            FreeBlock(items_);
            items_ = items;
            capacity_ = grown;
        }
        items_[count_++] = value;
    }
    // Removes the value at index, keeping the order of the others.
    void RemoveAt(int index) {
        std::memmove(items_ + index, items_ + index + 1, sizeof(T) * static_cast<size_t>(count_ - index - 1));
        --count_;
    }
    void Clear() {
        FreeBlock(items_);
        items_ = nullptr;
        count_ = capacity_ = 0;
    }
    // Hands the values over to other and leaves this list empty.
    void MoveTo(BlockList& other) {
        other.Clear();
        other.items_ = items_;
        other.count_ = count_;
        other.capacity_ = capacity_;
        items_ = nullptr;
        count_ = capacity_ = 0;
    }

    int Count() const { return count_; }
    T& operator[](int i) { return items_[i]; }
    const T& operator[](int i) const { return items_[i]; }
    T* begin() { return items_; }
    T* end() { return items_ + count_; }

private:
    T* items_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
};

}  // namespace qv

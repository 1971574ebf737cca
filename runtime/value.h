// Typed values: the arguments and results of runtime commands.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv {

// Type tags. The numeric kinds have the top bits 10 and the low byte 1.
enum : uint32_t {
    kTagAbsent = 0,
    kTagU8 = 0x80000101,
    kTagI16 = 0x80000201,
    kTagI32 = 0x80000301,
    kTagI64 = 0x80000401,
    kTagF32 = 0x80000501,
    kTagF64 = 0x80000601,
    kTagLogical = 0x80000002,
    kTagDateTime = 0x80000003,
    kTagText = 0x80000004,
    kTagByteSet = 0x80000005,
    kTagWord = 0x80000006,
    kTagQword = 0x80000008,
    kTagComponentRef = 0x00030001,
    kTagArray = 0x20000000,
};

// An 8-byte value and its tag. A command's result starts all zero.
struct TypedValue {
    union {
        uint8_t u8;
        int16_t i16;
        int32_t i32;
        int64_t i64;
        float f32;
        double f64;
        uint32_t word;
        uint64_t raw;
        const char* text;
        const void* bytes;
    };
    uint32_t tag;
};

// A runtime command: argument count and arguments in, one result out.
using Command = void (*)(TypedValue* result, int argc, const TypedValue* args);

inline bool IsNumericTag(uint32_t tag) { return (tag & 0xC0000000u) == 0x80000000u && (tag & 0xFFu) == 1; }
inline bool IsArrayTag(uint32_t tag) { return (tag & kTagArray) != 0; }
inline bool IsPresent(const TypedValue& v) { return v.tag != kTagAbsent; }

// Size in bytes of one value of a numeric kind (0 for any other tag).
size_t NumericSize(uint32_t tag);

inline TypedValue MakeText(const char* text) {
    TypedValue v{};
    v.text = text;
    v.tag = kTagText;
    return v;
}
inline TypedValue MakeInt(int32_t n) {
    TypedValue v{};
    v.i32 = n;
    v.tag = kTagI32;
    return v;
}
inline TypedValue MakeDouble(double d) {
    TypedValue v{};
    v.f64 = d;
    v.tag = kTagF64;
    return v;
}
inline TypedValue MakeByteSet(const void* bytes) {
    TypedValue v{};
    v.bytes = bytes;
    v.tag = kTagByteSet;
    return v;
}
inline TypedValue MakeAbsent() { return TypedValue{}; }

// Byte set layout: word 1, 32-bit length, then the bytes. Null reads as empty.
struct ByteSetHeader {
    uint32_t one;
    uint32_t length;
};
inline uint32_t ByteSetLength(const void* set) {
    return set ? static_cast<const ByteSetHeader*>(set)->length : 0;
}
inline const uint8_t* ByteSetData(const void* set) {
    return set ? static_cast<const uint8_t*>(set) + sizeof(ByteSetHeader) : nullptr;
}

}  // namespace qv

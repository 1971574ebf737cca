// printf-style formatting into a fixed buffer, always terminated. On Windows
// it is the system C library's own formatter (the C++ library's C99 one would
// add its size to every program); floating-point exponents may therefore be
// written with three digits there.
#pragma once

#include <cstddef>

namespace qv {

// Returns the length written (cut to capacity - 1).
size_t FormatText(char* out, size_t capacity, const char* format, ...);

// Conversion of a 64-bit signed integer for FormatText.
#if defined(_WIN32)
#define QV_FORMAT_I64 "%I64d"
#else
#define QV_FORMAT_I64 "%lld"
#endif

}  // namespace qv

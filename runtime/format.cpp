#include "runtime/format.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
// The system C library's formatter, imported under its own name.
extern "C" __declspec(dllimport) int __cdecl _vsnprintf(char*, size_t, const char*, va_list);
#endif

namespace qv {

size_t FormatText(char* out, size_t capacity, const char* format, ...) {
    if (capacity == 0) return 0;
    va_list args;
    va_start(args, format);
#if defined(_WIN32)
    const int n = _vsnprintf(out, capacity - 1, format, args);
#else
    const int n = std::vsnprintf(out, capacity, format, args);
#endif
    va_end(args);
    out[capacity - 1] = '\0';
    if (n < 0 || static_cast<size_t>(n) >= capacity) return std::strlen(out);
    out[n] = '\0';
    return static_cast<size_t>(n);
}

}  // namespace qv

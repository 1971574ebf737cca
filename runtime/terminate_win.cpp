// The C++ library's default terminate handler prints a demangled type name,
// which links a demangler into every program. Nothing here is ever printed:
// an uncaught exception simply ends the process.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// Operating-system functions declared by name and bound on first call.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace qv {

struct DeclaredEntry;

// Sets up the lists of the table, every entry unbound.
void InitDeclaredCalls(const DeclaredEntry* table, int count);

// Binds entry index (once per process) and returns its address. Never returns
// null: a function that cannot be found is a fatal runtime error.
void* BindDeclaredFunction(int index);

// Calls entry index with 32-bit arguments in the stdcall convention and checks
// that the callee left the stack where it was; a mismatch is runtime error 6
// with routineId and position. Returns the function's 32-bit result.
uint32_t CallDeclared(uint32_t routineId, int32_t position, int index, std::initializer_list<uintptr_t> args);

// A declared call typed by the function's own declaration (for example
// decltype(::IsWow64Process), which imports nothing): the compiler checks the
// number and kinds of the arguments, and the call still goes through
// CallDeclared and its stack check.
template <typename Signature>
struct Declared;
template <typename R, typename... P>
struct Declared<R __stdcall(P...)> {
    static uint32_t Call(uint32_t routineId, int32_t position, int index, P... args) {
        return CallDeclared(routineId, position, index, {Word(args)...});
    }

private:
    template <typename T>
    static uintptr_t Word(T value) {
        if constexpr (std::is_pointer_v<T>)
            return reinterpret_cast<uintptr_t>(value);
        else
            return static_cast<uintptr_t>(value);
    }
};

// Releases each stored module handle once and empties the lists.
void ReleaseDeclaredCalls();

// Parses "#n" into an ordinal (low 16 bits); false when name is not one.
bool ParseOrdinalName(const char* name, uint16_t* ordinal);

}  // namespace qv

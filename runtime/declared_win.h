// Operating-system functions declared by name and bound on first call.
#pragma once

#include <cstdint>
#include <initializer_list>

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

// Releases each stored module handle once and empties the lists.
void ReleaseDeclaredCalls();

// Parses "#n" into an ordinal (low 16 bits); false when name is not one.
bool ParseOrdinalName(const char* name, uint16_t* ordinal);

}  // namespace qv

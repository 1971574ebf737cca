// Text of the fatal runtime error report.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv {

// Names the report prints for a window and its component.
struct ErrorSubject {
    bool windowFound = false;
    const char* windowName = "";
    bool componentFound = false;
    const char* componentName = "";
};

// Finds the names for a window identifier and a component identifier (0: the
// window's first component).
using ErrorSubjectLookup = ErrorSubject (*)(uint32_t windowId, uint32_t componentId);

// Message of a numbered runtime error (1 to 11); empty for any other code.
const char* RuntimeErrorMessage(int code);

// Writes the box text into out (always terminated, cut to capacity): header,
// code line unless code is 0, message line unless the message is empty, then
// the position line, with the window and component names when the first
// position number is a window identifier. Returns the length written.
size_t BuildErrorText(char* out, size_t capacity, int code, const char* message, int32_t pos1, int32_t pos2,
                      ErrorSubjectLookup lookup);

// Kind field of an object identifier (bits 24 to 27): 2 window, 4 routine.
inline unsigned ObjectKind(uint32_t id) { return (id >> 24) & 0xF; }

}  // namespace qv

// The product's thirteen registry values, written in table order.
#pragma once

#include "runtime/value.h"

namespace qv::installer {

enum class RowValue {
    InstallRoot,  // the install root
    DateStamp,    // the date stamp
    Literal,      // the row's text
    RootPlus,     // install root + the row's text
    Number,       // ToNumber of the row's text, as a double
};

struct RegistryRow {
    const char* valuePath;  // key path, backslash, value name
    RowValue value;
    const char* text;
};

inline constexpr int kRegistryRowCount = 13;
extern const RegistryRow kRegistryRows[kRegistryRowCount];

// Writes every row with root key number 4 through writeValue (the
// WriteRegistryValue command), building and freeing each row's text. Null
// texts are passed as the empty text. Every row is written whatever the
// others gave; returns how many were stored (a true result).
int RegisterProduct(const char* installRoot, const char* dateStamp, Command writeValue);

}  // namespace qv::installer

// The product's three shortcuts, created in table order.
#pragma once

#include <cstdint>

#include "runtime/memory.h"
#include "runtime/value.h"

namespace qv::installer {

struct ShortcutRow {
    int32_t folderKind;    // kFolderAppData or kFolderDesktop
    const char* linkName;  // below the folder, without ".lnk"
    const char* target;    // below the install root
    const char* description;
    const char* arguments;  // null: absent
};

inline constexpr int kShortcutCount = 3;
extern const ShortcutRow kShortcuts[kShortcutCount];
// The row whose link the installer opens to start the product.
inline constexpr int kLaunchRow = 2;

// The five arguments of CreateShortcut for a row, owning their texts: link
// path (the row's folder from getFolder, the GetSpecialFolder command, + its
// name), target (install root + the row's target), description, arguments
// (absent when the row has none) and an absent working folder.
struct ShortcutCall {
    UniqueBlock<char> link, target;
    TypedValue args[5];
};
ShortcutCall ShortcutCallFor(const ShortcutRow& row, const char* installRoot, Command getFolder);

// Creates every row, in table order, through createShortcut (the
// CreateShortcut command) with five arguments: link path (the row's folder
// from getFolder, the GetSpecialFolder command, + its name), target (install
// root + the row's target), description, arguments (absent when the row has
// none) and an absent working folder. Builds and frees every text. Returns
// the rows saved: bit i for row i (the sequence goes on whatever it is).
uint32_t CreateProductShortcuts(const char* installRoot, Command getFolder, Command createShortcut);

// A fresh text: the folder of kind from getFolder + relative (null folder:
// relative alone). The caller frees it.
char* PathBelowFolder(Command getFolder, int32_t kind, const char* relative);

}  // namespace qv::installer

// The product's three shortcuts, created in table order.
#pragma once

namespace qv::installer {

struct ShortcutRow {
    int folderKind;        // 8 application data, 3 desktop
    const char* linkName;  // below the folder, without ".lnk"
    const char* target;    // below the install root
    const char* description;
    const char* arguments;  // null: absent
};

inline constexpr int kShortcutCount = 3;
extern const ShortcutRow kShortcuts[kShortcutCount];

// The shortcut opened to start the product, below the desktop folder.
inline constexpr char kLaunchLink[] = "Quorvane.lnk";

}  // namespace qv::installer

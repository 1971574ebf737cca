#include "installer/shortcuts.h"

namespace qv::installer {

#define QV_MENU_FOLDER "Microsoft\\Windows\\Start Menu\\Programs\\Quorvane\\"

const ShortcutRow kShortcuts[kShortcutCount] = {
    {8, QV_MENU_FOLDER "Quorvane", "Zentrel\\Zentrel.exe", "Quorvane", "/n"},
    {8, QV_MENU_FOLDER "Quorvane卸载", "Zentrel\\Uninstall.exe", "卸载程序", nullptr},
    {3, "Quorvane", "Zentrel\\Zentrel.exe", "Quorvane", "/n"},
};

}  // namespace qv::installer

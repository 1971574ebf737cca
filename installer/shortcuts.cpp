#include "installer/shortcuts.h"

#include "installer/product.h"
#include "runtime/memory.h"
#include "runtime/values.h"

namespace qv::installer {

const ShortcutRow kShortcuts[kShortcutCount] = {
    {kFolderAppData, QV_MENU_FOLDER "\\" QV_DISPLAY_NAME, kProgram, kDisplayName, "/n"},
    {kFolderAppData, QV_MENU_FOLDER "\\" QV_DISPLAY_NAME "卸载", kUninstaller, "卸载程序", nullptr},
    {kFolderDesktop, QV_DISPLAY_NAME, kProgram, kDisplayName, "/n"},
};

char* PathBelowFolder(Command getFolder, int32_t kind, const char* relative) {
    const TypedValue arg = MakeInt(kind);
    TypedValue folder{};
    getFolder(&folder, 1, &arg);
    UniqueBlock<char> owned(const_cast<char*>(folder.text));
    return ConcatTexts({owned.get(), relative});
}

uint32_t CreateProductShortcuts(const char* installRoot, Command getFolder, Command createShortcut) {
    uint32_t saved = 0;
    for (int i = 0; i < kShortcutCount; ++i) {
        const ShortcutRow& row = kShortcuts[i];
        UniqueBlock<char> link(PathBelowFolder(getFolder, row.folderKind, row.linkName));
        UniqueBlock<char> target(ConcatTexts({installRoot, row.target}));
        const TypedValue args[5] = {MakeText(link.get()), MakeText(target.get()), MakeText(row.description),
                                    row.arguments ? MakeText(row.arguments) : MakeAbsent(), MakeAbsent()};
        TypedValue result{};
        createShortcut(&result, 5, args);
        if (result.word) saved |= 1u << i;
    }
    return saved;
}

}  // namespace qv::installer

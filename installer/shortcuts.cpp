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

ShortcutCall ShortcutCallFor(const ShortcutRow& row, const char* installRoot, Command getFolder) {
    ShortcutCall call{UniqueBlock<char>(PathBelowFolder(getFolder, row.folderKind, row.linkName)),
                      UniqueBlock<char>(ConcatTexts({installRoot, row.target})),
                      {}};
    call.args[0] = MakeText(call.link.get());
    call.args[1] = MakeText(call.target.get());
    call.args[2] = MakeText(row.description);
    call.args[3] = row.arguments ? MakeText(row.arguments) : MakeAbsent();
    call.args[4] = MakeAbsent();
    return call;
}

uint32_t CreateProductShortcuts(const char* installRoot, Command getFolder, Command createShortcut) {
    uint32_t saved = 0;
    for (int i = 0; i < kShortcutCount; ++i) {
        const ShortcutCall call = ShortcutCallFor(kShortcuts[i], installRoot, getFolder);
        TypedValue result{};
        createShortcut(&result, 5, call.args);
        if (result.word) saved |= 1u << i;
    }
    return saved;
}

}  // namespace qv::installer

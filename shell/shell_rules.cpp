#include "shell/shell_rules.h"

#include <cstring>

#include "runtime/text.h"

namespace qv::shell {

FolderLookup LookupForKind(int32_t kind) {
    // CSIDL_PERSONAL, FAVORITES, DESKTOPDIRECTORY, FONTS, STARTMENU, PROGRAMS, STARTUP, APPDATA
    static const int kCsidl[] = {5, 6, 16, 20, 11, 2, 7, 26};
    if (kind >= 1 && kind <= 8) return {FolderSource::Shell, kCsidl[kind - 1]};
    if (kind == 9) return {FolderSource::Windows, 0};
    if (kind == 10) return {FolderSource::System, 0};
    if (kind == 11) return {FolderSource::Temp, 0};
    return {FolderSource::None, 0};
}

bool NeedsSeparator(const char* text, size_t length) { return length > 0 && text[length - 1] != '\\'; }

bool NeedsLinkSuffix(const char* linkPath) {
    if (!linkPath) return true;
    const ptrdiff_t cut = FindLastSeparator(linkPath, false);
    return std::strchr(linkPath + (cut + 1), '.') == nullptr;
}

const char* VerbFor(int32_t verbNumber) {
    static const char* const kVerbs[] = {"edit", "explore", "find", "open", "print"};
    return verbNumber >= 1 && verbNumber <= 5 ? kVerbs[verbNumber - 1] : nullptr;
}

int ShowCommandFor(int argc, const TypedValue* args) {
    // SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED, SW_SHOWNA, SW_MINIMIZE
    static const int kShow[] = {0, 1, 2, 3, 8, 6};
    if (argc > 4 && IsPresent(args[4]) && args[4].i32 >= 1 && args[4].i32 <= 6) return kShow[args[4].i32 - 1];
    return 1;
}

}  // namespace qv::shell

// Shell services: special folders, shortcut files and shell verbs. COM must
// be initialised on the calling thread (start-up does it); the commands never
// initialise it.
#pragma once

#include "runtime/runtime_win.h"
#include "runtime/value.h"

namespace qv::shell {

// The support library entry of the shell services.
extern const SupportLibrary kShellLibrary;

// 1: folder kind. Yields a fresh text ending in one "\" (result.text), or null
// for a kind outside 1 to 11 or a failed lookup. A missing folder is never
// created. A 259-byte path still gets its separator. A folder of the shell
// (kinds 1 to 8) is held (HoldUserFolder), where it is found the first time.
void GetSpecialFolder(TypedValue* result, int argc, const TypedValue* args);

// 1: link path, 2: target, 3: description, 4: arguments, 5: working folder
// (4 and 5 read only when five arguments are passed). ".lnk" is appended when
// the file name has no dot. Yields true exactly when the link was saved; a
// path over 255 bytes that would need the suffix yields false, nothing written.
// The link object is saved to memory and written through OpenForReplace: a
// link file or folder that is itself a link (or reached through one below a
// held folder), or one the user could not have written, yields false, and
// nothing is written.
void CreateShortcut(TypedValue* result, int argc, const TypedValue* args);

// True when file, read from its start, holds exactly the link that
// CreateShortcut would save for these arguments (the link path aside). COM
// as above.
[[nodiscard]] bool ShortcutIs(HANDLE file, int argc, const TypedValue* args);

// Asks the user's own shell (the desktop's shell view, which runs unelevated)
// to open file. True when it was asked. COM as above.
[[nodiscard]] bool OpenThroughUsersShell(const char* file);

// 1: verb number, 2: file, 3: parameters, 4: working folder, 5: show mode.
// One ShellExecuteA; nothing is returned.
void ExecuteShellVerb(TypedValue* result, int argc, const TypedValue* args);

}  // namespace qv::shell

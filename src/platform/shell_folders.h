// The user's folders as the Windows shell names them (Documents, the user's
// profile), looked up at run time like XInput: the shell's libraries are
// loaded with LoadLibraryA, so the plug-in's import list stays as it is. On
// Linux the POSIX stand-in asks the host program the same way.
#pragma once

#include <cstdint>
#include <string>

namespace Velloquin {

enum class ShellFolder { Documents, Profile };

// The folder's path as UTF-8 text without a trailing separator; empty when
// the shell cannot be loaded or does not know the folder.
std::string FindShellFolder(ShellFolder folder);

}  // namespace Velloquin

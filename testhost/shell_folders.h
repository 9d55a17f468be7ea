// The user's folders as the host's shell names them, for the plug-in's log:
// the profile is <game folder>\Users\Player and Documents lies in it, so a
// session finds the log below its game folder in both builds. The plug-in
// looks up SHGetKnownFolderPath and CoTaskMemFree at run time
// (LoadLibraryA/GetProcAddress); the host answers those lookups.
#pragma once

#include <string>

namespace TestHost {

// The folders below the game folder, as a session names them.
inline constexpr const char* profileFolderBelowGame = "Users\\Player";
inline constexpr const char* documentsFolderBelowGame = "Users\\Player\\Documents";

// Whether the shell knows a Documents folder (it does at first).
void SetDocumentsKnown(bool known);
void ResetShellFolders();

namespace Seam {
// shell32.dll and ole32.dll are the host's; `handled` is false for any other library.
void* LoadShellLibrary(const char* fileName, bool& handled);
void* ShellProcAddress(void* module, const char* name, bool& handled);
}  // namespace Seam

}  // namespace TestHost

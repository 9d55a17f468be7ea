// The user's folders as the host's shell names them, for the plug-in's log:
// the profile is <game folder>\Users\Player (or another folder below the
// game folder, SetProfileFolder) and Documents lies in it, so a session finds
// the log below its game folder in both builds. The plug-in
// looks up SHGetKnownFolderPath and CoTaskMemFree at run time
// (LoadLibraryA/GetProcAddress); the host answers those lookups.
#pragma once

#include <string>

namespace TestHost {

// The folders below the game folder at first, as a session names them.
inline constexpr const char* profileFolderBelowGame = "Users\\Player";
inline constexpr const char* documentsFolderBelowGame = "Users\\Player\\Documents";

// Whether the shell knows a Documents folder (it does at first).
void SetDocumentsKnown(bool known);
// The profile folder below the game folder (UTF-8, any name); Documents is
// its folder "Documents" unless `documents` names another (below the game folder).
void SetProfileFolder(const std::string& profile, const std::string& documents = {});
// The profile and Documents folders below the game folder, as they are now.
std::string ProfileFolderBelowGame();
std::string DocumentsFolderBelowGame();
void ResetShellFolders();

namespace Seam {
// shell32.dll and ole32.dll are the host's; `handled` is false for any other library.
void* LoadShellLibrary(const char* fileName, bool& handled);
void* ShellProcAddress(void* module, const char* name, bool& handled);
}  // namespace Seam

}  // namespace TestHost

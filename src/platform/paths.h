// The plug-in names its files with Windows paths (".\Data\QVEX\Plugins\...").
// NativePath turns such a path into one the platform's file functions take:
// unchanged on Windows; on POSIX backslashes as slashes and each part of the
// path matched to an existing name without regard to letter case, as Windows
// matches them.
#pragma once

#include <string>

namespace Velloquin {

std::string NativePath(const std::string& path);

// A path that the plug-in names relative to the game's working folder
// (".\Data\QVEX\Plugins\..."), taken below gameFolder instead; the path as it
// is when gameFolder is empty (the working folder, as in the game). Tools
// that read a player's files use it instead of changing the current folder.
inline std::string InGameFolder(const std::string& gameFolder, const std::string& path) {
    if (gameFolder.empty()) return path;
    const char last = gameFolder.back();
    return gameFolder + (last == '\\' || last == '/' ? "" : "\\") + path;
}

// Puts the file `source` in the place of `target` in one step (both Windows
// paths, in one folder): at any moment `target` is the old file or the new one.
// A target that is read-only or a folder is refused, on every platform and
// under every Windows emulation alike (error ERROR_FILE_READ_ONLY). False when
// nothing was replaced; the last error then says why.
bool ReplaceFileInOneStep(const std::string& source, const std::string& target);

}  // namespace Velloquin

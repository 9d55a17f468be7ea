// The plug-in names its files with Windows paths (".\Data\QVEX\Plugins\...").
// NativePath turns such a path into one the platform's file functions take:
// unchanged on Windows; on POSIX backslashes as slashes and each part of the
// path matched to an existing name without regard to letter case, as Windows
// matches them.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace Velloquin {

std::string NativePath(const std::string& path);

// The file system's path of UTF-8 text taken as it is (Utf8Path), and of a
// path the plug-in names (FilePath): NativePath's path. Both are made
// from UTF-16 on Windows, never through the ANSI code page, so that a game
// folder or profile with any name (Cyrillic, Chinese, accented) is found.
inline std::filesystem::path Utf8Path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}
inline std::filesystem::path FilePath(const std::string& path) { return Utf8Path(NativePath(path)); }

// A path of the file system as UTF-8 text (path::string() goes through the
// ANSI code page on Windows and cannot name every folder).
inline std::string PathText(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// The 8.3 form of an existing path (UTF-8), as GetShortPathNameW gives it,
// and the long form of a path that may be given in 8.3 form
// (GetLongPathNameW); the path as it is where the file system has no such
// forms (POSIX, a volume with 8.3 names turned off) or the path does not exist.
std::string ShortPath(const std::string& path);
std::string LongPath(const std::string& path);

// An environment variable as UTF-8 (read through the wide call on Windows);
// empty when it is not set.
std::string EnvironmentText(const char* name);

// GetPrivateProfileStringA on the file at `path` (UTF-8): the section, key,
// default and the value are the ANSI call's bytes; on Windows the file is
// named through the wide call, so that it is found below any folder name.
// The value is cut to fit `bufferSize` bytes with its terminator.
std::string ReadProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                              const std::string& path, std::size_t bufferSize);

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

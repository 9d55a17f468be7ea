// The game's working folder: the plug-in names its files relative to it
// (".\Data\QVEX\Plugins\..."). On first use the host makes a fresh temporary
// folder and makes it the process's current folder, so those names resolve
// inside it on both builds; it is removed when the process ends normally.
#pragma once

#include <string>

namespace TestHost {

// Paths here are UTF-8 text (on Windows too: a folder may have any name).

// The folder's absolute path (made and entered on first use).
const std::string& GameFolder();

// Moves the game to a folder of that name (UTF-8, "\\" or "/" between its
// parts, such as "Spiele Жизнь\\Halvorine") below the host's temporary folder,
// made and entered; the files of the folder before stay behind, unseen. So a
// test chooses a game folder below names that are not ASCII or have blanks.
void MoveGameFolder(const std::string& name);

// The absolute path of a file below the game folder; relativePath may use
// backslashes or slashes and may start with ".\".
std::string GameFilePath(const std::string& relativePath);

// Writes content exactly (binary), making the folders on the way.
void WriteGameFile(const std::string& relativePath, const std::string& content);
// Content of a file below the game folder; empty when it cannot be read.
std::string ReadGameFile(const std::string& relativePath);
bool GameFileExists(const std::string& relativePath);
// Removes a file or a whole folder below the game folder; false when nothing was there.
bool RemoveGameFile(const std::string& relativePath);
// Empties the game folder (and enters it again if a test left it).
void ClearGameFolder();

}  // namespace TestHost

// Session steps about the plug-in's log: showing it, and the places it cannot use.
#pragma once

#include <ostream>
#include <string>

namespace TestHost {

// Where the plug-in writes its log in a session (below the game folder).
inline constexpr const char* documentsLogPath = "Users\\Player\\Documents\\My Games\\Halvorine\\QVEX\\";
inline constexpr const char* itemsFolderLogPath = "Data\\QVEX\\Plugins\\Velloquin\\";

// Prints the log (Velloquin.log, or Velloquin.old.log when old) from the
// Documents folder's log folder, else from beside the items files. Each line
// is printed with its time column as "[time]" (checked, not shown: times
// depend on the machine) and every 16-digit hexadecimal address as
// "<address>"; a line not ended by CR LF or with no time column says so.
void ShowLog(std::ostream& out, bool old);

// Puts an empty file in the place of a folder, so that nothing can be made in
// it: a folder that cannot be written, on every platform and for every user.
void BlockFolder(std::ostream& out, const std::string& path);

}  // namespace TestHost

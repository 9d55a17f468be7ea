// velloquin-doctor: tells a player what their settings files do, and why a
// line has no effect, using the plug-in's own settings code.
#pragma once

#include <ostream>
#include <string>

namespace Velloquin {

// Examines the settings and items files in the folder Data/QVEX/Plugins of gameFolder
// and writes the report to out (text for a player, or JSON for tools).
// Returns 0 when nothing needs attention, 1 when there are warnings, 2 when
// the folder has no settings file at all (or cannot be entered).
int RunDoctor(const std::string& gameFolder, bool json, std::ostream& out);

}  // namespace Velloquin

// Session scripts: a plain text file, one step per line, that sets up the
// game's folder and world, loads the plug-in, plays the game and prints a
// transcript of what the game saw.
#pragma once

#include <iosfwd>
#include <string>

namespace TestHost {

// Runs the script read from `in`; the transcript goes to `out`. Returns the
// process exit status (0 when the script ran to its end).
int RunSession(std::istream& in, std::ostream& out, const std::string& scriptName);

}  // namespace TestHost

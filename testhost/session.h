// Session scripts: a plain text file, one step per line, that sets up the
// game's folder and world, loads the plug-in, plays the game and prints a
// transcript of what the game saw.
#pragma once

#include <iosfwd>
#include <cstddef>
#include <string>
#include <vector>

namespace TestHost {

// One step of the session language, as `velloquin-host --help` and README's
// step table show it.
struct SessionStep {
    const char* name;
    const char* arguments;    // the words after the name, as help shows them
    std::size_t minimumWords;  // fewer words stop the script with an error
    const char* help;          // one line
};

// Every step, in the order of README's table.
std::vector<SessionStep> SessionSteps();

// Runs the script read from `in`; the transcript goes to `out`. Returns the
// process exit status (0 when the script ran to its end).
int RunSession(std::istream& in, std::ostream& out, const std::string& scriptName);

}  // namespace TestHost

// velloquin-doctor's command line and its console, apart from main() so that
// the tests drive it: arguments as UTF-8 text (read wide on Windows), output
// through the console's writer, and the wait for Enter when the doctor was
// started by a double-click (its console window closes when it ends).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace Velloquin::Doctor {

struct Console {
    std::function<void(const std::string&)> write;       // UTF-8 text to the standard output
    std::function<void(const std::string&)> writeError;  // UTF-8 text to the error output
    std::function<bool(std::string&)> readLine;          // one line typed, UTF-8; false at the input's end
    bool ownWindow = false;    // the console is the doctor's own (started from Explorer): it closes with the doctor
    std::string programFolder;  // the folder of velloquin-doctor.exe (UTF-8)
};

// Runs the doctor for these arguments (without the program's name); returns
// the exit status. In its own window it waits for Enter before it returns,
// and offers to make a bundle beside the program (B, then Enter).
int RunCommand(const std::vector<std::string>& args, const Console& console);

// The console of this process: the standard streams, written through
// WriteConsoleW when they are a Windows console (so that every script reads
// right) and as UTF-8 bytes when redirected to a file or a pipe.
Console ProcessConsole();

}  // namespace Velloquin::Doctor

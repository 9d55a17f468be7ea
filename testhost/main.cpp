// velloquin-host SCRIPT: plays a session script with the plug-in loaded as
// the game loads it, and prints the transcript.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "session.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // The transcript is the same bytes in both builds: line feeds only.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::printf("usage: velloquin-host SCRIPT\n\nSteps, one a line (# starts a comment). Words are parted by blanks;\n"
                    "a word in double quotes keeps its blanks (\"Users\\Player\\Documents\\My Games\"):\n");
        for (const TestHost::SessionStep& step : TestHost::SessionSteps())
            std::printf("  %s%s%s\n      %s\n", step.name, *step.arguments ? " " : "", step.arguments, step.help);
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: velloquin-host SCRIPT\n       velloquin-host --help\n");
        return 2;
    }
    std::ifstream script(argv[1]);
    if (!script) {
        std::fprintf(stderr, "velloquin-host: cannot read %s\n", argv[1]);
        return 2;
    }
    return TestHost::RunSession(script, std::cout, argv[1]);
}

// velloquin-doctor [--json] [GAME_FOLDER]
#include <cstring>
#include <iostream>
#include <string>

#include "doctor/doctor.h"

int main(int argc, char** argv) {
    bool json = false;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json") {
            json = true;
        } else if (arg == "-h" || arg == "--help" || arg == "/?") {
            std::cout << "Usage: velloquin-doctor [--json] [GAME_FOLDER]\n"
                         "Explains what Velloquin.ini and VelloquinCustom.ini in GAME_FOLDER\\Data\\QVEX\\Plugins\\\n"
                         "do (default: the current folder), and why a line has no effect.\n"
                         "Exit status: 0 no warnings, 1 warnings, 2 no settings file found.\n";
            return 0;
        } else if (folder.empty() && (arg.empty() || arg[0] != '-')) {
            folder = arg;
        } else {
            std::cerr << "velloquin-doctor: unexpected argument " << arg << " (try --help)\n";
            return 2;
        }
    }
    return Velloquin::RunDoctor(folder, json, std::cout);
}

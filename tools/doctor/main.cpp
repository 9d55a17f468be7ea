// velloquin-doctor [--json] [GAME_FOLDER]
// velloquin-doctor --bundle FILE.zip [--documents FOLDER] [GAME_FOLDER]
#include <cstring>
#include <iostream>
#include <string>

#include "doctor/bundle.h"
#include "doctor/doctor.h"

int main(int argc, char** argv) {
    bool json = false;
    bool bundle = false;
    Velloquin::Doctor::BundleOptions options;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json") {
            json = true;
        } else if ((arg == "--bundle" || arg == "--documents") && i + 1 < argc) {
            bundle = bundle || arg == "--bundle";
            (arg == "--bundle" ? options.zipPath : options.documents) = argv[++i];
        } else if (arg == "-h" || arg == "--help" || arg == "/?") {
            std::cout << "Usage: velloquin-doctor [--json] [GAME_FOLDER]\n"
                         "       velloquin-doctor --bundle FILE.zip [--documents FOLDER] [GAME_FOLDER]\n"
                         "Explains what Velloquin.ini and VelloquinCustom.ini in GAME_FOLDER\\Data\\QVEX\\Plugins\\\n"
                         "do (default: the current folder), and why a line has no effect.\n"
                         "Exit status: 0 no warnings, 1 warnings, 2 no settings file found.\n"
                         "--bundle writes FILE.zip for a bug report: the settings and items files, the plug-in's\n"
                         "logs (from FOLDER\\My Games\\Halvorine\\QVEX\\, FOLDER being your Documents folder unless\n"
                         "given, and from the items folder), this report and the DLL's version and SHA-256.\n"
                         "Exit status: 0 written, 3 not written (the reason is printed).\n";
            return 0;
        } else if (folder.empty() && (arg.empty() || arg[0] != '-')) {
            folder = arg;
        } else {
            std::cerr << "velloquin-doctor: unexpected argument " << arg << " (try --help)\n";
            return 2;
        }
    }
    if (bundle) {
        options.gameFolder = folder;
        return Velloquin::Doctor::WriteBundle(options, std::cout, std::cerr);
    }
    return Velloquin::RunDoctor(folder, json, std::cout);
}

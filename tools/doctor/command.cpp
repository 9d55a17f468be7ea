#include "doctor/command.h"

#include <sstream>

#include "doctor/bundle.h"
#include "doctor/doctor.h"

namespace Velloquin::Doctor {

namespace {

constexpr const char* usage =
    "Usage: velloquin-doctor [--json] [GAME_FOLDER]\n"
    "       velloquin-doctor [GAME_FOLDER] --bundle [FILE.zip] [--documents FOLDER]\n"
    "Explains what Velloquin.ini and VelloquinCustom.ini in GAME_FOLDER\\Data\\QVEX\\Plugins\\\n"
    "do (default: the current folder), and why a line has no effect. Double-click the doctor in\n"
    "the game folder, or drop the game folder onto it.\n"
    "Exit status: 0 no warnings, 1 warnings, 2 no settings file found.\n"
    "--bundle writes FILE.zip for a bug report: the settings and items files, the plug-in's\n"
    "logs (from FOLDER\\My Games\\Halvorine\\QVEX\\, FOLDER being your Documents folder unless\n"
    "given, and from the items folder), this report and the DLL's version and SHA-256. Without\n"
    "FILE.zip it makes a new Velloquin-report-<date>-<time>.zip in the current folder. It never\n"
    "replaces a file.\n"
    "Exit status: 0 written, 3 not written (the reason is printed).\n";

bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

int RunCommand(const std::vector<std::string>& args, const Console& console) {
    bool json = false;
    bool bundle = false;
    BundleOptions options;
    std::string folder;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--json") {
            json = true;
        } else if (arg == "--bundle") {
            bundle = true;
            // The name is optional: without one (the last argument, or an option next), a fresh name.
            if (i + 1 < args.size() && !IsOption(args[i + 1])) options.zipPath = args[++i];
        } else if (arg == "--documents" && i + 1 < args.size()) {
            options.documents = args[++i];
        } else if (arg == "-h" || arg == "--help" || arg == "/?") {
            console.write(usage);
            return 0;
        } else if (folder.empty() && !IsOption(arg)) {
            folder = arg;
        } else {
            console.writeError("velloquin-doctor: unexpected argument " + arg + " (try --help)\n");
            return 2;
        }
    }

    std::ostringstream out, err;
    int status = 0;
    if (bundle) {
        options.gameFolder = folder;
        status = WriteBundle(options, out, err);
    } else {
        status = RunDoctor(folder, json, out);
        if (status == 2 && console.ownWindow)
            out << "Put velloquin-doctor.exe into the game folder (the one that holds Halvorine.exe) and double-click\n"
                   "it there, or drop the game folder onto velloquin-doctor.exe.\n";
    }
    console.write(out.str());
    if (!err.str().empty()) console.writeError(err.str());
    if (!console.ownWindow) return status;

    // Started from Explorer: the window closes with the doctor, so it waits.
    std::string line;
    if (!bundle) {
        console.write("\nPress Enter to close this window, or B and then Enter to make a bug-report bundle (a .zip\n"
                      "file beside velloquin-doctor.exe) to attach to a report.\n");
        if (!console.readLine(line) || (Trimmed(line) != "b" && Trimmed(line) != "B")) return status;
        BundleOptions fresh;
        fresh.gameFolder = folder;
        fresh.freshFolder = console.programFolder;
        std::ostringstream bundleOut, bundleErr;
        WriteBundle(fresh, bundleOut, bundleErr);
        console.write("\n" + bundleOut.str());
        if (!bundleErr.str().empty()) console.writeError(bundleErr.str());
    }
    console.write("\nPress Enter to close this window.\n");
    console.readLine(line);
    return status;
}

}  // namespace Velloquin::Doctor

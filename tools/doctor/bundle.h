// velloquin-doctor --bundle [FILE.zip]: one file a player attaches to a bug
// report, holding what a report needs and nothing else.
#pragma once

#include <ctime>
#include <filesystem>
#include <ostream>
#include <string>

namespace Velloquin::Doctor {

struct BundleOptions {
    std::string gameFolder;  // empty: the current folder
    std::string zipPath;     // empty: a fresh name in freshFolder
    std::string freshFolder; // where a fresh name goes; empty: the current folder
    std::string documents;   // the user's Documents folder; empty: asked of the system
};

// Writes the bundle: both settings files, the characters' items files, the
// plug-in's two logs (in Documents\My Games\Halvorine\QVEX\ or beside the items
// files), the doctor's report as text and JSON, and bundle.txt with the DLL's
// version and SHA-256 and where each file was looked for. Every text in it
// has the user's folders and name redacted (core/redact.h).
// It never replaces a file: a path that exists, a name not ending in .zip, or
// a path inside a folder it gathers from is refused. The archive is written
// under a temporary name and moved into place when complete, so a failure
// leaves no file. Returns 0 when written (and says where); otherwise says why
// on err and returns 3, with nothing changed on disk.
int WriteBundle(const BundleOptions& options, std::ostream& out, std::ostream& err);

// "Velloquin-report-2026-12-08-161530.zip" for that local time; with a
// number (2, 3, ...) before ".zip" when that name is taken.
std::string FreshBundleName(const std::tm& now, int number);

}  // namespace Velloquin::Doctor

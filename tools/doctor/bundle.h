// velloquin-doctor --bundle FILE.zip: one file a player attaches to a bug
// report, holding what a report needs and nothing else.
#pragma once

#include <ostream>
#include <string>

namespace Velloquin::Doctor {

struct BundleOptions {
    std::string gameFolder;  // empty: the current folder
    std::string zipPath;
    std::string documents;   // the user's Documents folder; empty: asked of the system
};

// Writes the bundle: both settings files, the characters' items files, the
// plug-in's two logs (in Documents\My Games\Halvorine\QVEX\ or beside the items
// files), the doctor's report as text and JSON, and bundle.txt with the DLL's
// version and SHA-256 and where each file was looked for. Paths in what the
// doctor writes show the user's profile as %USERPROFILE% and no user name.
// The archive is written under a temporary name and renamed when complete, so
// a failure leaves no partial file. Returns 0 when written; otherwise says why
// on err and returns 3.
int WriteBundle(const BundleOptions& options, std::ostream& out, std::ostream& err);

}  // namespace Velloquin::Doctor

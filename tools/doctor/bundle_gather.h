// What goes into a bundle: the player's files, found where the plug-in keeps
// them, each with a line of the bundle's summary saying where it was looked for.
#pragma once

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/redact.h"
#include "doctor/zip_writer.h"

namespace Velloquin::Doctor {

// The user's Documents folder as the shell knows it (it may have been moved,
// for example into OneDrive), found as the plug-in finds it for its log; else
// the profile's Documents.
std::string DocumentsFolder();

// The folder of the plug-in's log below a Documents folder.
std::filesystem::path LogFolderIn(const std::string& documents);

struct BundleFiles {
    std::vector<ZipEntry> entries;
    std::ostringstream summary;  // for bundle.txt
};

// Adds both settings files, the characters' items files, the plug-in's logs
// and the line on its DLL, every file's text redacted. `shown` writes a path
// as the summary names it.
void GatherBundleFiles(const std::filesystem::path& plugins, const std::string& documents, const Redaction& redaction,
                       const std::function<std::string(const std::filesystem::path&)>& shown, BundleFiles& files);

}  // namespace Velloquin::Doctor

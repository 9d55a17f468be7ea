// What goes into a bundle: the player's files, found where the plug-in keeps
// them, each with a line of the bundle's summary saying where it was looked for.
#pragma once

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "doctor/zip_writer.h"

namespace Velloquin::Doctor {

// The user's profile folder and name, as the bundle's redaction hides them.
std::string ProfileFolder();
std::string UserName();

// The user's Documents folder as the shell knows it (it may have been moved,
// for example into OneDrive), found as the plug-in finds it for its log.
std::string DocumentsFolder();

std::string TextOf(const std::filesystem::path& path);

struct BundleFiles {
    std::vector<ZipEntry> entries;
    std::ostringstream summary;  // for bundle.txt
};

// Adds both settings files, the characters' items files, the plug-in's logs
// and the line on its DLL. `shown` writes a path as the summary names it;
// `redact` is applied to the logs' text.
void GatherBundleFiles(const std::filesystem::path& plugins, const std::string& documents,
                       const std::function<std::string(const std::filesystem::path&)>& shown,
                       const std::function<std::string(const std::string&)>& redact, BundleFiles& files);

}  // namespace Velloquin::Doctor

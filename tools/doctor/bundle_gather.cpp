#include "doctor/bundle_gather.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <system_error>

#include "core/log.h"
#include "doctor/library_version.h"
#include "doctor/sha256.h"
#include "doctor/findings.h"
#include "persistence/items_file.h"
#include "platform/paths.h"
#include "platform/shell_folders.h"

namespace Velloquin::Doctor {

namespace fs = std::filesystem;

namespace {

// Larger files are cut: a report needs their start, and the archive stays far
// below the 4 GiB a plain zip can hold. The plug-in's log stops at 1 MiB.
constexpr std::size_t largestFile = 8 << 20;

// The file's bytes (cut at largestFile); none when it is not a readable file.
std::optional<std::string> ReadFileBytes(const fs::path& path, bool& cut) {
    cut = false;
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(largestFile + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return std::nullopt;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > largestFile) {
        bytes.resize(largestFile);
        cut = true;
    }
    return bytes;
}

}  // namespace

std::string DocumentsFolder() {
    if (std::string documents = FindShellFolder(ShellFolder::Documents); !documents.empty()) return documents;
#ifdef _WIN32
    const std::string profile = EnvironmentText("USERPROFILE");
#else
    const std::string profile = EnvironmentText("HOME");
#endif
    return profile.empty() ? std::string() : PathText(FilePath(profile) / "Documents");
}

// The Documents log folder as an archive entry's folder ('/' between parts).
std::string LogFolderEntry() {
    std::string folder = documentsLogFolder;
    std::replace(folder.begin(), folder.end(), '\\', '/');
    return folder;
}

fs::path LogFolderIn(const std::string& documents) {
    std::error_code error;
    return fs::absolute(FilePath(documents), error) / Utf8Path(LogFolderEntry());
}

void GatherBundleFiles(const fs::path& plugins, const std::string& documents, const Redaction& redaction,
                       const std::function<std::string(const fs::path&)>& shown, BundleFiles& files) {
    std::ostringstream& summary = files.summary;
    std::error_code error;
    // Every file's text is redacted: a settings or items file may name a path too.
    const auto gather = [&](const fs::path& path, const std::string& entry) {
        bool cut = false;
        std::optional<std::string> bytes = ReadFileBytes(path, cut);
        summary << "  " << shown(path) << ": ";
        if (!bytes) {
            summary << "not found\n";
            return;
        }
        summary << "included as " << entry << (cut ? " (cut at 8 MiB)" : "") << "\n";
        files.entries.push_back({entry, Redact(*bytes, redaction)});
    };

    summary << "Settings and items files:\n";
    gather(plugins / "Velloquin.ini", "Data/QVEX/Plugins/Velloquin.ini");
    gather(plugins / "VelloquinCustom.ini", "Data/QVEX/Plugins/VelloquinCustom.ini");
    const fs::path items = plugins / "Velloquin";
    if (!fs::is_directory(items, error))
        summary << "  " << shown(items) << ": the items folder is missing (every save of the slots fails)\n";
    // Exactly the files the doctor checks as items files.
    for (const std::string& name : ItemsFolderFiles(PathText(items)))
        if (IsItemsFileName(name)) gather(items / Utf8Path(name), "Data/QVEX/Plugins/Velloquin/" + name);

    summary << "Logs of the plug-in:\n";
    if (!documents.empty()) {
        const fs::path logs = LogFolderIn(documents);
        // The log's folder and names as the plug-in writes them (core/log.h), every name a log may have.
        for (const char* name : logFileNames) gather(logs / name, LogFolderEntry() + "/" + name);
    } else {
        summary << "  the Documents folder is not known\n";
    }
    for (const char* name : logFileNames) gather(items / name, std::string("Data/QVEX/Plugins/Velloquin/") + name);

    // The plug-in itself: which build the player runs.
    summary << "The plug-in:\n";
    bool cut = false;
    const fs::path library = plugins / "Velloquin.dll";
    if (const auto bytes = ReadFileBytes(library, cut); bytes && !cut) {
        const auto version = PluginVersionOfLibrary(*bytes);
        summary << "  " << shown(library) << ": version " << (version ? *version : std::string("unknown (not the plug-in's DLL)"))
                << ", " << bytes->size() << " bytes, SHA-256 " << Sha256Hex(*bytes) << "\n";
    } else {
        summary << "  " << shown(library) << ": " << (bytes ? "larger than 8 MiB, not the plug-in's DLL" : "not found") << "\n";
    }
}

}  // namespace Velloquin::Doctor

#include "doctor/bundle_gather.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <system_error>

#include "doctor/library_version.h"
#include "doctor/sha256.h"
#include "platform/shell_folders.h"

namespace Velloquin::Doctor {

namespace fs = std::filesystem;

namespace {

// Larger files are cut: a report needs their start, and the archive stays far
// below the 4 GiB a plain zip can hold. The plug-in's log stops at 1 MiB.
constexpr std::size_t largestFile = 8 << 20;

const char* const logNames[] = {"Velloquin.log", "Velloquin.old.log"};

fs::path PathOf(const std::string& text) { return fs::u8path(text); }

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

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::string TextOf(const fs::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

std::string ProfileFolder() {
#ifdef _WIN32
    return Environment("USERPROFILE");
#else
    return Environment("HOME");
#endif
}

std::string UserName() {
#ifdef _WIN32
    return Environment("USERNAME");
#else
    return Environment("USER");
#endif
}

std::string DocumentsFolder() {
    if (std::string documents = FindShellFolder(ShellFolder::Documents); !documents.empty()) return documents;
    const std::string profile = ProfileFolder();
    return profile.empty() ? std::string() : TextOf(PathOf(profile) / "Documents");
}

void GatherBundleFiles(const fs::path& plugins, const std::string& documents,
                       const std::function<std::string(const fs::path&)>& shown,
                       const std::function<std::string(const std::string&)>& redact, BundleFiles& files) {
    std::ostringstream& summary = files.summary;
    std::error_code error;
    const auto gather = [&](const fs::path& path, const std::string& entry, bool redacted) {
        bool cut = false;
        std::optional<std::string> bytes = ReadFileBytes(path, cut);
        summary << "  " << shown(path) << ": ";
        if (!bytes) {
            summary << "not found\n";
            return;
        }
        summary << "included as " << entry << (cut ? " (cut at 8 MiB)" : "") << "\n";
        files.entries.push_back({entry, redacted ? redact(*bytes) : std::move(*bytes)});
    };

    summary << "Settings and items files:\n";
    gather(plugins / "Velloquin.ini", "Data/QVEX/Plugins/Velloquin.ini", false);
    gather(plugins / "VelloquinCustom.ini", "Data/QVEX/Plugins/VelloquinCustom.ini", false);
    const fs::path items = plugins / "Velloquin";
    std::vector<fs::path> itemsFiles;
    for (fs::directory_iterator it(items, error); !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = TextOf(it->path().filename());
        if (name.rfind("VelloquinItems_", 0) == 0 && name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0)
            itemsFiles.push_back(it->path());
    }
    std::sort(itemsFiles.begin(), itemsFiles.end());
    if (!fs::is_directory(items, error))
        summary << "  " << shown(items) << ": the items folder is missing (every save of the slots fails)\n";
    for (const fs::path& file : itemsFiles)
        gather(file, "Data/QVEX/Plugins/Velloquin/" + TextOf(file.filename()), false);

    summary << "Logs of the plug-in:\n";
    if (!documents.empty()) {
        const fs::path logs = fs::absolute(PathOf(documents), error) / "My Games" / "Halvorine" / "QVEX";
        for (const char* name : logNames) gather(logs / name, std::string("My Games/Halvorine/QVEX/") + name, true);
    } else {
        summary << "  the Documents folder is not known\n";
    }
    for (const char* name : logNames) gather(items / name, std::string("Data/QVEX/Plugins/Velloquin/") + name, true);

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

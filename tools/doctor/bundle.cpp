#include "doctor/bundle.h"
#include "platform/shell_folders.h"
#include "core/log.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "doctor/findings.h"
#include "doctor/sha256.h"
#include "doctor/zip_writer.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace Velloquin::Doctor {

namespace fs = std::filesystem;

namespace {

// Larger files are cut: a report needs their start, and the archive stays far
// below the 4 GiB a plain zip can hold. The plug-in's log stops at 1 MiB.
constexpr std::size_t largestFile = 8 << 20;

fs::path PathOf(const std::string& text) { return fs::u8path(text); }

std::string TextOf(const fs::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

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

// The user's Documents folder as the shell knows it (it may have been moved,
// for example into OneDrive), found as the plug-in finds it for its log.
std::string DocumentsFolder() {
    if (std::string documents = FindShellFolder(ShellFolder::Documents); !documents.empty()) return documents;
    const std::string profile = ProfileFolder();
    return profile.empty() ? std::string() : TextOf(PathOf(profile) / "Documents");
}

char Folded(char c) {
    if (c == '/') return '\\';
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameAt(std::string_view text, std::size_t at, std::string_view part) {
    if (at + part.size() > text.size()) return false;
    for (std::size_t i = 0; i < part.size(); ++i)
        if (Folded(text[at + i]) != Folded(part[i])) return false;
    return true;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Where a path part may end: a separator, the end of a line or a quote.
bool EndsPart(std::string_view text, std::size_t at) {
    return at >= text.size() || IsSeparator(text[at]) || text[at] == '\n' || text[at] == '\r' || text[at] == '"' ||
           text[at] == '\'' || text[at] == ' ' || text[at] == ')' || text[at] == ':';
}

std::string Today(const std::tm& now) {
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &now);
    return text;
}

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint16_t Read16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

}  // namespace

std::string RedactUser(std::string_view text, std::string_view profile, std::string_view user) {
    while (!profile.empty() && IsSeparator(profile.back())) profile.remove_suffix(1);
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        // The profile where a path starts (not inside a longer name or path).
        const bool pathStart = at == 0 || !(std::isalnum(static_cast<unsigned char>(text[at - 1])) ||
                                            IsSeparator(text[at - 1]) || text[at - 1] == '_');
        if (profile.size() > 1 && pathStart && SameAt(text, at, profile) && EndsPart(text, at + profile.size())) {
            out += "%USERPROFILE%";
            at += profile.size();
            continue;
        }
        // The user name as a whole part of a path: \name\ or \name at a part's end.
        if (!user.empty() && at > 0 && IsSeparator(text[at - 1]) && SameAt(text, at, user) &&
            EndsPart(text, at + user.size())) {
            out += "%USERNAME%";
            at += user.size();
            continue;
        }
        out += text[at++];
    }
    return out;
}

std::optional<std::string> PluginVersionOfLibrary(std::string_view bytes) {
    const auto fits = [&](std::size_t at, std::size_t size) { return at <= bytes.size() && size <= bytes.size() - at; };
    if (!fits(0, 0x40) || bytes.substr(0, 2) != "MZ") return std::nullopt;
    const std::size_t pe = Read32(bytes, 0x3C);
    if (!fits(pe, 24) || bytes.substr(pe, 4) != std::string_view("PE\0\0", 4)) return std::nullopt;
    const std::size_t sectionCount = Read16(bytes, pe + 6);
    const std::size_t optional = pe + 24;
    const std::size_t optionalSize = Read16(bytes, pe + 20);
    if (!fits(optional, 120) || Read16(bytes, optional) != 0x20B) return std::nullopt;  // PE32+ only
    const std::uint32_t exportRva = Read32(bytes, optional + 112);
    // A relative address to a file offset, through the section table.
    const auto offsetOf = [&](std::uint32_t rva) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < sectionCount; ++i) {
            const std::size_t at = optional + optionalSize + 40 * i;
            if (!fits(at, 40)) return std::nullopt;
            const std::uint32_t address = Read32(bytes, at + 12), rawSize = Read32(bytes, at + 16);
            if (rva >= address && rva - address < rawSize) return std::size_t{rva - address} + Read32(bytes, at + 20);
        }
        return std::nullopt;
    };
    const auto directory = offsetOf(exportRva);
    if (!directory || !fits(*directory, 40)) return std::nullopt;
    const std::uint32_t nameCount = Read32(bytes, *directory + 24);
    const auto functions = offsetOf(Read32(bytes, *directory + 28));
    const auto names = offsetOf(Read32(bytes, *directory + 32));
    const auto ordinals = offsetOf(Read32(bytes, *directory + 36));
    if (!functions || !names || !ordinals) return std::nullopt;
    for (std::uint32_t i = 0; i < nameCount && fits(*names + 4 * i, 4) && fits(*ordinals + 2 * i, 2); ++i) {
        const auto name = offsetOf(Read32(bytes, *names + 4 * i));
        static constexpr std::string_view wanted("QVEXPlugin_Version\0", 19);
        if (!name || !fits(*name, wanted.size()) || bytes.substr(*name, wanted.size()) != wanted) continue;
        const std::size_t slot = *functions + 4 * std::size_t{Read16(bytes, *ordinals + 2 * i)};
        if (!fits(slot, 4)) return std::nullopt;
        const auto record = offsetOf(Read32(bytes, slot));
        if (!record || !fits(*record, 8)) return std::nullopt;
        const std::uint32_t version = Read32(bytes, *record + 4);
        return std::to_string(version >> 24) + "." + std::to_string((version >> 16) & 0xFF);
    }
    return std::nullopt;
}

int WriteBundle(const BundleOptions& options, std::ostream& out, std::ostream& err) {
    const std::string profile = ProfileFolder();
    const std::string user = UserName();
    const auto shown = [&](const fs::path& path) { return RedactUser(TextOf(path.lexically_normal()), profile, user); };

    std::error_code error;
    const fs::path game = fs::absolute(PathOf(options.gameFolder.empty() ? "." : options.gameFolder), error);
    const fs::path plugins = game / "Data" / "QVEX" / "Plugins";
    if (error || !fs::is_directory(plugins, error)) {
        err << "velloquin-doctor: " << shown(game) << " is not a game folder with the plug-in installed: it has no "
            << "Data\\QVEX\\Plugins\\ folder. Give the folder that holds Halvorine.exe. No bundle was written.\n";
        return 3;
    }
    const fs::path zip = fs::absolute(PathOf(options.zipPath), error);
    if (options.zipPath.empty() || error || fs::is_directory(zip, error)) {
        err << "velloquin-doctor: cannot write the bundle to \"" << options.zipPath
            << "\": give the name of a .zip file to make. No bundle was written.\n";
        return 3;
    }

    std::vector<ZipEntry> entries;
    std::ostringstream summary;
    const auto gather = [&](const fs::path& path, const std::string& entry, bool redact) {
        bool cut = false;
        std::optional<std::string> bytes = ReadFileBytes(path, cut);
        summary << "  " << shown(path) << ": ";
        if (!bytes) {
            summary << "not found\n";
            return;
        }
        summary << "included as " << entry << (cut ? " (cut at 8 MiB)" : "") << "\n";
        entries.push_back({entry, redact ? RedactUser(*bytes, profile, user) : std::move(*bytes)});
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
    const std::string documents = options.documents.empty() ? DocumentsFolder() : options.documents;
    if (!documents.empty()) {
        // The log's folder and names as the plug-in writes them (core/log.h), every name a log may have.
        std::string logFolder = documentsLogFolder;
        std::replace(logFolder.begin(), logFolder.end(), '\\', '/');
        const fs::path logs = fs::absolute(PathOf(documents), error) / PathOf(logFolder);
        for (const char* name : logFileNames) gather(logs / name, logFolder + "/" + name, true);
    } else {
        summary << "  the Documents folder is not known\n";
    }
    for (const char* name : logFileNames) gather(items / name, std::string("Data/QVEX/Plugins/Velloquin/") + name, true);

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

    // The doctor's own report, as a player sees it and for tools.
    const Findings findings = Examine(TextOf(game));
    std::ostringstream text, json;
    WriteText(findings, text);
    WriteJson(findings, json);
    entries.push_back({"doctor-report.txt", RedactUser(text.str(), profile, user)});
    entries.push_back({"doctor-report.json", RedactUser(json.str(), profile, user)});

    const std::time_t clock = std::time(nullptr);
    const std::tm now = *std::localtime(&clock);
    std::string about = "Velloquin bug report made by velloquin-doctor " VELLOQUIN_DOCTOR_VERSION " on " + Today(now) +
                        "\nGame folder: " + shown(game) + "\n" + summary.str();
    entries.insert(entries.begin(), {"bundle.txt", about});
    ZipTime time;
    time.year = now.tm_year + 1900;
    time.month = now.tm_mon + 1;
    time.day = now.tm_mday;
    time.hour = now.tm_hour;
    time.minute = now.tm_min;
    time.second = now.tm_sec;
    const std::string archive = MakeZip(entries, time);

    // Written whole under another name, then renamed: a failure leaves nothing behind.
    fs::path partial = zip;
    partial += ".partial";
    bool written = false;
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        if (file) {
            file.write(archive.data(), static_cast<std::streamsize>(archive.size()));
            file.close();
            written = !file.fail();
        }
    }
    const int writeError = errno;
    if (written) fs::rename(partial, zip, error);
    if (!written || error) {
        const std::string reason = written ? error.message() : std::strerror(writeError);
        fs::remove(partial, error);
        err << "velloquin-doctor: cannot write " << shown(zip) << ": " << reason << ". No bundle was written.\n";
        return 3;
    }
    out << "Wrote " << shown(zip) << " (" << entries.size() << " files):\n";
    for (const ZipEntry& entry : entries) out << "  " << entry.name << "\n";
    out << "Attach it to your report. It holds your settings and items files, the plug-in's logs and this\n"
           "doctor's report; your user name is replaced by %USERNAME% in the paths it names.\n";
    return 0;
}

}  // namespace Velloquin::Doctor

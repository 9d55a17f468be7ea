// velloquin-doctor --bundle: gathers the files (bundle_gather.cpp), hides the
// user's name (redact.cpp), adds the doctor's reports and writes the archive
// (zip_writer.cpp, bundle_output.cpp).
#include "doctor/bundle.h"

#include <ctime>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "doctor/bundle_gather.h"
#include "doctor/bundle_output.h"
#include "doctor/findings.h"
#include "doctor/redact.h"
#include "doctor/zip_writer.h"

namespace Velloquin::Doctor {

namespace fs = std::filesystem;

namespace {

std::string Today(const std::tm& now) {
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &now);
    return text;
}

}  // namespace

int WriteBundle(const BundleOptions& options, std::ostream& out, std::ostream& err) {
    const std::string profile = ProfileFolder();
    const std::string user = UserName();
    const auto shown = [&](const fs::path& path) { return RedactUser(TextOf(path.lexically_normal()), profile, user); };

    std::error_code error;
    const fs::path game = fs::absolute(fs::u8path(options.gameFolder.empty() ? "." : options.gameFolder), error);
    const fs::path plugins = game / "Data" / "QVEX" / "Plugins";
    if (error || !fs::is_directory(plugins, error)) {
        err << "velloquin-doctor: " << shown(game) << " is not a game folder with the plug-in installed: it has no "
            << "Data\\QVEX\\Plugins\\ folder. Give the folder that holds Halvorine.exe. No bundle was written.\n";
        return 3;
    }
    const fs::path zip = fs::absolute(fs::u8path(options.zipPath), error);
    if (options.zipPath.empty() || error || fs::is_directory(zip, error)) {
        err << "velloquin-doctor: cannot write the bundle to \"" << options.zipPath
            << "\": give the name of a .zip file to make. No bundle was written.\n";
        return 3;
    }

    BundleFiles files;
    const std::string documents = options.documents.empty() ? DocumentsFolder() : options.documents;
    GatherBundleFiles(plugins, documents, shown,
                      [&](const std::string& text) { return RedactUser(text, profile, user); }, files);
    std::vector<ZipEntry>& entries = files.entries;

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
                        "\nGame folder: " + shown(game) + "\n" + files.summary.str();
    entries.insert(entries.begin(), {"bundle.txt", about});
    ZipTime time;
    time.year = now.tm_year + 1900;
    time.month = now.tm_mon + 1;
    time.day = now.tm_mday;
    time.hour = now.tm_hour;
    time.minute = now.tm_min;
    time.second = now.tm_sec;
    std::string problem;
    const std::optional<std::string> made = MakeZip(entries, time, problem);
    if (!made) {
        err << "velloquin-doctor: cannot make the bundle: " << problem << ". No bundle was written.\n";
        return 3;
    }
    const std::string& archive = *made;

    if (std::string reason; !WriteArchiveFile(zip, archive, reason)) {
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

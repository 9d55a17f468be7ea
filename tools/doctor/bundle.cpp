// velloquin-doctor --bundle: checks where the archive goes, gathers the files
// (bundle_gather.cpp), adds the doctor's reports, redacts every text
// (core/redact.cpp) and writes the archive as a new file (zip_writer.cpp,
// bundle_output.cpp).
#include "doctor/bundle.h"

#include <sstream>
#include <system_error>
#include <vector>

#include "core/redact.h"
#include "base/text.h"
#include "doctor/bundle_gather.h"
#include "doctor/bundle_output.h"
#include "doctor/findings.h"
#include "doctor/zip_writer.h"
#include "platform/paths.h"

namespace Velloquin::Doctor {

namespace fs = std::filesystem;

namespace {

std::string Today(const std::tm& now) {
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &now);
    return text;
}

bool EndsInZip(const std::string& name) {
    return name.size() > 4 && EqualIgnoringAsciiCase(std::string_view(name).substr(name.size() - 4), ".zip");
}

// True when `path` names anything at all (a file, a folder, a link to
// nothing), or cannot be told apart from such (the folder check names a path
// below a file or a missing folder).
bool Taken(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (!error) return status.type() != fs::file_type::not_found;
    return error != std::errc::no_such_file_or_directory && error != std::errc::not_a_directory;
}

// The gathered folder that holds `folder` (itself or one of its parents),
// compared as the file system compares (letter case, 8.3 names, links);
// empty when none does.
fs::path GatheredFolderHolding(fs::path folder, const std::vector<fs::path>& gathered) {
    std::error_code error;
    for (int depth = 0; depth < 256; ++depth) {
        for (const fs::path& source : gathered)
            if (fs::equivalent(folder, source, error)) return source;
        const fs::path parent = folder.parent_path();
        if (parent.empty() || parent == folder) break;
        folder = parent;
    }
    return {};
}

ZipTime ZipTimeOf(const std::tm& now) {
    ZipTime time;
    time.year = now.tm_year + 1900;
    time.month = now.tm_mon + 1;
    time.day = now.tm_mday;
    time.hour = now.tm_hour;
    time.minute = now.tm_min;
    time.second = now.tm_sec;
    return time;
}

// The paths a report on the player's files holds, redacted before any
// wrapping of the text report can split them.
void RedactPaths(Findings& findings, const Redaction& redaction) {
    findings.gameFolder = Redact(findings.gameFolder, redaction);
    for (Warning& warning : findings.warnings) {
        warning.text = Redact(warning.text, redaction);
        warning.message = Redact(warning.message, redaction);
    }
    LogFindings& log = findings.log;
    for (LogFindings::Place& place : log.looked) place.path = Redact(place.path, redaction);
    log.file = Redact(log.file, redaction);
    for (std::vector<std::string>* lines : {&log.notRestored, &log.saveFailures, &log.startProblems})
        for (std::string& line : *lines) line = Redact(line, redaction);
    log.inactive = Redact(log.inactive, redaction);
    for (LogBox& box : log.boxes) box.text = Redact(box.text, redaction);
}

}  // namespace

std::string FreshBundleName(const std::tm& now, int number) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &now);
    std::string name = std::string("Velloquin-report-") + stamp;
    if (number > 1) name.append("-").append(std::to_string(number));
    return name.append(".zip");
}

int WriteBundle(const BundleOptions& options, std::ostream& out, std::ostream& err) {
    const std::string documents = options.documents.empty() ? DocumentsFolder() : options.documents;
#ifdef _WIN32
    const Redaction redaction = UserRedaction({}, {}, {documents});
#else
    const Redaction redaction = UserRedaction({EnvironmentText("HOME")}, {EnvironmentText("USER")}, {documents});
#endif
    const auto shown = [&](const fs::path& path) { return Redact(PathText(path.lexically_normal()), redaction); };
    // Messages on the player's own screen name the real paths, so that the files can be found.
    const auto real = [](const fs::path& path) { return PathText(path.lexically_normal()); };
    const auto refuse = [&](const std::string& why) {
        err << "velloquin-doctor: " << why << " No bundle was written.\n";
        return 3;
    };

    std::error_code error;
    const fs::path game = fs::absolute(Utf8Path(options.gameFolder.empty() ? "." : options.gameFolder), error);
    const fs::path plugins = game / "Data" / "QVEX" / "Plugins";
    if (error || !fs::is_directory(plugins, error))
        return refuse(real(game) + " is not a game folder with the plug-in installed: it has no "
                      "Data\\QVEX\\Plugins\\ folder. Give the folder that holds Halvorine.exe.");

    const std::time_t clock = std::time(nullptr);
    const std::tm now = *std::localtime(&clock);
    fs::path zip;
    if (options.zipPath.empty()) {
        const fs::path folder = fs::absolute(Utf8Path(options.freshFolder.empty() ? "." : options.freshFolder), error);
        for (int number = 1; number < 100 && (zip.empty() || Taken(zip)); ++number)
            zip = folder / Utf8Path(FreshBundleName(now, number));
    } else {
        zip = fs::absolute(Utf8Path(options.zipPath), error);
        if (error) return refuse("cannot write the bundle to \"" + options.zipPath + "\": " + error.message() + ".");
        if (!EndsInZip(options.zipPath))
            return refuse("cannot write the bundle to \"" + options.zipPath +
                          "\": its name must end in .zip (or give --bundle alone for a fresh name).");
    }
    if (Taken(zip))
        return refuse("cannot write the bundle to " + real(zip) +
                      ": it already exists, and the bundle never replaces a file. Give a new name ending in .zip, "
                      "or --bundle alone for a fresh name.");
    const fs::path folder = zip.parent_path();
    if (!fs::is_directory(folder, error))
        return refuse("cannot write the bundle to " + real(zip) + ": the folder " + real(folder) + " does not exist.");
    std::vector<fs::path> gathered = {plugins};
    if (!documents.empty()) gathered.push_back(LogFolderIn(documents));
    if (const fs::path source = GatheredFolderHolding(folder, gathered); !source.empty())
        return refuse("cannot write the bundle to " + real(zip) + ": it is inside " + real(source) +
                      ", a folder the bundle gathers from. Write it elsewhere, for example beside the game folder.");

    BundleFiles files;
    GatherBundleFiles(plugins, documents, redaction, shown, files);
    std::vector<ZipEntry>& entries = files.entries;

    // The doctor's own report, as a player sees it and for tools: the JSON
    // report redacts each text before it escapes its backslashes.
    Findings findings = Examine(PathText(game));
    RedactPaths(findings, redaction);
    std::ostringstream text, json;
    WriteText(findings, text);
    WriteJson(findings, json, &redaction);
    entries.push_back({"doctor-report.txt", Redact(text.str(), redaction)});
    entries.push_back({"doctor-report.json", json.str()});

    const std::string about = "Velloquin bug report made by velloquin-doctor " VELLOQUIN_DOCTOR_VERSION " on " +
                              Today(now) + "\nGame folder: " + shown(game) + "\n" + files.summary.str();
    entries.insert(entries.begin(), {"bundle.txt", Redact(about, redaction)});
    std::string problem;
    const std::optional<std::string> archive = MakeZip(entries, ZipTimeOf(now), problem);
    if (!archive) return refuse("cannot make the bundle: " + problem + ".");

    if (std::string reason; !WriteNewFile(zip, *archive, reason))
        return refuse("cannot write " + real(zip) + ": " + reason + ".");
    out << "Wrote " << real(zip) << " (" << entries.size() << " files):\n";
    for (const ZipEntry& entry : entries) out << "  " << entry.name << "\n";
    out << "Attach it to your report. It holds your settings and items files, the plug-in's logs and this\n";
    // The claim holds only for what the system told: without a user name or profile, it is not made.
    if (!redaction.users.empty() && !redaction.profiles.empty())
        out << "doctor's report; in every file your user name is replaced by %USERNAME% and your profile folder\n"
               "by %USERPROFILE% wherever they are part of a path.\n";
    else
        out << "doctor's report. Your user name could not be found on this system, so it may be in the paths the\n"
               "files name: look through them before you send the file.\n";
    return 0;
}

}  // namespace Velloquin::Doctor

// The last game session's Velloquin.log: what went wrong in the game, as the
// plug-in wrote it down (boxes shown, slots not restored, saves that failed,
// the plug-in going inactive, versions), and where the doctor looked for it.
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <system_error>

#include "core/log.h"
#include "core/constants.h"
#include "doctor/findings.h"
#include "platform/paths.h"
#include "platform/shell_folders.h"

namespace Velloquin::Doctor {

namespace {

namespace fs = std::filesystem;

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// "[ssssss.mmm] " as the plug-in writes it.
std::string WithoutTimeColumn(const std::string& line) {
    if (line.size() >= 13 && line[0] == '[' && line[7] == '.' && line[11] == ']' && line[12] == ' ')
        return line.substr(13);
    return line;
}

// "Error box from F line N: T" (or "Fatal error box from ...").
LogBox ReadBox(const std::string& text, bool fatal) {
    LogBox box;
    const std::string rest = text.substr(fatal ? 21 : 15);
    const std::size_t at = rest.find(" line ");
    if (at == std::string::npos) {
        box.text = rest;
        return box;
    }
    box.function = rest.substr(0, at);
    const std::size_t colon = rest.find(": ", at);
    box.line = std::atoi(rest.c_str() + at + 6);
    box.text = colon == std::string::npos ? std::string() : rest.substr(colon + 2);
    constexpr const char fatalTail[] = " (the game ends after it)";
    if (fatal && box.text.size() >= sizeof fatalTail - 1 &&
        box.text.compare(box.text.size() - (sizeof fatalTail - 1), sizeof fatalTail - 1, fatalTail) == 0)
        box.text.resize(box.text.size() - (sizeof fatalTail - 1));
    if (fatal) box.answer = "fatal";
    return box;
}

std::vector<std::string> ReadLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

fs::path PathOf(const std::string& windowsPath) {
    const std::string native = NativePath(windowsPath);
    return fs::path(std::u8string(native.begin(), native.end()));
}

}  // namespace

LogFindings ReadLogLines(const std::vector<std::string>& lines) {
    LogFindings log;
    log.lines = static_cast<int>(lines.size());
    for (const std::string& line : lines) {
        const std::string text = WithoutTimeColumn(line);
        if (StartsWith(text, "Velloquin ") && text.find("; game runtime ") != std::string::npos) {
            const std::size_t end = text.find(' ', 10);
            log.pluginVersion = text.substr(10, end == std::string::npos ? std::string::npos : end - 10);
            log.pluginVersionDiffers = log.pluginVersion != std::string(VELLOQUIN_PLUGIN_VERSION_TEXT);
            if (text.find("VERSION MISMATCH") != std::string::npos) log.gameVersionLine = text;
        } else if (StartsWith(text, "Error box from ")) {
            log.boxes.push_back(ReadBox(text, false));
        } else if (StartsWith(text, "Fatal error box from ")) {
            log.boxes.push_back(ReadBox(text, true));
        } else if (StartsWith(text, "Error box answered Yes")) {
            if (!log.boxes.empty()) log.boxes.back().answer = "Yes";
        } else if (StartsWith(text, "Error box answered No")) {
            if (!log.boxes.empty()) log.boxes.back().answer = "No";
        } else if (StartsWith(text, "Error box not answered")) {
            if (!log.boxes.empty()) log.boxes.back().answer = "none";
        } else if (StartsWith(text, "Items: line ") && text.find(" not restored ") != std::string::npos) {
            log.notRestored.push_back(text.substr(7));
        } else if (StartsWith(text, "Save failed: ") || StartsWith(text, "Save: slot ")) {
            log.saveFailures.push_back(text.substr(StartsWith(text, "Save failed: ") ? 13 : 6));
        } else if (StartsWith(text, "Trampoline: ")) {
            log.startProblems.push_back(text.substr(12));
        } else if (StartsWith(text, "The plug-in is inactive from now on: ")) {
            log.inactive = text.substr(37);
        } else if (StartsWith(text, "The log has reached its size limit")) {
            log.sizeLimitReached = true;
        } else if (StartsWith(text, "[Log] bEnabled=0")) {
            log.turnedOff = true;
        }
    }
    return log;
}

void CheckLog(Findings& findings, const std::string& gameFolder) {
    LogFindings& log = findings.log;
    const std::string profile = FindShellFolder(ShellFolder::Profile);
    struct Candidate {
        std::string path;
        std::string shown;
        fs::file_time_type time;
    };
    std::vector<Candidate> found;
    const std::string documents = DocumentsLogFolder();
    // Each place as a path to read and as the plug-in names it.
    std::vector<std::pair<std::string, std::string>> places;
    if (!documents.empty()) places.emplace_back(documents + "\\" + logFileName, documents + "\\" + logFileName);
    places.emplace_back(InGameFolder(gameFolder, pluginFolder) + logFileName, pluginFolder + logFileName);
    log.looked.clear();
    if (documents.empty()) log.looked.push_back({"(the shell names no Documents folder)", false});
    for (const auto& [place, named] : places) {
        std::error_code error;
        const fs::path path = PathOf(place);
        const bool exists = fs::is_regular_file(path, error);
        std::string shown = RedactLogText(named, profile, 1000);
        if (StartsWith(shown, ".\\")) shown.erase(0, 2);
        for (char& c : shown)
            if (c == '/') c = '\\';
        log.looked.push_back({shown, exists});
        if (exists) found.push_back({place, shown, fs::last_write_time(path, error)});
    }
    if (found.empty()) return;
    // Both places hold a log when the plug-in moved between them: the newer is the last session's.
    const Candidate* newest = &found.front();
    for (const Candidate& candidate : found)
        if (candidate.time > newest->time) newest = &candidate;
    const std::vector<LogFindings::Place> looked = log.looked;
    log = ReadLogLines(ReadLines(PathOf(newest->path)));
    log.looked = looked;
    log.file = newest->shown;
}

void WriteLogText(const LogFindings& log, std::ostream& out) {
    out << "\nThe last game session's log (Velloquin.log):\n";
    for (const LogFindings::Place& place : log.looked)
        if (!place.path.empty() && place.path.front() == '(')
            out << "  " << place.path.substr(1, place.path.size() - 2) << "\n";
        else
            out << "  looked in " << place.path << (place.found ? (place.path == log.file ? ": read" : ": older, not read") : ": not there")
            << "\n";
    if (log.file.empty()) {
        out << "  No log found: the game has not run with Velloquin yet, or [Log] bEnabled=0 turned it off.\n";
        return;
    }
    out << "  " << log.lines << (log.lines == 1 ? " line" : " lines") << ", written by Velloquin "
        << (log.pluginVersion.empty() ? "(version not named)" : log.pluginVersion) << "\n";
    if (log.pluginVersionDiffers)
        out << "  VERSION: the log was written by Velloquin " << log.pluginVersion << ", this doctor is "
            << std::string(VELLOQUIN_PLUGIN_VERSION_TEXT) << ": install the doctor of the same version.\n";
    if (!log.gameVersionLine.empty()) out << "  GAME VERSION: " << log.gameVersionLine << "\n";
    for (const std::string& problem : log.startProblems) out << "  At start: " << problem << "\n";
    if (!log.boxes.empty()) {
        out << "  Error boxes shown: " << log.boxes.size() << "\n";
        for (const LogBox& box : log.boxes) {
            out << "    " << box.function << " line " << box.line << ": " << box.text;
            if (box.answer == "Yes") out << " (answered Yes: the game ended)";
            else if (box.answer == "No") out << " (answered No)";
            else if (box.answer == "fatal") out << " (fatal: the game ended)";
            else if (box.answer == "none") out << " (the box could not be shown)";
            else out << " (the log ends before an answer: the game may have crashed)";
            out << "\n";
        }
    }
    if (!log.notRestored.empty()) {
        out << "  Slots not restored at a game load:\n";
        for (const std::string& line : log.notRestored) out << "    " << line << "\n";
    }
    if (!log.saveFailures.empty()) {
        out << "  Saves of the slots that failed:\n";
        for (const std::string& line : log.saveFailures) out << "    " << line << "\n";
    }
    if (!log.inactive.empty()) out << "  The plug-in went inactive: " << log.inactive << "\n";
    if (log.turnedOff) out << "  [Log] bEnabled=0 in the settings stopped the log during the session.\n";
    if (log.sizeLimitReached) out << "  The log reached its size limit (1 MiB); later events are not in it.\n";
    if (log.nothingWrong()) out << "  Nothing went wrong in that session.\n";
}

void WriteLogJson(const LogFindings& log, std::ostream& out) {
    const auto strings = [&](const std::vector<std::string>& list) {
        std::string text = "[";
        for (std::size_t i = 0; i < list.size(); ++i) text += (i ? ", " : "") + JsonText(list[i]);
        return text + "]";
    };
    out << "  \"log\": {\"looked\": [";
    for (std::size_t i = 0; i < log.looked.size(); ++i)
        out << (i ? ", " : "") << "{\"path\": " << JsonText(log.looked[i].path)
            << ", \"found\": " << (log.looked[i].found ? "true" : "false") << "}";
    out << "],\n    \"file\": " << (log.file.empty() ? "null" : JsonText(log.file)) << ", \"lines\": " << log.lines
        << ", \"pluginVersion\": " << JsonText(log.pluginVersion)
        << ", \"pluginVersionDiffers\": " << (log.pluginVersionDiffers ? "true" : "false")
        << ", \"gameVersionMismatch\": " << (log.gameVersionLine.empty() ? "null" : JsonText(log.gameVersionLine))
        << ",\n    \"boxes\": [";
    for (std::size_t i = 0; i < log.boxes.size(); ++i) {
        const LogBox& box = log.boxes[i];
        out << (i ? ", " : "") << "{\"function\": " << JsonText(box.function) << ", \"line\": " << box.line
            << ", \"text\": " << JsonText(box.text) << ", \"answer\": " << JsonText(box.answer) << "}";
    }
    out << "],\n    \"notRestored\": " << strings(log.notRestored) << ",\n    \"saveFailures\": " << strings(log.saveFailures)
        << ",\n    \"startProblems\": " << strings(log.startProblems)
        << ",\n    \"inactive\": " << (log.inactive.empty() ? "null" : JsonText(log.inactive))
        << ", \"sizeLimitReached\": " << (log.sizeLimitReached ? "true" : "false")
        << ", \"turnedOff\": " << (log.turnedOff ? "true" : "false") << "}\n";
}

}  // namespace Velloquin::Doctor

// The last game session's Velloquin.log: what went wrong in the game, as the
// plug-in wrote it down (boxes shown, slots not restored, saves that failed,
// the plug-in going inactive, versions), and where the doctor looked for it.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <istream>
#include <limits>
#include <optional>
#include <ostream>
#include <string_view>
#include <system_error>

#include "core/log.h"
#include "core/constants.h"
#include "doctor/findings.h"
#include "platform/paths.h"
#include "platform/shell_folders.h"

namespace Velloquin::Doctor {

namespace {

namespace fs = std::filesystem;

static_assert(logReadLimit >= logSizeLimit, "the doctor reads a whole log of the plug-in");

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The line without its time column: "[", the seconds since the plug-in started
// (right-aligned in six places, more after 11.6 days of play), ".", three
// digits of milliseconds, "] ". A line without one is taken whole.
std::string_view WithoutTimeColumn(std::string_view line) {
    std::size_t at = 0;
    const auto digits = [&](std::size_t most) {
        const std::size_t from = at;
        while (at < line.size() && at - from < most && line[at] >= '0' && line[at] <= '9') ++at;
        return at - from;
    };
    if (line.empty() || line[0] != '[') return line;
    at = 1;
    while (at < line.size() && line[at] == ' ') ++at;
    if (at < line.size() && line[at] == '-') ++at;
    // 20 places hold any 64-bit count of seconds.
    if (digits(20) == 0 || at >= line.size() || line[at] != '.') return line;
    ++at;
    if (digits(3) != 3 || line.substr(at, 2) != "] ") return line;
    return line.substr(at + 2);
}

// A line number as the plug-in writes it: decimal digits of a positive int,
// nothing else before the ": " that follows. None otherwise.
std::optional<int> LineNumber(std::string_view text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value == 0 || value > std::numeric_limits<int>::max()) return std::nullopt;
    return static_cast<int>(value);
}

// "Error box from F line N: T" (or "Fatal error box from ..."). A line number
// that is no int stays part of the function's text, and the line is 0.
LogBox ReadBox(std::string_view text, bool fatal) {
    LogBox box;
    const std::string_view rest = text.substr(fatal ? 21 : 15);
    const std::size_t at = rest.find(" line ");
    if (at == std::string_view::npos) {
        box.text = rest;
        return box;
    }
    const std::size_t colon = rest.find(": ", at);
    const std::string_view number = rest.substr(at + 6, colon == std::string_view::npos ? std::string_view::npos : colon - at - 6);
    if (const std::optional<int> line = LineNumber(number)) {
        box.function = rest.substr(0, at);
        box.line = *line;
    } else {
        box.function = rest.substr(0, colon);
    }
    box.text = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 2);
    constexpr std::string_view fatalTail = " (the game ends after it)";
    if (fatal && box.text.size() >= fatalTail.size() &&
        box.text.compare(box.text.size() - fatalTail.size(), fatalTail.size(), fatalTail) == 0)
        box.text.resize(box.text.size() - fatalTail.size());
    if (fatal) box.answer = "fatal";
    return box;
}

fs::path PathOf(const std::string& windowsPath) {
    const std::string native = NativePath(windowsPath);
    return fs::path(std::u8string(native.begin(), native.end()));
}


void ReadLogLine(LogFindings& log, std::string_view line) {
    ++log.lines;
    const std::string_view text = WithoutTimeColumn(line);
    if (StartsWith(text, "Velloquin ") && text.find("; game runtime ") != std::string_view::npos) {
        const std::size_t end = text.find(' ', 10);
        log.pluginVersion = text.substr(10, end == std::string_view::npos ? std::string_view::npos : end - 10);
        log.pluginVersionDiffers = log.pluginVersion != std::string(VELLOQUIN_PLUGIN_VERSION_TEXT);
        if (text.find("VERSION MISMATCH") != std::string_view::npos) log.gameVersionLine = text;
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
    } else if (StartsWith(text, "Items: line ") && text.find(" not restored ") != std::string_view::npos) {
        log.notRestored.emplace_back(text.substr(7));
    } else if (StartsWith(text, "Save failed: ") || StartsWith(text, "Save: slot ")) {
        log.saveFailures.emplace_back(text.substr(StartsWith(text, "Save failed: ") ? 13 : 6));
    } else if (StartsWith(text, "Trampoline: ")) {
        log.startProblems.emplace_back(text.substr(12));
    } else if (StartsWith(text, "The plug-in is inactive from now on: ")) {
        log.inactive = text.substr(37);
    } else if (StartsWith(text, "The log has reached its size limit")) {
        log.sizeLimitReached = true;
    } else if (StartsWith(text, "[Log] bEnabled=0")) {
        log.turnedOff = true;
    }
}

}  // namespace

LogFindings ReadLogLines(const std::vector<std::string>& lines) {
    LogFindings log;
    for (const std::string& line : lines) ReadLogLine(log, line);
    return log;
}

LogFindings ReadLogStream(std::istream& in, std::size_t limit) {
    LogFindings log;
    // Read in pieces, a line at a time: what is kept is what the report shows,
    // never the whole file.
    std::string pending;
    std::vector<char> buffer(64 * 1024);
    std::size_t left = limit;
    const auto take = [&](std::string_view line) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ReadLogLine(log, line);
    };
    while (left > 0 && in) {
        in.read(buffer.data(), static_cast<std::streamsize>(std::min(left, buffer.size())));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        left -= got;
        std::string_view chunk(buffer.data(), got);
        for (std::size_t end; (end = chunk.find('\n')) != std::string_view::npos; chunk.remove_prefix(end + 1)) {
            if (pending.empty()) {
                take(chunk.substr(0, end));
            } else {
                pending.append(chunk.substr(0, end));
                take(pending);
                pending.clear();
            }
        }
        pending.append(chunk);
    }
    if (left == 0 && in && in.peek() != std::char_traits<char>::eof()) log.cut = true;
    if (!pending.empty()) take(pending);
    return log;
}

void CheckLog(Findings& findings, const std::string& gameFolder) {
    LogFindings& log = findings.log;
    const std::string profile = FindShellFolder(ShellFolder::Profile);
    struct Candidate {
        std::string path;
        std::string shown;
        fs::file_time_type time;
        bool newName;  // Velloquin.new.log: the newer on equal times, as the plug-in takes it
    };
    std::vector<Candidate> found;
    const std::string documents = DocumentsLogFolder();
    // Each folder as a path to read and as the plug-in names it; in each, the
    // names the last session's log may have (log.h): Velloquin.log, and
    // Velloquin.new.log when a start could not move Velloquin.log away (named
    // only when it is there).
    std::vector<std::pair<std::string, std::string>> folders;
    if (!documents.empty()) folders.emplace_back(documents + "\\", documents + "\\");
    folders.emplace_back(InGameFolder(gameFolder, pluginFolder), pluginFolder);
    log.looked.clear();
    if (documents.empty()) log.looked.push_back({"(the shell names no Documents folder)", false});
    for (const auto& [folder, namedFolder] : folders) {
        for (const char* name : {logFileName, newLogFileName}) {
            const std::string place = folder + name;
            std::error_code error;
            const fs::path path = PathOf(place);
            const bool exists = fs::is_regular_file(path, error);
            const bool newName = name == newLogFileName;
            if (newName && !exists) continue;
            std::string shown = RedactLogText(namedFolder + name, profile, 1000);
            if (StartsWith(shown, ".\\")) shown.erase(0, 2);
            for (char& c : shown)
                if (c == '/') c = '\\';
            log.looked.push_back({shown, exists});
            if (exists) found.push_back({place, shown, fs::last_write_time(path, error), newName});
        }
    }
    if (found.empty()) return;
    // Both places hold a log when the plug-in moved between them: the newer is the last session's.
    const Candidate* newest = &found.front();
    for (const Candidate& candidate : found)
        if (candidate.time > newest->time || (candidate.time == newest->time && candidate.newName && !newest->newName))
            newest = &candidate;
    const std::vector<LogFindings::Place> looked = log.looked;
    std::ifstream in(PathOf(newest->path), std::ios::binary);
    log = ReadLogStream(in, logReadLimit);
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
            out << "    " << box.function;
            if (box.line > 0) out << " line " << box.line;
            out << ": " << box.text;
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
    if (log.cut)
        out << "  The file is longer than the plug-in ever writes: only its first " << logReadLimit / 1024
            << " KiB were read.\n";
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
        << ", \"turnedOff\": " << (log.turnedOff ? "true" : "false") << ", \"cut\": " << (log.cut ? "true" : "false")
        << "}\n";
}

}  // namespace Velloquin::Doctor

// Session steps about the plug-in's log: showing it, and the places it
// cannot use (a log folder that cannot be written, no Documents folder).
#include <cctype>
#include <sstream>

#include "game_folder.h"
#include "session_state.h"
#include "shell_folders.h"

namespace TestHost {

namespace {

// "[ssssss.mmm] " as the plug-in writes it: six digits (or blanks before them), a dot, three digits.
bool HasTimeColumn(const std::string& line) {
    if (line.size() < 13 || line[0] != '[' || line[7] != '.' || line[11] != ']' || line[12] != ' ') return false;
    bool digitSeen = false;
    for (int i = 1; i < 7; ++i) {
        const char c = line[static_cast<std::size_t>(i)];
        if (std::isdigit(static_cast<unsigned char>(c))) digitSeen = true;
        else if (c != ' ' || digitSeen) return false;
    }
    for (int i = 8; i < 11; ++i)
        if (!std::isdigit(static_cast<unsigned char>(line[static_cast<std::size_t>(i)]))) return false;
    return line[6] != ' ';
}

// Absolute addresses differ between runs and builds.
std::string WithoutAddresses(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i;
        while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end]))) ++end;
        const bool word = (i == 0 || !std::isalnum(static_cast<unsigned char>(text[i - 1]))) &&
                          (end == text.size() || !std::isalnum(static_cast<unsigned char>(text[end])));
        if (end - i == 16 && word) {
            out += "<address>";
            i = end;
        } else if (end > i) {
            out.append(text, i, end - i);
            i = end;
        } else {
            out += text[i++];
        }
    }
    return out;
}

// Where the plug-in writes its log in a session (below the game folder).
std::string DocumentsLogPath() { return DocumentsFolderBelowGame() + "\\My Games\\Halvorine\\QVEX\\"; }
constexpr const char* itemsFolderLogPath = "Data\\QVEX\\Plugins\\Velloquin\\";

// Prints the log of that name (Velloquin.log, Velloquin.old.log,
// Velloquin.new.log) from the Documents folder's log folder, else from beside
// the items files. Each line
// is printed with its time column as "[time]" (checked, not shown: times
// depend on the machine) and every 16-digit hexadecimal address as
// "<address>"; a line not ended by CR LF or with no time column says so.
void ShowLog(std::ostream& out, const std::string& name) {
    std::string path = DocumentsLogPath() + name;
    if (!GameFileExists(path)) path = std::string(itemsFolderLogPath) + name;
    if (!GameFileExists(path)) {
        out << "  log " << name << ": (none)\n";
        return;
    }
    const std::string content = ReadGameFile(path);
    std::size_t count = 0;
    for (char c : content) count += c == '\n';
    out << "  log " << path << ": " << count << (count == 1 ? " line\n" : " lines\n");
    std::istringstream lines(content);
    for (std::string text; std::getline(lines, text);) {
        const bool crlf = !text.empty() && text.back() == '\r';
        if (crlf) text.pop_back();
        std::string shown = HasTimeColumn(text) ? "[time] " + text.substr(13) : "(no time column) " + text;
        out << "  log| " << WithoutAddresses(shown) << (crlf ? "" : "  (no CR LF)") << "\n";
    }
}

// Puts an empty file in the place of a folder, so that nothing can be made in
// it: a folder that cannot be written, on every platform and for every user.
void BlockFolder(std::ostream& out, const std::string& path) {
    RemoveGameFile(path);
    WriteGameFile(path, "");
    out << "  host: a file stands where the folder " << path << " would be\n";
}

void ShowLogStep(Session& session, const StepArgs& args) {
    if (args.size() > 1 || (args.size() > 0 && args[0] != "old" && args[0] != "new"))
        session.Fail("'show-log' takes nothing, old or new");
    ShowLog(session.out, args.size() == 0 ? "Velloquin.log" : "Velloquin." + args[0] + ".log");
}

void Block(Session& session, const StepArgs& args) { BlockFolder(session.out, args.Rest(0)); }

void Documents(Session& session, const StepArgs& args) {
    if (args[0] != "known" && args[0] != "unknown") session.Fail("'documents' takes known or unknown");
    SetDocumentsKnown(args[0] == "known");
    session.out << "  host: the shell " << (args[0] == "known" ? "names" : "names no") << " Documents folder\n";
}

void Profile(Session& session, const StepArgs& args) {
    if (args.size() > 2) session.Fail("'profile' takes one or two paths: put a path with blanks in quotes");
    SetProfileFolder(args[0], args.size() > 1 ? args[1] : std::string());
    session.out << "  host: the profile folder is " << Session::Quote(ProfileFolderBelowGame()) << ", Documents "
                << Session::Quote(DocumentsFolderBelowGame()) << "\n";
}

}  // namespace

const std::vector<StepRow>& LogSteps() {
    static const std::vector<StepRow> rows = {
        {{"show-log", "[old|new]", 0, "prints the plug-in's log `Velloquin.log` (`old`: `Velloquin.old.log`, kept from the start before; `new`: `Velloquin.new.log`, written when `Velloquin.log` could not be moved away), from `My Games\\Halvorine\\QVEX\\` in the shell's Documents folder or else beside the items files, with `[time]` for its time column and `<address>` for each 16-digit address"}, &ShowLogStep},
        {{"block", "PATH", 1, "puts an empty file in the place of a folder below the game folder, so that nothing can be made in it (for every user, on every platform)"}, &Block},
        {{"documents", "known|unknown", 1, "whether the shell names a Documents folder (`Users\\Player\\Documents` below the game folder, in the profile `Users\\Player`)"}, &Documents},
        {{"profile", "PATH [DOCUMENTS]", 1, "the shell's profile folder below the game folder (any characters), with its Documents folder `PATH\\Documents` or DOCUMENTS below the game folder"}, &Profile},
    };
    return rows;
}

}  // namespace TestHost

// Session steps: the script's headings, and the files and folders below the
// game folder.
#include <algorithm>
#include <filesystem>
#include <sstream>
#include <utility>

#include "file_faults.h"
#include "game_folder.h"
#include "session_state.h"

namespace TestHost {

namespace {

void Say(Session& session, const StepArgs& args) {
    std::string text = args.text;
    text.erase(0, text.find_first_not_of(" \t") == std::string::npos ? text.size() : text.find_first_not_of(" \t"));
    session.out << "\n# " << text << "\n";
}

void File(Session& session, const StepArgs& args) {
    const std::string lineEnd = Session::Has(args, 1, "lf") ? "\n" : "\r\n";  // CR LF as a Windows editor writes it
    std::string content, text;
    while (std::getline(args.in, text)) {
        ++session.lineNumber;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text == "end") break;
        content += text + lineEnd;
    }
    if (Session::Has(args, 1, "unterminated") && content.size() >= lineEnd.size())
        content.resize(content.size() - lineEnd.size());
    // The path is every word before the options (a path may hold blanks: "My Games").
    std::size_t words = 1;
    while (words < args.size() && args[words] != "lf" && args[words] != "unterminated") ++words;
    std::string path = args[0];
    for (std::size_t i = 1; i < words; ++i) path += " " + args[i];
    WriteGameFile(path, content);
    session.out << "  host: wrote " << path << "\n";
}

// The one path a step takes: a path with blanks is one quoted word.
const std::string& OnePath(Session& session, const StepArgs& args, std::size_t words = 1) {
    if (args.size() > words) session.Fail("too many words after the path: put a path with blanks in quotes");
    return args[0];
}

void GameFolderStep(Session& session, const StepArgs& args) {
    MoveGameFolder(OnePath(session, args));
    session.out << "  host: the game folder is now " << Session::Quote(args[0]) << "\n";
}

void Delete(Session& session, const StepArgs& args) {
    const std::string& path = OnePath(session, args);
    session.out << "  host: " << (RemoveGameFile(path) ? "deleted " : "nothing to delete at ") << path << "\n";
}

// Takes every write permission away (the file's read-only attribute on
// Windows). A process running as root on Linux may still write it.
void ReadOnly(Session& session, const StepArgs& args) {
    const std::string& path = OnePath(session, args);
    std::error_code error;
    std::filesystem::permissions(std::filesystem::u8path(GameFilePath(path)),
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove, error);
    if (error) session.Fail("cannot make " + path + " read-only: " + error.message());
    session.out << "  host: made " << path << " read-only\n";
}

void Folder(Session& session, const StepArgs& args) {
    const std::string& path = OnePath(session, args);
    WriteGameFile(path + "\\.keep", "");
    RemoveGameFile(path + "\\.keep");
    session.out << "  host: made folder " << path << "\n";
}

void ShowFile(Session& session, const StepArgs& args) {
    const std::string& path = OnePath(session, args);
    if (!GameFileExists(path)) {
        session.out << "  file " << path << ": (none)\n";
        return;
    }
    const std::string content = ReadGameFile(path);
    session.out << "  file " << path << ": " << content.size() << " bytes\n";
    std::istringstream lines(content);
    for (std::string text; std::getline(lines, text);) {
        const bool crlf = !text.empty() && text.back() == '\r';
        if (crlf) text.pop_back();
        session.out << "  | " << text << (crlf ? "  (CR LF)" : "") << "\n";
    }
}

// The folder's entries in name order (files with their sizes).
void ShowFolder(Session& session, const StepArgs& args) {
    const std::string& path = OnePath(session, args);
    std::error_code error;
    std::vector<std::pair<std::string, std::uintmax_t>> entries;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(GameFilePath(path)), error)) {
        std::error_code sizeError;
        const std::uintmax_t size = entry.is_regular_file(sizeError) ? entry.file_size(sizeError) : 0;
        const std::u8string name = entry.path().filename().u8string();
        entries.emplace_back(std::string(name.begin(), name.end()), size);
    }
    if (error) {
        session.out << "  folder " << path << ": (none)\n";
        return;
    }
    std::sort(entries.begin(), entries.end());
    session.out << "  folder " << path << ": " << entries.size() << " entries\n";
    for (const auto& [name, size] : entries) session.out << "  | " << name << " (" << size << " bytes)\n";
}

void Hold(Session& session, const StepArgs& args) {
    const std::string& path = OnePath(session, args, 2);
    const int waits = args.size() > 1 ? static_cast<int>(Session::Number(args[1])) : -1;
    if (!HoldFile(path, waits)) session.Fail("cannot hold " + path);
    session.out << "  host: another program holds " << path << " open";
    if (waits > 0) session.out << " until the plug-in has waited " << waits << " times";
    session.out << "\n";
}

void Release(Session& session, const StepArgs& args) {
    const std::string& path = OnePath(session, args);
    ReleaseFile(path);
    session.out << "  host: the other program lets go of " << path << "\n";
}

void Disk(Session& session, const StepArgs& args) {
    if (args[0] == "waits") {
        session.out << "  host: the plug-in waited " << PluginWaits() << " times, " << PluginWaitedMilliseconds()
                    << " ms in all\n";
        return;
    }
    std::int64_t room = -1;
    if (args[0] == "full") room = 0;
    if (args[0] == "room" && args.size() > 1) room = Session::Number(args[1]);
    SetDiskRoom(room);
    if (room < 0)
        session.out << "  host: the disk has room\n";
    else
        session.out << "  host: the disk takes " << room << " more bytes\n";
}

}  // namespace

const std::vector<StepRow>& FileSteps() {
    static const std::vector<StepRow> rows = {
        {{"say", "TEXT", 0, "prints a heading"}, &Say},
        {{"game-folder", "NAME", 1, "moves the game to a fresh folder of that name (any characters; parts parted by `\\`) below the host's temporary folder: files written before stay behind"}, &GameFolderStep},
        {{"file", "PATH [lf] [unterminated] … end", 1, "writes the lines up to `end` into a file below the game folder (CR LF line ends; `lf`: LF only; `unterminated`: none after the last line)"}, &File},
        {{"delete", "PATH", 1, "deletes a file or folder below the game folder"}, &Delete},
        {{"read-only", "PATH", 1, "takes the write permission from a file (on Linux a process running as root may still write it)"}, &ReadOnly},
        {{"folder", "PATH", 1, "makes a folder below the game folder"}, &Folder},
        {{"show-file", "PATH", 1, "prints a file's lines"}, &ShowFile},
        {{"show-folder", "PATH", 1, "prints a folder's entries with their sizes"}, &ShowFolder},
        {{"hold", "PATH [WAITS]", 1, "another program (a virus scanner, a cloud-sync client) holds the file open without delete sharing (on Windows a real handle); with WAITS it lets go once the plug-in has waited that many times"}, &Hold},
        {{"release", "PATH", 1, "the other program lets go of the file"}, &Release},
        {{"disk", "full|normal|room BYTES", 1, "the disk is full, has room again, or takes BYTES more bytes (a write then fails part-way)"}, &Disk},
        {{"disk", "waits", 1, "prints how often and how long the plug-in waited (Sleep) so far"}, &Disk},
    };
    return rows;
}

}  // namespace TestHost

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

void Say(Session& session, const StepArgs& args) { session.out << "\n# " << args.Rest(0) << "\n"; }

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

void Delete(Session& session, const StepArgs& args) {
    session.out << "  host: " << (RemoveGameFile(args[0]) ? "deleted " : "nothing to delete at ") << args[0] << "\n";
}

// Takes every write permission away (the file's read-only attribute on
// Windows). A process running as root on Linux may still write it.
void ReadOnly(Session& session, const StepArgs& args) {
    std::error_code error;
    std::filesystem::permissions(GameFilePath(args[0]),
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove, error);
    if (error) session.Fail("cannot make " + args[0] + " read-only: " + error.message());
    session.out << "  host: made " << args[0] << " read-only\n";
}

void Folder(Session& session, const StepArgs& args) {
    WriteGameFile(args[0] + "\\.keep", "");
    RemoveGameFile(args[0] + "\\.keep");
    session.out << "  host: made folder " << args[0] << "\n";
}

void ShowFile(Session& session, const StepArgs& args) {
    if (!GameFileExists(args[0])) {
        session.out << "  file " << args[0] << ": (none)\n";
        return;
    }
    const std::string content = ReadGameFile(args[0]);
    session.out << "  file " << args[0] << ": " << content.size() << " bytes\n";
    std::istringstream lines(content);
    for (std::string text; std::getline(lines, text);) {
        const bool crlf = !text.empty() && text.back() == '\r';
        if (crlf) text.pop_back();
        session.out << "  | " << text << (crlf ? "  (CR LF)" : "") << "\n";
    }
}

// The folder's entries in name order (files with their sizes).
void ShowFolder(Session& session, const StepArgs& args) {
    std::error_code error;
    std::vector<std::pair<std::string, std::uintmax_t>> entries;
    for (const auto& entry : std::filesystem::directory_iterator(GameFilePath(args[0]), error)) {
        std::error_code sizeError;
        const std::uintmax_t size = entry.is_regular_file(sizeError) ? entry.file_size(sizeError) : 0;
        entries.emplace_back(entry.path().filename().string(), size);
    }
    if (error) {
        session.out << "  folder " << args[0] << ": (none)\n";
        return;
    }
    std::sort(entries.begin(), entries.end());
    session.out << "  folder " << args[0] << ": " << entries.size() << " entries\n";
    for (const auto& [name, size] : entries) session.out << "  | " << name << " (" << size << " bytes)\n";
}

void Hold(Session& session, const StepArgs& args) {
    const int waits = args.size() > 1 ? static_cast<int>(Session::Number(args[1])) : -1;
    if (!HoldFile(args[0], waits)) session.Fail("cannot hold " + args[0]);
    session.out << "  host: another program holds " << args[0] << " open";
    if (waits > 0) session.out << " until the plug-in has waited " << waits << " times";
    session.out << "\n";
}

void Release(Session& session, const StepArgs& args) {
    ReleaseFile(args[0]);
    session.out << "  host: the other program lets go of " << args[0] << "\n";
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

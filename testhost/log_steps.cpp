#include "log_steps.h"

#include <cctype>
#include <sstream>

#include "game_folder.h"

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

}  // namespace

void ShowLog(std::ostream& out, bool old) {
    const std::string name = old ? "Velloquin.old.log" : "Velloquin.log";
    std::string path = std::string(documentsLogPath) + name;
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

void BlockFolder(std::ostream& out, const std::string& path) {
    RemoveGameFile(path);
    WriteGameFile(path, "");
    out << "  host: a file stands where the folder " << path << " would be\n";
}

}  // namespace TestHost

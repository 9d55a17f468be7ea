// The game's working folder of the test host.
#include "game_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace TestHost {

namespace {

fs::path MakeFolder() {
#ifdef _WIN32
    std::error_code error;
    const fs::path temp = fs::temp_directory_path(error);
    for (unsigned n = 0; n < 10000; ++n) {
        fs::path candidate = temp / ("velloquin-game-" + std::to_string(_getpid()) + "-" + std::to_string(n));
        if (fs::create_directory(candidate, error)) return candidate;
    }
#else
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/velloquin-game-XXXXXX";
    if (mkdtemp(pattern.data())) return pattern;
#endif
    std::fprintf(stderr, "test host: cannot make the game folder\n");
    std::abort();
}

std::string Utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A path below the game folder as the plug-in and the scripts name it (UTF-8, "\\" or "/").
fs::path RelativePath(const std::string& relativePath) {
    std::string generic = relativePath;
    for (char& c : generic)
        if (c == '\\') c = '/';
    while (generic.rfind("./", 0) == 0) generic.erase(0, 2);
    return fs::u8path(generic).make_preferred();
}

struct Folder {
    fs::path root;  // the temporary folder made for this process
    fs::path path;  // the game folder: root, or a folder below it
    fs::path previous;
    std::string text;

    Folder() {
        std::error_code error;
        previous = fs::current_path(error);
        root = path = fs::canonical(MakeFolder(), error);
        text = Utf8Of(path);
        Enter();
    }
    ~Folder() {
        // Leave first: Windows cannot remove the current folder.
        std::error_code error;
        if (!previous.empty()) fs::current_path(previous, error);
        fs::remove_all(root, error);
    }
    void Enter() const {
        std::error_code error;
        fs::current_path(path, error);
        if (error) {
            std::fprintf(stderr, "test host: cannot enter the game folder %s\n", text.c_str());
            std::abort();
        }
    }
};

Folder& TheFolder() {
    static Folder folder;
    return folder;
}

fs::path Below(const std::string& relativePath) { return TheFolder().path / RelativePath(relativePath); }

}  // namespace

const std::string& GameFolder() { return TheFolder().text; }

void MoveGameFolder(const std::string& name) {
    Folder& folder = TheFolder();
    const fs::path moved = folder.root / RelativePath(name);
    std::error_code error;
    fs::create_directories(moved, error);
    if (!fs::is_directory(moved, error)) {
        std::fprintf(stderr, "test host: cannot make the game folder %s\n", name.c_str());
        std::abort();
    }
    folder.path = moved;
    folder.text = Utf8Of(moved);
    folder.Enter();
}

std::string GameFilePath(const std::string& relativePath) { return Utf8Of(Below(relativePath)); }

void WriteGameFile(const std::string& relativePath, const std::string& content) {
    const fs::path file = Below(relativePath);
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "test host: cannot write %s\n", Utf8Of(file).c_str());
        std::abort();
    }
}

std::string ReadGameFile(const std::string& relativePath) {
    std::ifstream in(Below(relativePath), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool GameFileExists(const std::string& relativePath) {
    std::error_code error;
    return fs::exists(Below(relativePath), error);
}

bool RemoveGameFile(const std::string& relativePath) {
    std::error_code error;
    return fs::remove_all(Below(relativePath), error) > 0;
}

void ClearGameFolder() {
    Folder& folder = TheFolder();
    folder.Enter();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder.path, error)) fs::remove_all(entry.path(), error);
}

}  // namespace TestHost

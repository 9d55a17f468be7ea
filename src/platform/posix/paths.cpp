// Windows paths on POSIX systems.
#include <dirent.h>
#include <cstdlib>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text.h"
#include "platform/paths.h"
#include "platform/posix/win32_posix.h"

namespace Velloquin {

namespace {

bool Exists(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

// The entry of `folder` whose name matches `name` but for letter case (the
// first in byte order, should the folder hold several); empty when none does.
std::string EntryIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
    if (!directory) return {};
    std::string found;
    while (const dirent* entry = readdir(directory))
        if (EqualIgnoringAsciiCase(entry->d_name, name) && (found.empty() || found > entry->d_name)) found = entry->d_name;
    closedir(directory);
    return found;
}

}  // namespace

// Windows paths with backslashes as slashes. Windows matches names without
// regard to letter case; so that both builds read the same files from a
// player's folder, each part of the path that does not exist as written is
// looked up in its folder ignoring case (ASCII letters). A part with no match
// at all ends the lookup: the rest is kept as written (a file to be made).
std::string NativePath(const std::string& path) {
    std::string native = path;
    for (char& c : native)
        if (c == '\\') c = '/';
    std::size_t start = native.find_first_not_of('/');
    while (start != std::string::npos && start < native.size()) {
        std::size_t end = native.find('/', start);
        if (end == std::string::npos) end = native.size();
        const std::string part = native.substr(start, end - start);
        if (part != "." && part != ".." && !Exists(native.substr(0, end))) {
            const std::string folder = native.substr(0, start);
            const std::string match = EntryIgnoringCase(folder, part);
            if (match.empty()) break;
            native.replace(start, part.size(), match);
            end = start + match.size();
        }
        start = native.find_first_not_of('/', end);
    }
    return native;
}

// No 8.3 names here.
std::string ShortPath(const std::string& path) { return path; }
std::string LongPath(const std::string& path) { return path; }

std::string EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string ReadProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                              const std::string& path, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    std::vector<char> buffer(bufferSize, '\0');
    GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                             static_cast<DWORD>(bufferSize), path.c_str());
    buffer.back() = '\0';
    return buffer.data();
}

}  // namespace Velloquin

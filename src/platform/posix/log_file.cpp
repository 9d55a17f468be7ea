// The log's file operations on POSIX systems, on Windows paths as NativePath reads them.
#include "platform/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/paths.h"

namespace Velloquin {

namespace {

bool IsFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

bool MakeLogFolder(const std::string& folder) {
    const std::string path = NativePath(folder);
    if (path.empty()) return false;
    for (std::size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        const std::string part = path.substr(0, at);
        if (!IsFolder(part)) mkdir(part.c_str(), 0755);
    }
    if (!IsFolder(path)) mkdir(path.c_str(), 0755);
    return IsFolder(path);
}

bool LogFolderExists(const std::string& folder) { return IsFolder(NativePath(folder)); }

bool LogFileExists(const std::string& path) {
    struct stat status {};
    return stat(NativePath(path).c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

bool MoveLogFile(const std::string& from, const std::string& to) {
    return std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

LogFileHandle CreateLogFile(const std::string& path) {
    const int fd = open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd < 0 ? noLogFile : static_cast<LogFileHandle>(fd);
}

bool WriteLogFile(LogFileHandle file, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(static_cast<int>(file), bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void CloseLogFile(LogFileHandle file) {
    if (file != noLogFile) close(static_cast<int>(file));
}

}  // namespace Velloquin

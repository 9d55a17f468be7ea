// The log's file operations on POSIX systems, on Windows paths as NativePath
// reads them. Moves and deletions go through the stand-in's MoveFileExA and
// DeleteFileA, so that a file the host says another program holds is refused
// exactly as Windows refuses it.
#include "platform/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/error_mode.h"
#include "platform/paths.h"
#include "platform/win32.h"

namespace Velloquin {

namespace {

bool IsFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

bool MakeLogFolder(const std::string& folder) {
    const CriticalErrorBoxesOff noBoxes;
    const std::string path = NativePath(folder);
    if (path.empty()) return false;
    for (std::size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        const std::string part = path.substr(0, at);
        if (!IsFolder(part)) mkdir(part.c_str(), 0755);
    }
    if (!IsFolder(path)) mkdir(path.c_str(), 0755);
    return IsFolder(path);
}

bool LogFolderExists(const std::string& folder) {
    const CriticalErrorBoxesOff noBoxes;
    return IsFolder(NativePath(folder));
}

std::int64_t LogFileTime(const std::string& path) {
    const CriticalErrorBoxesOff noBoxes;
    struct stat status {};
    if (stat(NativePath(path).c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return -1;
    return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
}

bool MoveLogFile(const std::string& from, const std::string& to) {
    const CriticalErrorBoxesOff noBoxes;
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool RemoveLogFile(const std::string& path) {
    const CriticalErrorBoxesOff noBoxes;
    return DeleteFileA(path.c_str()) != 0;
}

LogFileHandle CreateLogFile(const std::string& path) {
    const CriticalErrorBoxesOff noBoxes;
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

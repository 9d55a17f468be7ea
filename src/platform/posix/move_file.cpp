// Replacing a file in one step on POSIX systems, as MoveFileExA does on Windows.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/paths.h"
#include "platform/posix/host_seam.h"
#include "platform/posix/win32_posix.h"

namespace Velloquin {

bool ReplaceFileInOneStep(const std::string& source, const std::string& target) {
    // A read-only target or a folder stays what it is however often the move is tried.
    struct stat status {};
    if (lstat(NativePath(target).c_str(), &status) == 0 &&
        (S_ISDIR(status.st_mode) || !(status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))) {
        SetLastError(ERROR_FILE_READ_ONLY);
        return false;
    }
    return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace Velloquin

namespace {

DWORD ErrorOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EXDEV: return ERROR_NOT_SAME_DEVICE;
        case EEXIST: return ERROR_ALREADY_EXISTS;
        default: return ERROR_ACCESS_DENIED;
    }
}

// Pushes a file's (or folder's) data to the disk; failures are not fatal to a move.
void SyncPath(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

// Renames in one step, as MoveFileExA does. Windows refuses to replace a
// read-only file or a folder; so does this stand-in, judging "read-only" by
// the absence of every write bit (root would be allowed to write anyway).
BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
    if (!existingFileName || !newFileName) return SetLastError(ERROR_INVALID_PARAMETER), 0;
    const std::string from = Velloquin::NativePath(existingFileName);
    const std::string to = Velloquin::NativePath(newFileName);

    struct stat source {};
    if (lstat(from.c_str(), &source) != 0) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ErrorOf(errno));
        return 0;
    }
    // A file another program holds open: Windows refuses to move it away
    // (a sharing violation) or to replace it (access denied).
    if (HeldByAnotherProgram(from.c_str())) return SetLastError(ERROR_SHARING_VIOLATION), 0;
    struct stat target {};
    if (lstat(to.c_str(), &target) == 0) {
        if (HeldByAnotherProgram(to.c_str())) return SetLastError(ERROR_ACCESS_DENIED), 0;
        if (!(flags & MOVEFILE_REPLACE_EXISTING)) return SetLastError(ERROR_ALREADY_EXISTS), 0;
        if (S_ISDIR(target.st_mode) || !(target.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
            return SetLastError(ERROR_ACCESS_DENIED), 0;
    }

    if (flags & MOVEFILE_WRITE_THROUGH) SyncPath(from, O_RDONLY);
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        SetLastError(ErrorOf(errno));
        return 0;
    }
    if (flags & MOVEFILE_WRITE_THROUGH) SyncPath(FolderOf(to), O_RDONLY | O_DIRECTORY);
    return 1;
}

// Files by handle, as the Win32 calls give them, on POSIX systems. What only
// the host can know (another program holding a file, a full disk) it answers
// through VelloquinHost_Seam; without it files behave as on an idle disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "platform/paths.h"
#include "platform/posix/host_seam.h"

namespace {

VelloquinHostSeam* Seam() { return VelloquinHost_Seam ? VelloquinHost_Seam() : nullptr; }

bool Held(const std::string& nativePath) { return HeldByAnotherProgram(nativePath.c_str()); }

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd) + 1); }
int DescriptorOf(HANDLE handle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(handle) - 1); }

DWORD ErrorOf(int error) {
    switch (error) {
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case ENOSPC:
        case EDQUOT: return ERROR_DISK_FULL;
        default: return ERROR_ACCESS_DENIED;
    }
}

}  // namespace

bool HeldByAnotherProgram(const char* nativePath) {
    auto* seam = Seam();
    return seam && seam->fileHeld && seam->fileHeld(nativePath);
}

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD, void*, DWORD disposition, DWORD, HANDLE) {
    if (!fileName || (disposition != CREATE_ALWAYS && disposition != OPEN_EXISTING))
        return SetLastError(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
    const std::string path = Velloquin::NativePath(fileName);
    // The holder reads the file and shares it for reading and writing, but our
    // caller asks for it whole: as on Windows, the open conflicts.
    if (Held(path)) return SetLastError(ERROR_SHARING_VIOLATION), INVALID_HANDLE_VALUE;
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return SetLastError(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
    const bool writing = access & GENERIC_WRITE;
    const int flags = (writing ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY) | O_CLOEXEC |
                      (disposition == CREATE_ALWAYS ? O_CREAT | O_TRUNC : 0);
    const int fd = open(path.c_str(), flags, 0666);
    if (fd < 0) return SetLastError(ErrorOf(errno)), INVALID_HANDLE_VALUE;
    return HandleOf(fd);
}

// Writes what the disk takes; a full disk writes part and fails, as Windows does.
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, DWORD* written, void*) {
    if (written) *written = 0;
    if (file == INVALID_HANDLE_VALUE || !file || (!buffer && size)) return SetLastError(ERROR_INVALID_PARAMETER), 0;
    DWORD room = size;
    if (auto* seam = Seam(); seam && seam->writeRoom) room = seam->writeRoom(size);
    const auto* bytes = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < room) {
        const ssize_t n = write(DescriptorOf(file), bytes + done, room - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (written) *written = done;
            return SetLastError(n < 0 ? ErrorOf(errno) : ERROR_DISK_FULL), 0;
        }
        done += static_cast<DWORD>(n);
    }
    if (written) *written = done;
    if (done < size) return SetLastError(ERROR_DISK_FULL), 0;
    return 1;
}

BOOL FlushFileBuffers(HANDLE file) {
    if (file == INVALID_HANDLE_VALUE || !file) return SetLastError(ERROR_INVALID_PARAMETER), 0;
    if (fsync(DescriptorOf(file)) != 0) return SetLastError(ErrorOf(errno)), 0;
    return 1;
}

BOOL CloseHandle(HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE || !handle) return SetLastError(ERROR_INVALID_PARAMETER), 0;
    if (close(DescriptorOf(handle)) != 0) return SetLastError(ErrorOf(errno)), 0;
    return 1;
}

BOOL DeleteFileA(LPCSTR fileName) {
    if (!fileName) return SetLastError(ERROR_INVALID_PARAMETER), 0;
    const std::string path = Velloquin::NativePath(fileName);
    if (Held(path)) return SetLastError(ERROR_SHARING_VIOLATION), 0;
    if (unlink(path.c_str()) != 0) return SetLastError(ErrorOf(errno)), 0;
    return 1;
}

namespace {
thread_local DWORD threadErrorMode = 0;
}  // namespace

BOOL SetThreadErrorMode(DWORD newMode, DWORD* oldMode) {
    if (oldMode) *oldMode = threadErrorMode;
    threadErrorMode = newMode;
    return 1;
}

DWORD GetThreadErrorMode() { return threadErrorMode; }

void Sleep(DWORD milliseconds) {
    if (auto* seam = Seam(); seam && seam->sleep) return seam->sleep(milliseconds);
    timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

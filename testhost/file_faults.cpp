#include "file_faults.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>

#include "game_folder.h"
#include "host.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace TestHost {

namespace {

struct Holder {
#ifdef _WIN32
    HANDLE handle = INVALID_HANDLE_VALUE;
#else
    dev_t device = 0;
    ino_t inode = 0;
#endif
    int waitsLeft = -1;
};

std::mutex faultsMutex;
std::map<std::string, Holder> holders;  // by absolute path
std::int64_t diskRoom = -1;
int waits = 0;
std::int64_t waitedMilliseconds = 0;

void Let(Holder& holder) {
#ifdef _WIN32
    CloseHandle(holder.handle);
#else
    (void)holder;
#endif
}

}  // namespace

bool HoldFile(const std::string& relativePath, int waitsHeld) {
    const std::string path = GameFilePath(relativePath);
    Holder holder;
    holder.waitsLeft = waitsHeld;
#ifdef _WIN32
    holder.handle = CreateFileW(std::filesystem::u8path(path).wstring().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (holder.handle == INVALID_HANDLE_VALUE) return false;
#else
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return false;
    holder.device = status.st_dev;
    holder.inode = status.st_ino;
#endif
    std::lock_guard lock(faultsMutex);
    if (auto old = holders.find(path); old != holders.end()) Let(old->second);
    holders[path] = holder;
    return true;
}

void ReleaseFile(const std::string& relativePath) {
    std::lock_guard lock(faultsMutex);
    const auto held = holders.find(GameFilePath(relativePath));
    if (held == holders.end()) return;
    Let(held->second);
    holders.erase(held);
}

void ReleaseAllFiles() {
    std::lock_guard lock(faultsMutex);
    for (auto& [path, holder] : holders) Let(holder);
    holders.clear();
}

void SetDiskRoom(std::int64_t bytes) {
    std::lock_guard lock(faultsMutex);
    diskRoom = bytes;
}

int PluginWaits() {
    std::lock_guard lock(faultsMutex);
    return waits;
}

std::int64_t PluginWaitedMilliseconds() {
    std::lock_guard lock(faultsMutex);
    return waitedMilliseconds;
}

void ResetFileFaults() {
    ReleaseAllFiles();
    std::lock_guard lock(faultsMutex);
    diskRoom = -1;
    waits = 0;
    waitedMilliseconds = 0;
}

namespace Seam {

bool FileHeld(const char* path) {
#ifdef _WIN32
    (void)path;
    return false;  // the system itself knows the host's handles
#else
    struct stat status {};
    if (!path || stat(path, &status) != 0) return false;
    std::lock_guard lock(faultsMutex);
    for (const auto& [name, holder] : holders)
        if (holder.device == status.st_dev && holder.inode == status.st_ino) return true;
    return false;
#endif
}

std::uint32_t WriteRoom(std::uint32_t requested) {
    std::lock_guard lock(faultsMutex);
    if (diskRoom < 0) return requested;
    const auto taken = static_cast<std::uint32_t>(std::min<std::int64_t>(diskRoom, requested));
    diskRoom -= taken;
    return taken;
}

void Sleep(std::uint32_t milliseconds) {
    {
        std::lock_guard lock(faultsMutex);
        ++waits;
        waitedMilliseconds += milliseconds;
        for (auto held = holders.begin(); held != holders.end();) {
            if (held->second.waitsLeft > 0 && --held->second.waitsLeft == 0) {
                Let(held->second);
                held = holders.erase(held);
            } else {
                ++held;
            }
        }
    }
    Advance(milliseconds);
}

}  // namespace Seam

}  // namespace TestHost

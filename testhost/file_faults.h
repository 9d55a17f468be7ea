// The file system as players have it: another program (a virus scanner, a
// cloud-sync client, an open editor) holding a file open without delete
// sharing, and a disk that fills up. On Windows a held file is a real handle
// of the host, so the system's own calls refuse it; on Linux the POSIX
// stand-in asks the host. A full disk is the host's answer to the plug-in's
// WriteFile in both builds.
#pragma once

#include <cstdint>
#include <string>

namespace TestHost {

// Another program opens the file (below the game folder) for reading, sharing
// it for reading and writing but not for deletion; it lets go after the
// plug-in has waited (Sleep) `waitsHeld` times, or never when negative.
// False when the file cannot be opened.
bool HoldFile(const std::string& relativePath, int waitsHeld = -1);
void ReleaseFile(const std::string& relativePath);
void ReleaseAllFiles();
// The disk takes `bytes` more bytes, then every write fails (negative: no limit).
void SetDiskRoom(std::int64_t bytes);
// How many times the plug-in waited, and for how long in all (milliseconds).
int PluginWaits();
std::int64_t PluginWaitedMilliseconds();
// Everything back to an idle disk.
void ResetFileFaults();

namespace Seam {
// Linux: whether a held file has this path (the same file, however named).
bool FileHeld(const char* path);
// How many of `requested` bytes the disk takes now.
std::uint32_t WriteRoom(std::uint32_t requested);
// The plug-in's thread waits: the host's clock runs on, no real time passes.
void Sleep(std::uint32_t milliseconds);
}  // namespace Seam

}  // namespace TestHost

// The few file operations the log needs, on paths given as UTF-8 text in
// the Windows form (backslashes; on Linux the POSIX build turns them into
// its own paths as NativePath does). Each write goes straight to the
// operating system, unbuffered: a line written is in the file even if the
// process dies right after.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Velloquin {

using LogFileHandle = std::intptr_t;
inline constexpr LogFileHandle noLogFile = -1;

// Makes the folder and every missing folder above it; true when it exists afterwards.
bool MakeLogFolder(const std::string& folder);
// True when the folder exists.
bool LogFolderExists(const std::string& folder);
// When the file (not a folder) was last written, in the system's units (only
// compared with another such time); -1 when there is no such file.
std::int64_t LogFileTime(const std::string& path);
// Puts the file `from` in the place of `to`, replacing it; false when nothing
// moved (a file another program holds without delete sharing, as either name,
// is not moved or replaced on any platform).
bool MoveLogFile(const std::string& from, const std::string& to);
// Deletes the file; false when it is not there or cannot be deleted (held).
bool RemoveLogFile(const std::string& path);
// A new, empty file for writing (an old one of that name is emptied); noLogFile when it cannot be made.
LogFileHandle CreateLogFile(const std::string& path);
// Writes all the bytes; false on any failure (a full disk among them).
bool WriteLogFile(LogFileHandle file, const char* bytes, std::size_t size);
void CloseLogFile(LogFileHandle file);

}  // namespace Velloquin

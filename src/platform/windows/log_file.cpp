// The log's file operations on Windows: wide paths, so that a user folder
// with any name works, and WriteFile without a buffer of the runtime's.
#include "platform/log_file.h"

#include "platform/error_mode.h"
#include "platform/win32.h"

namespace Velloquin {

namespace {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool MakeLogFolder(const std::string& folder) {
    const CriticalErrorBoxesOff noBoxes;
    const std::wstring path = Wide(folder);
    if (path.empty()) return false;
    // Each folder on the way, from the top; the ones that exist are left as they are.
    for (std::size_t at = path.find_first_of(L"\\/", 3); at != std::wstring::npos;
         at = path.find_first_of(L"\\/", at + 1)) {
        const std::wstring part = path.substr(0, at);
        if (!IsFolder(part)) CreateDirectoryW(part.c_str(), nullptr);
    }
    if (!IsFolder(path)) CreateDirectoryW(path.c_str(), nullptr);
    return IsFolder(path);
}

bool LogFolderExists(const std::string& folder) {
    const CriticalErrorBoxesOff noBoxes;
    return IsFolder(Wide(folder));
}

std::int64_t LogFileTime(const std::string& path) {
    const CriticalErrorBoxesOff noBoxes;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                     data.ftLastWriteTime.dwLowDateTime);
}

bool MoveLogFile(const std::string& from, const std::string& to) {
    const CriticalErrorBoxesOff noBoxes;
    // Windows refuses to replace a read-only file; Wine replaces it. Refused
    // here on both, so that the log keeps the same names under either.
    const DWORD target = GetFileAttributesW(Wide(to).c_str());
    if (target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_READONLY)) return false;
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool RemoveLogFile(const std::string& path) {
    const CriticalErrorBoxesOff noBoxes;
    return DeleteFileW(Wide(path).c_str()) != 0;
}

LogFileHandle CreateLogFile(const std::string& path) {
    const CriticalErrorBoxesOff noBoxes;
    // Others may read it (and a player may open it) while the game runs.
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return noLogFile;
    return reinterpret_cast<LogFileHandle>(file);
}

bool WriteLogFile(LogFileHandle file, const char* bytes, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        if (!WriteFile(reinterpret_cast<HANDLE>(file), bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

void CloseLogFile(LogFileHandle file) {
    if (file != noLogFile) CloseHandle(reinterpret_cast<HANDLE>(file));
}

}  // namespace Velloquin

#include "doctor/bundle_output.h"

#include <system_error>

#include "base/text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace Velloquin::Doctor {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
using FileHandle = HANDLE;
const FileHandle noFile = INVALID_HANDLE_VALUE;
int LastError() { return static_cast<int>(GetLastError()); }
bool AlreadyExists(int error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }
FileHandle CreateNew(const fs::path& path) {
    return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}
bool WriteAll(FileHandle file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(bytes.size() < (1u << 20) ? bytes.size() : (1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return FlushFileBuffers(file) != 0;
}
bool Close(FileHandle file) { return CloseHandle(file) != 0; }
// MoveFileExW without MOVEFILE_REPLACE_EXISTING fails when the target exists.
bool MoveWithoutReplacing(const fs::path& from, const fs::path& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}
// The system's text for the error, read wide so that any language reads right.
std::string Reason(int error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string wide(reinterpret_cast<const char16_t*>(text), length);
    if (text) LocalFree(text);
    while (!wide.empty() && (wide.back() == u'\n' || wide.back() == u'\r' || wide.back() == u'.' || wide.back() == u' '))
        wide.pop_back();
    return wide.empty() ? "error " + std::to_string(error) : Utf16ToUtf8(wide);
}
#else
using FileHandle = int;
const FileHandle noFile = -1;
int LastError() { return errno; }
bool AlreadyExists(int error) { return error == EEXIST; }
FileHandle CreateNew(const fs::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
}
bool WriteAll(FileHandle file, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(file, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return ::fsync(file) == 0;
}
bool Close(FileHandle file) { return ::close(file) == 0; }
// A rename that refuses a taken name; where the file system cannot do that,
// a second name for the file (link() refuses a taken name too), then the
// temporary name goes.
bool MoveWithoutReplacing(const fs::path& from, const fs::path& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}
std::string Reason(int error) { return std::generic_category().message(error); }
#endif

}  // namespace

bool WriteNewFile(const fs::path& target, std::string_view bytes, std::string& reason) {
    // A free temporary name beside the target: the same folder, so the move
    // stays on one disk.
    fs::path partial;
    FileHandle file = noFile;
    int error = 0;
    for (int attempt = 0; attempt < 100 && file == noFile; ++attempt) {
        partial = target;
        partial += attempt == 0 ? std::string(".partial") : ".partial" + std::to_string(attempt);
        file = CreateNew(partial);
        error = file == noFile ? LastError() : 0;
        if (file == noFile && !AlreadyExists(error)) break;
    }
    if (file == noFile) {
        reason = Reason(error);
        return false;
    }
    bool done = WriteAll(file, bytes);
    error = done ? 0 : LastError();
    if (!Close(file) && done) {
        done = false;
        error = LastError();
    }
    if (done && !MoveWithoutReplacing(partial, target)) {
        done = false;
        error = LastError();
    }
    if (!done) {
        reason = AlreadyExists(error) ? std::string("the name was taken while the bundle was written") : Reason(error);
        std::error_code ignored;
        fs::remove(partial, ignored);
    }
    return done;
}

}  // namespace Velloquin::Doctor

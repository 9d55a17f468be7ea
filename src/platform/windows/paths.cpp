#include "platform/paths.h"

#include <vector>

#include "base/text.h"
#include "platform/win32.h"

namespace Velloquin {

// Windows takes its own paths as they are.
std::string NativePath(const std::string& path) { return path; }

namespace {

// Text in the ANSI code page to UTF-16 and back, as the ANSI calls convert.
std::wstring FromAnsi(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string ToAnsi(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
    return text;
}

std::wstring Wide(const std::string& text) {
    const std::u16string wide = Utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(const wchar_t* text, std::size_t length) {
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

// A path through one of the calls that fill a buffer and say how much they need.
template <class Call>
std::string PathThrough(const std::string& path, Call call) {
    if (path.empty()) return path;
    const std::wstring wide = Wide(path);
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int tries = 0; tries < 3; ++tries) {
        const DWORD length = call(wide.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return path;
        if (length < buffer.size()) return Narrow(buffer.data(), length);
        buffer.resize(length + 1);
    }
    return path;
}

}  // namespace

std::string ShortPath(const std::string& path) { return PathThrough(path, GetShortPathNameW); }

std::string LongPath(const std::string& path) { return PathThrough(path, GetLongPathNameW); }

std::string EnvironmentText(const char* name) {
    const std::wstring wideName = Wide(name);
    std::vector<wchar_t> buffer(256);
    for (int tries = 0; tries < 3; ++tries) {
        const DWORD length = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return Narrow(buffer.data(), length);
        buffer.resize(length);
    }
    return {};
}

std::string ReadProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                              const std::string& path, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    const std::wstring file = Wide(path);
    std::vector<wchar_t> buffer(bufferSize, L'\0');
    GetPrivateProfileStringW(FromAnsi(section).c_str(), FromAnsi(key).c_str(), FromAnsi(defaultValue).c_str(),
                             buffer.data(), static_cast<DWORD>(bufferSize), file.c_str());
    buffer.back() = L'\0';
    std::string value = ToAnsi(buffer.data());
    if (value.size() >= bufferSize) value.resize(bufferSize - 1);
    return value;
}

bool ReplaceFileInOneStep(const std::string& source, const std::string& target) {
    // Windows refuses to replace a read-only file; not every emulation of it
    // does, so the attribute is checked here.
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        SetLastError(ERROR_FILE_READ_ONLY);
        return false;
    }
    return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace Velloquin

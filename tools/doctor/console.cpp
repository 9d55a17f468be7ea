// The doctor's console: Windows consoles take UTF-16 (WriteConsoleW), so
// that Cyrillic or Chinese paths read right whatever the console's code page;
// a redirected output gets the UTF-8 bytes.
#include <cstdio>
#include <iostream>

#include "base/text.h"
#include "doctor/command.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

namespace Velloquin::Doctor {

namespace {

#ifdef _WIN32
bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

void WriteTo(DWORD which, std::ostream& stream, const std::string& text) {
    const HANDLE handle = GetStdHandle(which);
    if (!IsConsole(handle)) {
        stream << text;
        stream.flush();
        return;
    }
    stream.flush();
    std::u16string wide = Utf8ToUtf16(text);
    // A console wants CR LF no more than a stream in text mode writes it.
    const wchar_t* data = reinterpret_cast<const wchar_t*>(wide.data());
    std::size_t left = wide.size();
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(left < 8192 ? left : 8192);
        if (!WriteConsoleW(handle, data, chunk, &written, nullptr) || written == 0) return;
        data += written;
        left -= written;
    }
}

bool ReadLine(std::string& line) {
    const HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    if (!IsConsole(handle)) return static_cast<bool>(std::getline(std::cin, line));
    std::u16string wide;
    wchar_t buffer[256];
    for (;;) {
        DWORD read = 0;
        if (!ReadConsoleW(handle, buffer, 256, &read, nullptr) || read == 0) break;
        wide.append(reinterpret_cast<const char16_t*>(buffer), read);
        if (wide.back() == u'\n') break;
    }
    line = Utf16ToUtf8(wide);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return !wide.empty();
}

// Only this program is attached to its console: Explorer made the window
// for it, and the window closes when it ends.
bool OwnConsoleWindow() {
    DWORD processes[2];
    return GetConsoleProcessList(processes, 2) == 1;
}

std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (int tries = 0; tries < 4; ++tries) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            const std::size_t slash = path.find_last_of(L"\\/");
            if (slash != std::wstring::npos) path.resize(slash);
            return Utf16ToUtf8(std::u16string(path.begin(), path.end()));
        }
        path.resize(path.size() * 2);
    }
    return {};
}
#endif

}  // namespace

Console ProcessConsole() {
    Console console;
#ifdef _WIN32
    console.write = [](const std::string& text) { WriteTo(STD_OUTPUT_HANDLE, std::cout, text); };
    console.writeError = [](const std::string& text) { WriteTo(STD_ERROR_HANDLE, std::cerr, text); };
    console.readLine = ReadLine;
    console.ownWindow = OwnConsoleWindow();
    console.programFolder = ProgramFolder();
#else
    console.write = [](const std::string& text) { std::cout << text << std::flush; };
    console.writeError = [](const std::string& text) { std::cerr << text << std::flush; };
    console.readLine = [](std::string& line) { return static_cast<bool>(std::getline(std::cin, line)); };
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length > 0) {
        console.programFolder.assign(path, static_cast<std::size_t>(length));
        console.programFolder.resize(console.programFolder.rfind('/') + 1);
    }
#endif
    return console;
}

}  // namespace Velloquin::Doctor

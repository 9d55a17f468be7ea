// GetPrivateProfileStringA of the stand-in: reads an INI file the way the
// Windows profile reader does, so that a settings file means the same on both
// builds. Every rule here was checked against the real call (tests/unit/
// profile_reader_test.cpp runs the same table against both):
// - the file is read as bytes in the ANSI code page (1252), or as UTF-8 after
//   a UTF-8 byte-order mark, or as UTF-16 after a UTF-16 mark (either order);
// - lines end at every CR and every LF; each line loses its blanks (tab to CR,
//   0x1A and space) at both ends, and empty lines are skipped;
// - "[" starts a section named by the text up to the last "]", trimmed; with
//   no "]" the line is a key line; keys before any section belong to the
//   section with the empty name;
// - a key line splits at its first "="; name and value are trimmed; a line
//   without "=" is a key without value, answered with the default;
// - there are no comments; a NUL ends a name or value;
// - section and key names compare without case of ASCII letters (other
//   letters compare exactly); the first section of a name
//   is the only one searched, and the first key of a name in it wins;
// - the answer (value or default) loses one pair of enclosing quotes; the
//   default first loses trailing spaces (never its first character);
// - the answer is cut to size - 1 characters and NUL-terminated; the count of
//   characters copied is returned. A value in quotes that had to be cut keeps
//   its last character where the closing quote would have been dropped.
// - a missing file in an existing folder reads as an empty file; a missing
//   folder, a folder in place of the file, or a path of MAX_PATH characters or
//   more gives the default as it is (trailing spaces removed, quotes kept).
// Not provided: the lists of section or key names that a null section or key
// asks for (the plug-in never asks); the answer is then empty.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/paths.h"
#include "platform/posix/win32_posix.h"

namespace {

constexpr std::size_t maxPath = 260;

bool IsProfileBlank(char c) { return c == ' ' || c == '\x1A' || (c >= '\t' && c <= '\r'); }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A NUL ends a name or a value, as it ends the reader's strings.
std::string UpToNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

// Code page 1252: the characters of bytes 0x80 to 0x9F (the five unassigned
// bytes stand for the control characters of their own value).
constexpr char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char ToCodePage(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (cp1252High[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

// Only ASCII letters fold: the Windows reader tells an accented capital from its small letter.
unsigned char Lower(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(static_cast<unsigned char>(x)) == Lower(static_cast<unsigned char>(y));
           });
}

std::string FromUtf8(std::string_view bytes) {
    std::string text;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
        char32_t c = extra == 0 ? lead : extra == 1 ? (lead & 0x1F) : extra == 2 ? (lead & 0x0F) : (lead & 0x07);
        bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < bytes.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid) {
            text += '?';
            ++i;
            continue;
        }
        text += ToCodePage(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return text;
}

std::string FromUtf16(std::string_view bytes, bool bigEndian) {
    std::string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto b0 = static_cast<unsigned char>(bytes[i]), b1 = static_cast<unsigned char>(bytes[i + 1]);
        const char16_t unit = bigEndian ? static_cast<char16_t>(b0 << 8 | b1) : static_cast<char16_t>(b1 << 8 | b0);
        // A surrogate pair is one character outside the code page.
        if (unit >= 0xDC00 && unit <= 0xDFFF) continue;
        text += unit >= 0xD800 && unit <= 0xDBFF ? '?' : ToCodePage(unit);
    }
    return text;
}

// The file's text in the ANSI code page, after any byte-order mark.
std::string DecodeFile(const std::string& bytes) {
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return FromUtf8(std::string_view(bytes).substr(3));
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) return FromUtf16(std::string_view(bytes).substr(2), false);
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFE\xFF") == 0) return FromUtf16(std::string_view(bytes).substr(2), true);
    return bytes;
}

// Finds section/key in the text. Returns false when the key is absent or has
// no "="; value then is untouched.
bool FindValue(const std::string& text, std::string_view section, std::string_view key, std::string& value) {
    bool inSection = section.empty();  // keys before the first header belong to the unnamed section
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        const std::string_view line = Trim(std::string_view(text).substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;

        if (line.front() == '[') {
            const std::size_t close = line.rfind(']');
            if (close != std::string_view::npos && close > 0) {
                if (inSection) return false;  // only the first section of the name is searched
                inSection = SameName(UpToNul(Trim(line.substr(1, close - 1))), section);
                continue;
            }
        }
        if (!inSection) continue;
        const std::size_t equals = line.find('=');
        const std::string name = UpToNul(Trim(line.substr(0, equals)));
        if (!SameName(name, key)) continue;
        if (equals == std::string_view::npos) return false;  // a key without value
        value = UpToNul(Trim(line.substr(equals + 1)));
        return true;
    }
    return false;
}

// Copies text into buffer as the profile reader does: one pair of enclosing
// quotes removed, cut to size - 1, NUL-terminated; returns the count.
DWORD CopyAnswer(std::string_view text, LPSTR buffer, DWORD size, bool stripQuotes) {
    bool quoted = false;
    if (stripQuotes && text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front()) {
        quoted = true;
        text.remove_prefix(1);
    }
    std::size_t count = std::min<std::size_t>(text.size(), size - 1);
    if (count > 0) std::memcpy(buffer, text.data(), count);
    // The closing quote goes only when all of the rest fitted.
    if (quoted && size >= text.size() && count > 0) --count;
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

enum class FileState { Read, Missing, Unusable };

FileState ReadFile(const char* fileName, std::string& bytes) {
    if (!fileName) return FileState::Missing;
    const std::string path = Velloquin::NativePath(fileName);
    // A bare file name is looked for in the Windows folder, which this system has not.
    if (path.find('/') == std::string::npos) return FileState::Missing;

    std::size_t fullLength = path.size() + 2;  // with a drive
    if (path.front() != '/') {
        char cwd[PATH_MAX];
        if (!getcwd(cwd, sizeof cwd)) return FileState::Unusable;
        fullLength += std::strlen(cwd) + 1;
    }
    if (fullLength >= maxPath) return FileState::Unusable;

    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT) return FileState::Unusable;
        // Not found in an existing folder reads as an empty file; a missing folder is an error.
        const std::size_t slash = path.find_last_of('/');
        const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
        struct stat folderStatus {};
        return stat(folder.c_str(), &folderStatus) == 0 && S_ISDIR(folderStatus.st_mode) ? FileState::Missing
                                                                                          : FileState::Unusable;
    }
    if (!S_ISREG(status.st_mode)) return FileState::Unusable;

    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return FileState::Unusable;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return failed ? FileState::Unusable : FileState::Read;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR fileName) {
    if (!buffer || size == 0) return 0;

    // The default loses its trailing spaces, but never its first character.
    std::string_view fallback = defaultValue ? std::string_view(defaultValue) : std::string_view();
    while (fallback.size() > 1 && fallback.back() == ' ') fallback.remove_suffix(1);

    std::string bytes;
    const FileState state = ReadFile(fileName, bytes);
    if (state == FileState::Unusable) return CopyAnswer(fallback, buffer, size, false);
    if (!section || !key) {
        buffer[0] = '\0';
        if (size > 1) buffer[1] = '\0';
        return 0;
    }

    const std::string text = DecodeFile(bytes);
    std::string value;
    const std::string_view wantedSection = Trim(section), wantedKey = Trim(key);
    if (FindValue(text, wantedSection, wantedKey, value)) return CopyAnswer(value, buffer, size, true);
    return CopyAnswer(fallback, buffer, size, true);
}

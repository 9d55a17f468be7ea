// GetPrivateProfileStringA of the stand-in: reads an INI file the way the
// Windows profile reader does, so that a settings file means the same on both
// builds. Every rule here was checked against the real call (tests/unit/
// profile_reader_test.cpp runs the same table against both):
// - the file is read as bytes in the ANSI code page (1252), or as UTF-8 after
//   a UTF-8 byte-order mark, or as UTF-16 after a UTF-16 mark (either order);
//   names are compared in UTF-16 and only the answer is converted to 1252
//   (best fit where recorded, else "?"; a character beyond U+FFFF gives two);
// - lines end at every CR and every LF; each line loses its blanks (tab to CR,
//   0x1A and space) at both ends, and empty lines are skipped;
// - "[" starts a section named by the text up to the last "]", trimmed; with
//   no "]" the line is a key line; keys before any section belong to the
//   section with the empty name;
// - a key line splits at its first "="; name and value are trimmed; a line
//   without "=" is a key without value, answered with the default;
// - there are no comments; a NUL ends a name or value and nothing more (a
//   file named "nul.ini" on Windows is the null device, read as empty);
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

#include "base/text.h"
#include "platform/paths.h"
#include "platform/posix/win32_posix.h"

namespace {

constexpr std::size_t maxPath = 260;

// The file is parsed as UTF-16 text, as the Windows reader parses it: names
// compare before anything is converted to the code page, and only the answer
// is converted.
using Text = std::u16string;
using TextView = std::u16string_view;

bool IsProfileBlank(char16_t c) { return c == u' ' || c == 0x1A || (c >= u'\t' && c <= u'\r'); }

TextView Trim(TextView text) {
    while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A NUL ends a name or a value, as it ends the reader's strings.
TextView UpToNul(TextView text) { return text.substr(0, text.find(u'\0')); }

// Code page 1252: the characters of bytes 0x80 to 0x9F (the five unassigned
// bytes stand for the control characters of their own value).
constexpr char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The nearest byte of 1252 the Windows reader gives for U+0100 to U+017F
// (letters lose their marks: "ā ı ł" read "a i l"; "?" where it has none).
constexpr char latinExtendedA[] =
    "AaAaAaCcCcCcCcDd\xD0" "dEeEeEeEeEeGgGg"
    "GgGgHhHhIiIiIiIiIi??JjKk?LlLlLl?"
    "?LlNnNnNn???OoOoOo\x8C\x9CRrRrRrSsSsSs"
    "\x8A\x9ATtTtTtUuUuUuUuUuUuWwYy\x9FZzZz\x8E\x9E?";
static_assert(sizeof latinExtendedA == 0x80 + 1);

char16_t FromCodePage(unsigned char byte) { return byte >= 0x80 && byte < 0xA0 ? cp1252High[byte - 0x80] : byte; }

// One UTF-16 unit in 1252: the byte of the character, else the nearest one
// the Windows reader gives (the ranges it was compared on), else "?". The
// halves of a surrogate pair are a "?" each.
char ToCodePage(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    if (c >= 0x100 && c < 0x180) return latinExtendedA[c - 0x100];
    if (c >= 0xFF01 && c <= 0xFF5E) return static_cast<char>(c - 0xFEE0);  // full-width ASCII
    for (int i = 0; i < 32; ++i)
        if (cp1252High[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

std::string ToCodePage(TextView text) {
    std::string bytes(text.size(), '\0');
    std::transform(text.begin(), text.end(), bytes.begin(), [](char16_t c) { return ToCodePage(c); });
    return bytes;
}

Text FromCodePage(std::string_view bytes) {
    Text text(bytes.size(), u'\0');
    std::transform(bytes.begin(), bytes.end(), text.begin(), [](char b) { return FromCodePage(static_cast<unsigned char>(b)); });
    return text;
}

bool IsContinuation(unsigned char b) { return b >= 0x80 && b <= 0xBF; }

// UTF-8 as the Windows reader decodes it. Each malformed piece becomes one
// U+FFFD: a byte that cannot start a character (80-BF, C0, C1, F5-FF); a
// start byte and a second byte that is a continuation out of the start
// byte's range (overlong forms, surrogates, beyond U+10FFFF); or the start of
// a character cut short by a byte that is no continuation.
// Kept apart from the shared Utf8ToUtf16 (base/text.h) on purpose: that one
// gives one U+FFFD per malformed sequence, whereas this one imitates how
// Windows splits malformed input into pieces (C0 AF gives two, E0 80 80 two),
// so that a settings file with such bytes reads here as it reads in the game.
Text FromUtf8(std::string_view bytes) {
    Text text;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            text += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        const int extra = lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2 : lead >= 0xF0 && lead <= 0xF4 ? 3 : 0;
        if (extra == 0 || i + 1 >= bytes.size() || !IsContinuation(static_cast<unsigned char>(bytes[i + 1]))) {
            text += u'\xFFFD';
            ++i;
            continue;
        }
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        if (second < low || second > high) {
            text += u'\xFFFD';
            i += 2;
            continue;
        }
        char32_t c = (lead & (0x7F >> (extra + 1))) << 6 | (second & 0x3F);
        int k = 2;
        for (; k <= extra && i + static_cast<std::size_t>(k) < bytes.size(); ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            if (!IsContinuation(next)) break;
            c = c << 6 | (next & 0x3F);
        }
        i += static_cast<std::size_t>(k);
        if (k <= extra) {
            text += u'\xFFFD';
        } else if (c > 0xFFFF) {
            c -= 0x10000;
            text += static_cast<char16_t>(0xD800 + (c >> 10));
            text += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            text += static_cast<char16_t>(c);
        }
    }
    return text;
}

// UTF-16 units as they are, surrogates of their own included; an odd last byte is dropped.
Text FromUtf16(std::string_view bytes, bool bigEndian) {
    Text text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto b0 = static_cast<unsigned char>(bytes[i]), b1 = static_cast<unsigned char>(bytes[i + 1]);
        text += bigEndian ? static_cast<char16_t>(b0 << 8 | b1) : static_cast<char16_t>(b1 << 8 | b0);
    }
    return text;
}

// The file's text after any byte-order mark: bytes of the ANSI code page
// (1252), or UTF-8 after a UTF-8 mark, or UTF-16 after a UTF-16 mark.
Text DecodeFile(const std::string& bytes) {
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return FromUtf8(std::string_view(bytes).substr(3));
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) return FromUtf16(std::string_view(bytes).substr(2), false);
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFE\xFF") == 0) return FromUtf16(std::string_view(bytes).substr(2), true);
    return FromCodePage(bytes);
}

// Only ASCII letters fold: the Windows reader tells an accented capital from its small letter.
bool SameName(TextView a, TextView b) { return Velloquin::EqualIgnoringAsciiCase(a, b); }

// Finds section/key in the text. Returns false when the key is absent or has
// no "="; value then is untouched.
bool FindValue(const Text& text, TextView section, TextView key, TextView& value) {
    bool inSection = section.empty();  // keys before the first header belong to the unnamed section
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of(u"\r\n", pos);
        if (end == Text::npos) end = text.size();
        const TextView line = Trim(TextView(text).substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;

        if (line.front() == u'[') {
            const std::size_t close = line.rfind(u']');
            if (close != TextView::npos && close > 0) {
                if (inSection) return false;  // only the first section of the name is searched
                inSection = SameName(UpToNul(Trim(line.substr(1, close - 1))), section);
                continue;
            }
        }
        if (!inSection) continue;
        const std::size_t equals = line.find(u'=');
        if (!SameName(UpToNul(Trim(line.substr(0, equals))), key)) continue;
        if (equals == TextView::npos) return false;  // a key without value
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

    const Text text = DecodeFile(bytes);
    const Text wantedSection = FromCodePage(section), wantedKey = FromCodePage(key);
    TextView value;
    if (FindValue(text, Trim(wantedSection), Trim(wantedKey), value))
        return CopyAnswer(ToCodePage(value), buffer, size, true);
    return CopyAnswer(fallback, buffer, size, true);
}

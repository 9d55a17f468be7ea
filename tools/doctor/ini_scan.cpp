// Splits a settings file into lines the way the profile reader reads them:
// blanks trimmed at both ends, "[" ... "]" starts a section, the first '='
// splits name from value, a NUL ends a name or value.
#include "doctor/ini_scan.h"

#include "base/text.h"

namespace Velloquin::Doctor {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\x1A' || (c >= '\t' && c <= '\r'); }

std::string Trim(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string UpToNul(const std::string& text) { return text.substr(0, text.find('\0')); }

std::string FromUtf16(const std::string& bytes, std::size_t start, bool bigEndian) {
    std::string text;
    for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
        const auto b0 = static_cast<unsigned char>(bytes[i]), b1 = static_cast<unsigned char>(bytes[i + 1]);
        const unsigned unit = bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
        text += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return text;
}

std::string Decode(const std::string& bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return bytes.substr(3);
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) return FromUtf16(bytes, 2, false);
    if (bytes.compare(0, 2, "\xFE\xFF") == 0) return FromUtf16(bytes, 2, true);
    return bytes;
}

}  // namespace

bool SameIniName(const std::string& a, const std::string& b) { return EqualIgnoringAsciiCase(a, b); }

std::vector<IniLine> ScanIniText(const std::string& bytes) {
    const std::string text = Decode(bytes);
    std::vector<IniLine> lines;
    int section = -1;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        IniLine line;
        line.number = static_cast<int>(lines.size()) + 1;
        line.text = Trim(text.substr(pos, end - pos));
        line.section = section;
        // CR LF ends one line, not two.
        pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);

        const std::string& t = line.text;
        if (t.empty()) {
            line.kind = IniLine::Blank;
        } else if (t.front() == ';' || t.front() == '#') {
            line.kind = IniLine::Comment;
        } else if (const std::size_t close = t.rfind(']'); t.front() == '[' && close != std::string::npos && close > 0) {
            line.kind = IniLine::Section;
            line.name = UpToNul(Trim(t.substr(1, close - 1)));
            section = static_cast<int>(lines.size());
        } else if (const std::size_t equals = t.find('='); equals == std::string::npos) {
            line.kind = IniLine::KeyWithoutValue;
            line.name = UpToNul(t);
        } else {
            line.kind = IniLine::Key;
            line.name = UpToNul(Trim(t.substr(0, equals)));
            std::string value = UpToNul(Trim(t.substr(equals + 1)));
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            line.value = value;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace Velloquin::Doctor

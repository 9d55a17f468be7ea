#include "core/redact.h"

#include <algorithm>

#include "platform/paths.h"
#include "platform/shell_folders.h"

namespace Velloquin {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string WithoutTrailingSeparator(std::string text) {
    while (text.size() > 1 && IsSeparator(text.back())) text.pop_back();
    return text;
}

// One code point of UTF-8 at text[at], with the bytes it takes; a byte that
// starts no well-formed sequence stands for itself (as U+DC00 + byte, never
// equal to a letter), so that any bytes compare.
char32_t DecodeAt(std::string_view text, std::size_t at, std::size_t& length) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned lead = byte(0);
    length = 1;
    if (lead < 0x80) return lead;
    std::size_t need = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (need == 0 || at + need > text.size()) return 0xDC00 + lead;
    char32_t value = lead & (need == 2 ? 0x1F : need == 3 ? 0x0F : 0x07);
    for (std::size_t k = 1; k < need; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return 0xDC00 + lead;
        value = (value << 6) | (byte(k) & 0x3F);
    }
    length = need;
    return value;
}

// True when text at `at` spells `part` (paths compared as Windows compares
// them); `end` is then where the match ends in text.
bool SameAt(std::string_view text, std::size_t at, std::string_view part, std::size_t& end) {
    std::size_t i = at, j = 0;
    while (j < part.size()) {
        if (i >= text.size()) return false;
        if (IsSeparator(text[i]) && IsSeparator(part[j])) {
            ++i, ++j;
            continue;
        }
        std::size_t a = 0, b = 0;
        if (FoldedCase(DecodeAt(text, i, a)) != FoldedCase(DecodeAt(part, j, b))) return false;
        i += a, j += b;
    }
    end = i;
    return true;
}

// Where a path part may end: a separator, the end of a line or a quote, and
// what encloses or follows a path in a sentence.
bool EndsPart(std::string_view text, std::size_t at) {
    if (at >= text.size()) return true;
    const char c = text[at];
    return IsSeparator(c) || c == '\n' || c == '\r' || c == '"' || c == '\'' || c == ' ' || c == ')' || c == ':' ||
           c == ',' || c == ';' || c == '\t';
}

// A path starts here: not inside a longer name or path.
bool StartsPath(std::string_view text, std::size_t at) {
    if (at == 0) return true;
    const auto c = static_cast<unsigned char>(text[at - 1]);
    return !(c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
             IsSeparator(static_cast<char>(c)));
}

void LongestFirst(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() > b.size() : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
}

bool Below(const std::string& path, const std::string& folder) {
    std::size_t end = 0;
    return path.size() >= folder.size() && SameAt(path, 0, folder, end) && EndsPart(path, end);
}

}  // namespace

char32_t FoldedCase(char32_t c) {
    if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 0x20 : c;
    // Latin-1: à..þ but ÷; ÿ is Ÿ.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c == 0xFF) return 0x178;
    // Latin Extended-A: pairs, the upper-case letter first (ı is I, as Windows' table has it).
    if (c == 0x131) return 'I';
    if (c == 0x17F) return 'S';
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & 1 ? c - 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c & 1 ? c : c - 1;
    // Greek.
    if (c == 0x3C2) return 0x3A3;
    if ((c >= 0x3B1 && c <= 0x3C1) || (c >= 0x3C3 && c <= 0x3CB)) return c - 0x20;
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
    // Cyrillic: а..я, ѐ..џ, and the pairs of the extended letters.
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F)) return c & 1 ? c - 1 : c;
    if (c >= 0x4C1 && c <= 0x4CE) return c & 1 ? c : c - 1;
    if (c == 0x4CF) return 0x4C0;
    return c;
}

Redaction MakeRedaction(const std::vector<std::string>& profiles, const std::vector<std::string>& users,
                        const std::vector<std::string>& documents) {
    Redaction redaction;
    for (const std::string& profile : profiles) {
        const std::string folder = WithoutTrailingSeparator(profile);
        // A root ("C:\", "/") is no one's profile.
        if (folder.size() < 2 || (folder.size() <= 3 && folder[1] == ':') || folder == "/") continue;
        redaction.profiles.push_back(folder);
        const std::size_t last = folder.find_last_of("\\/");
        if (last != std::string::npos && last + 1 < folder.size()) redaction.users.push_back(folder.substr(last + 1));
    }
    for (const std::string& user : users)
        if (!user.empty()) redaction.users.push_back(user);
    for (const std::string& documentsFolder : documents) {
        const std::string folder = WithoutTrailingSeparator(documentsFolder);
        if (folder.size() < 2) continue;
        const bool inProfile = std::any_of(redaction.profiles.begin(), redaction.profiles.end(),
                                           [&](const std::string& profile) { return Below(folder, profile); });
        if (!inProfile) redaction.documents.push_back(folder);
    }
    LongestFirst(redaction.profiles);
    LongestFirst(redaction.documents);
    LongestFirst(redaction.users);
    return redaction;
}

Redaction UserRedaction(const std::vector<std::string>& moreProfiles, const std::vector<std::string>& moreUsers,
                        const std::vector<std::string>& moreDocuments) {
    std::vector<std::string> profiles, documents, users = moreUsers;
    const auto allForms = [](std::vector<std::string>& list, const std::string& path) {
        if (path.empty()) return;
        list.push_back(path);
        list.push_back(ShortPath(path));
        list.push_back(LongPath(path));
    };
    allForms(profiles, FindShellFolder(ShellFolder::Profile));
    allForms(profiles, EnvironmentText("USERPROFILE"));
    for (const std::string& profile : moreProfiles) allForms(profiles, profile);
    users.push_back(EnvironmentText("USERNAME"));
    allForms(documents, FindShellFolder(ShellFolder::Documents));
    for (const std::string& folder : moreDocuments) allForms(documents, folder);
    return MakeRedaction(profiles, users, documents);
}

std::size_t RedactionAt(std::string_view text, std::size_t at, const Redaction& redaction, std::string_view& replacement) {
    std::size_t end = 0;
    if (StartsPath(text, at)) {
        for (const std::string& folder : redaction.documents)
            if (SameAt(text, at, folder, end) && EndsPart(text, end)) {
                replacement = "%DOCUMENTS%";
                return end - at;
            }
        for (const std::string& folder : redaction.profiles)
            if (SameAt(text, at, folder, end) && EndsPart(text, end)) {
                replacement = "%USERPROFILE%";
                return end - at;
            }
    }
    // The user name as a whole part of a path: \name\ or \name at a part's end.
    if (at > 0 && IsSeparator(text[at - 1]))
        for (const std::string& user : redaction.users)
            if (SameAt(text, at, user, end) && EndsPart(text, end)) {
                replacement = "%USERNAME%";
                return end - at;
            }
    return 0;
}

std::string Redact(std::string_view text, const Redaction& redaction) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::string_view replacement;
        if (const std::size_t length = RedactionAt(text, at, redaction, replacement); length != 0) {
            out += replacement;
            at += length;
            continue;
        }
        out += text[at++];
    }
    return out;
}

}  // namespace Velloquin

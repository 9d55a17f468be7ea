#include "doctor/redact.h"

#include <cctype>

namespace Velloquin::Doctor {

namespace {

char Folded(char c) {
    if (c == '/') return '\\';
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameAt(std::string_view text, std::size_t at, std::string_view part) {
    if (at + part.size() > text.size()) return false;
    for (std::size_t i = 0; i < part.size(); ++i)
        if (Folded(text[at + i]) != Folded(part[i])) return false;
    return true;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Where a path part may end: a separator, the end of a line or a quote.
bool EndsPart(std::string_view text, std::size_t at) {
    return at >= text.size() || IsSeparator(text[at]) || text[at] == '\n' || text[at] == '\r' || text[at] == '"' ||
           text[at] == '\'' || text[at] == ' ' || text[at] == ')' || text[at] == ':';
}

}  // namespace

std::string RedactUser(std::string_view text, std::string_view profile, std::string_view user) {
    while (!profile.empty() && IsSeparator(profile.back())) profile.remove_suffix(1);
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        // The profile where a path starts (not inside a longer name or path).
        const bool pathStart = at == 0 || !(std::isalnum(static_cast<unsigned char>(text[at - 1])) ||
                                            IsSeparator(text[at - 1]) || text[at - 1] == '_');
        if (profile.size() > 1 && pathStart && SameAt(text, at, profile) && EndsPart(text, at + profile.size())) {
            out += "%USERPROFILE%";
            at += profile.size();
            continue;
        }
        // The user name as a whole part of a path: \name\ or \name at a part's end.
        if (!user.empty() && at > 0 && IsSeparator(text[at - 1]) && SameAt(text, at, user) &&
            EndsPart(text, at + user.size())) {
            out += "%USERNAME%";
            at += user.size();
            continue;
        }
        out += text[at++];
    }
    return out;
}

}  // namespace Velloquin::Doctor

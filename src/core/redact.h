// One redactor for everything the project writes for a player to send (the
// plug-in's log, the doctor's bug-report bundle): the user's profile folder
// becomes %USERPROFILE%, a Documents folder outside it %DOCUMENTS%, and the
// user name %USERNAME% wherever it is a whole part of a path. Paths compare as
// Windows compares them: '\' and '/' alike, letters without regard to case
// (ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic; letters of other
// scripts only as written).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Velloquin {

struct Redaction {
    std::vector<std::string> profiles;   // the profile folder in each form (long, 8.3), longest first
    std::vector<std::string> documents;  // Documents folders outside the profile, longest first
    std::vector<std::string> users;      // user names, longest first
};

// A redaction of these folders and names (UTF-8; empty ones are left out,
// trailing separators dropped). Each profile folder's last part counts as a
// user name too (C:\Users\john.CORP beside USERNAME=john, or JOHNSM~1); a
// Documents folder below a profile folder is left to the profile's rule.
Redaction MakeRedaction(const std::vector<std::string>& profiles, const std::vector<std::string>& users,
                        const std::vector<std::string>& documents);

// The redaction of the user running this process: the profile folder (the
// shell's, and USERPROFILE) in its long and 8.3 forms, the user name
// (USERNAME) and the Documents folder (the shell's) in both forms; with more
// folders and names where a caller knows them (a tool on Linux: HOME, USER).
Redaction UserRedaction(const std::vector<std::string>& moreProfiles = {}, const std::vector<std::string>& moreUsers = {},
                        const std::vector<std::string>& moreDocuments = {});

// The number of bytes of text at `at` that a rule replaces, with the
// replacement; 0 when none applies there. For writers that keep their own
// buffer (the log formats lines without allocating).
std::size_t RedactionAt(std::string_view text, std::size_t at, const Redaction& redaction, std::string_view& replacement);

// The text with every rule applied (before any escaping: a JSON writer
// redacts first, then doubles the backslashes).
std::string Redact(std::string_view text, const Redaction& redaction);

// Unicode letters compared without regard to case, as far as the rules above
// reach: the upper-case form of the code point.
char32_t FoldedCase(char32_t c);

}  // namespace Velloquin

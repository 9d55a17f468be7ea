// The lines of a settings file as a player sees them in an editor, with the
// sections and keys the profile reader makes of them. The doctor uses this
// only to point at lines; what a value does comes from the plug-in's own
// settings code.
#pragma once

#include <string>
#include <vector>

namespace Velloquin::Doctor {

struct IniLine {
    enum Kind {
        Blank,
        Comment,          // starts with ';' or '#': never a setting the plug-in reads
        Section,          // "[name]"
        Key,              // "name=value"
        KeyWithoutValue,  // text without '=': the reader sees a key without value
    };
    int number = 0;       // counted from 1; CR LF, a lone CR and a lone LF each end a line
    Kind kind = Blank;
    std::string text;     // the line without its surrounding blanks
    std::string name;     // section or key name, trimmed
    std::string value;    // Key: trimmed, one pair of enclosing quotes removed
    int section = -1;     // index (in the scan) of the section line above, -1 before any
};

// Decodes a file's bytes (a UTF-8 or UTF-16 byte-order mark is honoured;
// characters outside ASCII become '?') and splits them into lines.
std::vector<IniLine> ScanIniText(const std::string& bytes);

// Section and key names compare without case of ASCII letters, as the reader's do.
bool SameIniName(const std::string& a, const std::string& b);

}  // namespace Velloquin::Doctor

// Line checks: the sections, keys and lines of a settings file that the
// plug-in never reads, and files a player may take for the settings files.
#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>
#include <utility>
#include <vector>

#include "base/text.h"
#include "doctor/settings_check.h"
#include "config/settings.h"
#include "platform/paths.h"

namespace Velloquin::Doctor {

void CheckLines(Findings& findings, const SettingsFile& file) {
    // One pass each over the lines, so that a file of many sections or keys
    // takes time in proportion to its size.
    std::vector<std::size_t> settingsUnder(file.lines.size(), 0);  // by the section line's index
    for (const IniLine& line : file.lines)
        if (line.section >= 0 && (line.kind == IniLine::Key || line.kind == IniLine::KeyWithoutValue))
            ++settingsUnder[static_cast<std::size_t>(line.section)];

    std::map<std::string, int> firstSectionLine;  // lower-case name -> line
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const IniLine& line = file.lines[i];
        if (line.kind != IniLine::Section) continue;
        const bool known = SameIniName(line.name, visibilitySection) || SameIniName(line.name, keysSection) ||
                           SameIniName(line.name, modifiersSection) || SameIniName(line.name, gamepadSection) ||
                           SameIniName(line.name, outfitsSection) || SameIniName(line.name, logSection);
        const std::size_t settings = settingsUnder[i];
        const std::string count = std::to_string(settings) + (settings == 1 ? " setting" : " settings");
        const auto [first, isFirst] = firstSectionLine.emplace(LowerAscii(line.name), line.number);
        if (!known) {
            const std::string hint = Closest(line.name, {visibilitySection, keysSection, modifiersSection, gamepadSection, outfitsSection, logSection}, 3);
            Warn(findings, file.name, line.number, line.text, WarningKind::UnknownSection,
                 "the plug-in reads only the sections [Visibility], [QuickKeys], [QuickKeyModifiers], [Gamepad], [Outfits] and [Log]; the " + count +
                     " under [" + line.name + "] " + (settings == 1 ? "is" : "are") + " not read." +
                     (hint.empty() ? std::string() : " Did you mean [" + hint + "]?"));
        } else if (!isFirst) {
            Warn(findings, file.name, line.number, line.text, WarningKind::DuplicateSection,
                 "[" + line.name + "] already started on line " + std::to_string(first->second) +
                     "; only the first section of a name is read, so the " + count +
                     " under this one " + (settings == 1 ? "is not. Move it" : "are not. Move them") + " into the first one.");
        }
    }

    std::map<std::pair<int, std::string>, int> firstKeyLine;  // (section line index, lower-case key) -> line
    for (const IniLine& line : file.lines) {
        if (line.kind != IniLine::Key && line.kind != IniLine::KeyWithoutValue) continue;
        if (line.section < 0) {
            Warn(findings, file.name, line.number, line.text, WarningKind::OutsideSection,
                 "this line stands before any section header, so it is not read; put it under [Visibility] or "
                 "[QuickKeys].");
            continue;
        }
        const IniLine& header = file.lines[static_cast<std::size_t>(line.section)];
        const bool knownSection = SameIniName(header.name, visibilitySection) || SameIniName(header.name, keysSection) ||
                                  SameIniName(header.name, modifiersSection);
        if (!knownSection) continue;  // told once, at the section
        if (firstSectionLine[LowerAscii(header.name)] != header.number) continue;  // told at the repeated header
        const std::string section = SameIniName(header.name, keysSection)        ? keysSection
                                    : SameIniName(header.name, modifiersSection) ? modifiersSection
                                                                                 : visibilitySection;
        const std::string other = section == visibilitySection ? keysSection : visibilitySection;
        int number = 0;
        if (!IsKeyOf(section, line.name)) {
            if (SameIniName(line.name, "iQuickKeyModifier")) {
                Warn(findings, file.name, line.number, line.text, WarningKind::WrongSection,
                     line.name + " belongs under [" + gamepadSection + "], not [" + section + "]; here it is not read.");
            } else if (IsKeyOf(other, line.name)) {
                Warn(findings, file.name, line.number, line.text, WarningKind::WrongSection,
                     line.name + " belongs under [" + other + "], not [" + section + "]; here it is not read.");
            } else if (NamesMissingSlot(line.name, number)) {
                Warn(findings, file.name, line.number, line.text, WarningKind::UnknownKey,
                     "there is no slot " + std::to_string(number) + ": the extra slots are numbered 12 to 23, so " +
                         line.name + " is not read.");
            } else {
                const std::string hint = Closest(line.name, KeysOf(section), 4);
                Warn(findings, file.name, line.number, line.text, WarningKind::UnknownKey,
                     line.name + " is not a setting the plug-in reads, so this line does nothing." +
                         (hint.empty() ? std::string() : " Did you mean " + hint + "?"));
            }
            continue;
        }
        // The first line of a key wins; later ones are never seen.
        const auto [first, isFirst] = firstKeyLine.emplace(std::make_pair(line.section, LowerAscii(line.name)), line.number);
        if (!isFirst) {
            const int earlier = first->second;
            Warn(findings, file.name, line.number, line.text, WarningKind::DuplicateKey,
                 line.name + " is already set on line " + std::to_string(earlier) +
                     "; only the first one is read, so this line does nothing.");
        } else if (line.kind == IniLine::KeyWithoutValue) {
            Warn(findings, file.name, line.number, line.text, WarningKind::NoValue,
                 "this line has no '=' and so gives " + line.name + " no value; write it as " + line.name +
                     "=value.");
        }
    }
}

void CheckLookAlikes(Findings& findings, const std::string& folder) {
    std::error_code error;
    std::filesystem::directory_iterator it(FilePath(folder), error);
    if (error) return;
    std::vector<std::string> names;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) break;
        const std::string name = PathText(it->path().filename());
        const std::string lower = LowerAscii(name);
        if (lower.rfind("velloquin", 0) != 0 || lower.find(".ini") == std::string::npos) continue;
        if (name == mainName || name == customName) continue;
        // Where file names compare without case (Windows), this is the settings file itself.
        bool same = false;
        for (const std::string& proper : {mainName, customName})
            same = same || std::filesystem::equivalent(it->path(), FilePath(folder + proper), error);
        if (same) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        Warn(findings, name, 0, "", WarningKind::OtherFile,
             "this file is not read: the plug-in reads only " + mainName + " and " + customName +
                 " (Windows may hide an ending such as .txt; rename the file to one of those names).");
}

}  // namespace Velloquin::Doctor

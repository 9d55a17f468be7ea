// The settings half of the doctor: the plug-in's ReadSettings reads the
// player's files and says what each value did; this file points each effect
// at its line and explains the values and lines that do nothing.
#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

#include "menu/runtime.h"
#include "config/key_names.h"
#include "config/settings.h"
#include "doctor/findings.h"
#include "doctor/ini_scan.h"
#include "platform/paths.h"
#include "core/state.h"

namespace Velloquin::Doctor {

namespace {

const std::string mainName = "Velloquin.ini";
const std::string customName = "VelloquinCustom.ini";
const std::string visibilitySection = "Visibility";
const std::string keysSection = "QuickKeys";
const std::string gamepadSection = "Gamepad";  // its lines are the gamepad check's
// Windows stops reading a profile file whose full path reaches this length.
constexpr std::size_t windowsPathLimit = 260;

std::string VisibilityKey(std::size_t k) { return "bQuickKey" + std::to_string(k + firstQuickKey) + "Visible"; }
std::string CodeKey(std::size_t k) { return "iQuickKey" + std::to_string(k + firstQuickKey); }
std::string SlotName(std::size_t k) { return "slot " + std::to_string(k + firstQuickKey); }

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(NativePath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Edit distance without case, for "did you mean" hints.
std::size_t Distance(const std::string& a, const std::string& b) {
    const std::string x = Lowered(a), y = Lowered(b);
    std::vector<std::size_t> row(y.size() + 1);
    for (std::size_t j = 0; j <= y.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= x.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= y.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[y.size()];
}

std::string Closest(const std::string& name, const std::vector<std::string>& candidates, std::size_t limit) {
    std::string best;
    std::size_t bestDistance = limit + 1;
    for (const std::string& candidate : candidates) {
        const std::size_t d = Distance(name, candidate);
        if (d < bestDistance) {
            best = candidate;
            bestDistance = d;
        }
    }
    return best;
}

std::vector<std::string> KeysOf(const std::string& section) {
    std::vector<std::string> keys;
    for (std::size_t k = 0; k < quickSlotCount; ++k) keys.push_back(section == keysSection ? CodeKey(k) : VisibilityKey(k));
    return keys;
}

bool IsKeyOf(const std::string& section, const std::string& name) {
    for (const std::string& key : KeysOf(section))
        if (SameIniName(key, name)) return true;
    return false;
}

// "iQuickKey24", "bQuickKey9Visible": the number is what is wrong.
bool NamesMissingSlot(const std::string& name, int& number) {
    std::string lower = Lowered(name);
    std::string prefix, suffix;
    if (lower.rfind("iquickkey", 0) == 0) {
        prefix = "iquickkey";
    } else if (lower.rfind("bquickkey", 0) == 0 && lower.size() > 16 &&
               lower.compare(lower.size() - 7, 7, "visible") == 0) {
        prefix = "bquickkey";
        suffix = "visible";
    } else {
        return false;
    }
    const std::string digits = lower.substr(prefix.size(), lower.size() - prefix.size() - suffix.size());
    if (digits.empty() || digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return false;
    number = std::stoi(digits);
    return number < firstQuickKey || number >= firstQuickKey + static_cast<int>(quickSlotCount);
}

std::string KeyText(std::uint32_t code) {
    const std::string name = GetBuiltInKeyName(code);
    return "0x" + Hex(code) + (name.empty() ? " (a code without a name)" : " (" + name + ")");
}

// The code a player may have meant by writing a key's name ("F1", "5", "Space").
bool CodeOfName(const std::string& value, std::uint32_t& code) {
    static const std::map<std::string, std::uint32_t> byName = [] {
        std::map<std::string, std::uint32_t> names;
        for (std::uint32_t c = 1; c <= 0xFF; ++c)
            if (const std::string n = GetBuiltInKeyName(c); !n.empty()) names.emplace(Lowered(n), c);
        for (std::uint32_t c = 0x10000; c <= 0x1FFFF; ++c)
            if (const std::string n = GetBuiltInKeyName(c); !n.empty()) names.emplace(Lowered(n), c);
        return names;
    }();
    const auto found = byName.find(Lowered(value));
    if (found == byName.end()) return false;
    code = found->second;
    return true;
}

// True when the whole value is one hexadecimal number (optional sign and 0x).
bool AllHexadecimal(const std::string& value) {
    std::size_t i = 0;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) ++i;
    if (value.compare(i, 2, "0x") == 0 || value.compare(i, 2, "0X") == 0) i += 2;
    if (i == value.size()) return false;
    return std::all_of(value.begin() + static_cast<std::ptrdiff_t>(i), value.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

struct SettingsFile {
    std::string name;
    std::vector<IniLine> lines;
    std::vector<bool> read;  // per line: the plug-in took a value from it
};

// The line a value came from: the reader searches the first section of the
// name and takes the first key of the name in it. Should the two readers
// ever disagree, the first line of that key with that value is taken.
int LineOf(SettingsFile& file, const std::string& section, const std::string& key, const std::string& value) {
    int firstSection = -1;
    for (std::size_t i = 0; i < file.lines.size() && firstSection < 0; ++i)
        if (file.lines[i].kind == IniLine::Section && SameIniName(file.lines[i].name, section)) firstSection = static_cast<int>(i);
    const auto isKey = [&](const IniLine& line) {
        return (line.kind == IniLine::Key || line.kind == IniLine::KeyWithoutValue) && SameIniName(line.name, key);
    };
    int found = -1;
    for (std::size_t i = 0; i < file.lines.size() && found < 0; ++i)
        if (file.lines[i].section == firstSection && firstSection >= 0 && isKey(file.lines[i])) found = static_cast<int>(i);
    if (found < 0 || file.lines[found].kind != IniLine::Key || file.lines[found].value != value) {
        found = -1;
        for (std::size_t i = 0; i < file.lines.size() && found < 0; ++i)
            if (isKey(file.lines[i]) && file.lines[i].kind == IniLine::Key && file.lines[i].value == value)
                found = static_cast<int>(i);
    }
    if (found < 0) return 0;
    file.read[static_cast<std::size_t>(found)] = true;
    return file.lines[static_cast<std::size_t>(found)].number;
}

std::string LineText(const SettingsFile& file, int number) {
    return number > 0 ? file.lines[static_cast<std::size_t>(number - 1)].text : std::string();
}

std::string Where(const Source& source) {
    if (source.file.empty()) return "the default";
    return source.file + (source.line > 0 ? " line " + std::to_string(source.line) : std::string());
}

void Warn(Findings& findings, const std::string& file, int line, const std::string& text, const char* code,
          const std::string& message) {
    findings.warnings.push_back(Warning{file, line, code, text, message});
}

// Lines and sections that the plug-in never reads.
void CheckLines(Findings& findings, const SettingsFile& file) {
    std::map<std::string, int> firstSectionLine;  // lower-case name -> line
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const IniLine& line = file.lines[i];
        if (line.kind != IniLine::Section) continue;
        const bool known = SameIniName(line.name, visibilitySection) || SameIniName(line.name, keysSection) ||
                           SameIniName(line.name, gamepadSection);
        std::size_t settings = 0;
        for (const IniLine& other : file.lines)
            if (other.section == static_cast<int>(i) && (other.kind == IniLine::Key || other.kind == IniLine::KeyWithoutValue)) ++settings;
        const std::string count = std::to_string(settings) + (settings == 1 ? " setting" : " settings");
        const auto [first, isFirst] = firstSectionLine.emplace(Lowered(line.name), line.number);
        if (!known) {
            const std::string hint = Closest(line.name, {visibilitySection, keysSection, gamepadSection}, 3);
            Warn(findings, file.name, line.number, line.text, "unknown-section",
                 "the plug-in reads only the sections [Visibility], [QuickKeys] and [Gamepad]; the " + count +
                     " under [" + line.name + "] " + (settings == 1 ? "is" : "are") + " not read." +
                     (hint.empty() ? std::string() : " Did you mean [" + hint + "]?"));
        } else if (!isFirst) {
            Warn(findings, file.name, line.number, line.text, "duplicate-section",
                 "[" + line.name + "] already started on line " + std::to_string(first->second) +
                     "; only the first section of a name is read, so the " + count +
                     " under this one " + (settings == 1 ? "is not. Move it" : "are not. Move them") + " into the first one.");
        }
    }

    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const IniLine& line = file.lines[i];
        if (line.kind != IniLine::Key && line.kind != IniLine::KeyWithoutValue) continue;
        if (line.section < 0) {
            Warn(findings, file.name, line.number, line.text, "outside-section",
                 "this line stands before any section header, so it is not read; put it under [Visibility] or "
                 "[QuickKeys].");
            continue;
        }
        const IniLine& header = file.lines[static_cast<std::size_t>(line.section)];
        const bool knownSection = SameIniName(header.name, visibilitySection) || SameIniName(header.name, keysSection);
        if (!knownSection || SameIniName(header.name, gamepadSection)) continue;  // told once, at the section
        if (firstSectionLine[Lowered(header.name)] != header.number) continue;  // told at the repeated header
        const std::string section = SameIniName(header.name, keysSection) ? keysSection : visibilitySection;
        const std::string other = section == keysSection ? visibilitySection : keysSection;
        int number = 0;
        if (!IsKeyOf(section, line.name)) {
            if (SameIniName(line.name, "iQuickKeyModifier")) {
                Warn(findings, file.name, line.number, line.text, "wrong-section",
                     line.name + " belongs under [" + gamepadSection + "], not [" + section + "]; here it is not read.");
            } else if (IsKeyOf(other, line.name)) {
                Warn(findings, file.name, line.number, line.text, "wrong-section",
                     line.name + " belongs under [" + other + "], not [" + section + "]; here it is not read.");
            } else if (NamesMissingSlot(line.name, number)) {
                Warn(findings, file.name, line.number, line.text, "unknown-key",
                     "there is no slot " + std::to_string(number) + ": the extra slots are numbered 12 to 23, so " +
                         line.name + " is not read.");
            } else {
                const std::string hint = Closest(line.name, KeysOf(section), 4);
                Warn(findings, file.name, line.number, line.text, "unknown-key",
                     line.name + " is not a setting the plug-in reads, so this line does nothing." +
                         (hint.empty() ? std::string() : " Did you mean " + hint + "?"));
            }
            continue;
        }
        // The first line of a key wins; later ones are never seen.
        int earlier = 0;
        for (std::size_t j = 0; j < i && earlier == 0; ++j) {
            const IniLine& before = file.lines[j];
            if (before.section == line.section && (before.kind == IniLine::Key || before.kind == IniLine::KeyWithoutValue) &&
                SameIniName(before.name, line.name))
                earlier = before.number;
        }
        if (earlier > 0) {
            Warn(findings, file.name, line.number, line.text, "duplicate-key",
                 line.name + " is already set on line " + std::to_string(earlier) +
                     "; only the first one is read, so this line does nothing.");
        } else if (line.kind == IniLine::KeyWithoutValue) {
            Warn(findings, file.name, line.number, line.text, "no-value",
                 "this line has no '=' and so gives " + line.name + " no value; write it as " + line.name +
                     "=value.");
        }
    }
}

// Files beside the two settings files that a player may take for them.
void CheckLookAlikes(Findings& findings) {
    std::error_code error;
    std::filesystem::directory_iterator it(NativePath(settingsFolder), error);
    if (error) return;
    std::vector<std::string> names;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) break;
        const std::string name = it->path().filename().string();
        const std::string lower = Lowered(name);
        if (lower.rfind("velloquin", 0) != 0 || lower.find(".ini") == std::string::npos) continue;
        if (name == mainName || name == customName) continue;
        // Where file names compare without case (Windows), this is the settings file itself.
        bool same = false;
        for (const std::string& proper : {mainName, customName})
            same = same || std::filesystem::equivalent(it->path(), NativePath(settingsFolder + proper), error);
        if (same) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        Warn(findings, name, 0, "", "other-file",
             "this file is not read: the plug-in reads only " + mainName + " and " + customName +
                 " (Windows may hide an ending such as .txt; rename the file to one of those names).");
}

}  // namespace

void CheckSettings(Findings& findings) {
    findings.mainFile = SettingsFileExists(settingsFolder, mainName);
    findings.customFile = SettingsFileExists(settingsFolder, customName);
    findings.pluginLibrary = SettingsFileExists(settingsFolder, "Velloquin.dll");
    CheckLookAlikes(findings);

    std::map<std::string, SettingsFile> files;
    for (const std::string& name : {mainName, customName}) {
        if (!SettingsFileExists(settingsFolder, name)) continue;
        SettingsFile file{name, ScanIniText(ReadBytes(settingsFolder + name)), {}};
        file.read.assign(file.lines.size(), false);
        std::error_code error;
        const auto full = std::filesystem::absolute(NativePath(settingsFolder + name), error).string();
        if (!error && full.size() + 2 >= windowsPathLimit)
            Warn(findings, name, 0, "", "path-too-long",
                 "the full path of this file has " + std::to_string(full.size()) +
                     " characters; Windows does not read settings files whose path reaches 260, so none of its "
                     "values are used. Move the game to a shorter folder.");
        files.emplace(name, std::move(file));
    }

    // The plug-in's own reading of the files, which leaves its globals alone.
    const SettingsRecord record = ReadSettings();
    const auto& finalCodes = record.codes;
    const auto& finalVisible = record.visible;

    std::array<Source, quickSlotCount> codeFrom{}, visibleFrom{};
    std::array<std::string, quickSlotCount> codeText{};
    for (const SettingsValueEffect& e : record.effects) {
        const std::string fileName = std::string(e.baseName) + ".ini";
        SettingsFile& file = files.at(fileName);
        const int line = LineOf(file, e.section, e.key, e.value);
        const std::string text = line > 0 ? LineText(file, line) : e.key + "=" + e.value;
        const Source here{fileName, line};
        const std::string slot = SlotName(e.slot);
        std::uint32_t meant = 0;
        const bool isName = CodeOfName(e.value, meant);
        switch (e.kind) {
        case SettingsValueEffect::Shown:
            visibleFrom[e.slot] = here;
            break;
        case SettingsValueEffect::Hidden:
            visibleFrom[e.slot] = here;
            if (e.value != "0")
                Warn(findings, fileName, line, text, "visibility-value",
                     "the value \"" + e.value + "\" hides " + slot +
                         ": only the value 1 (and nothing after it) shows a slot. Write 1 to show it or 0 to hide it.");
            break;
        case SettingsValueEffect::Bound:
            codeFrom[e.slot] = here;
            codeText[e.slot] = text;
            break;
        case SettingsValueEffect::Unreadable:
            Warn(findings, fileName, line, text, "not-hexadecimal",
                 "\"" + e.value + "\" is not a hexadecimal key code (or is larger than FFFFFFFF), so this line is "
                 "ignored." + (isName ? " For the key " + GetBuiltInKeyName(meant) + " write " + Hex(meant) + "." : ""));
            break;
        case SettingsValueEffect::Zero:
            if (e.baseName == std::string("VelloquinCustom") && e.slotCode != 0)
                Warn(findings, fileName, line, text, "custom-zero",
                     "0 does not unbind a key: " + slot + " keeps " + KeyText(e.slotCode) + " from " +
                         Where(codeFrom[e.slot]) + ". To unbind it, set " + e.key + "=0 in " + mainName + ".");
            break;
        case SettingsValueEffect::AlreadyBound:
            if (e.holder != e.slot) {
                std::string message = "the code " + KeyText(e.code) + " is already bound to " + SlotName(e.holder) +
                                      " (" + Where(codeFrom[e.holder]) + "), which keeps it; this line does not bind " +
                                      slot + ".";
                if (e.baseName == std::string("VelloquinCustom") && codeFrom[e.holder].file == mainName)
                    message += " " + customName + " cannot take a key over from a slot that " + mainName +
                               " binds: change " + CodeKey(e.holder) + " in " + mainName + ".";
                Warn(findings, fileName, line, text, "already-bound", message);
            }
            break;
        }
        if ((e.kind == SettingsValueEffect::Bound || e.kind == SettingsValueEffect::AlreadyBound) && isName &&
            meant != e.code)
            Warn(findings, fileName, line, text, "name-not-code",
                 "\"" + e.value + "\" is read as the hexadecimal code 0x" + Hex(e.code) + ", not as the key " +
                     GetBuiltInKeyName(meant) + "; for that key write " + Hex(meant) + ".");
        else if ((e.kind == SettingsValueEffect::Bound || e.kind == SettingsValueEffect::AlreadyBound ||
                  e.kind == SettingsValueEffect::Zero) &&
                 !AllHexadecimal(e.value))
            Warn(findings, fileName, line, text, "partly-read",
                 "\"" + e.value + "\" is read as the code 0x" + Hex(e.code) +
                     ": reading stops at the first character that is not a hexadecimal digit, the rest is ignored.");
    }

    for (std::size_t k = 0; k < quickSlotCount; ++k) {
        SlotState slot;
        slot.quickKey = static_cast<int>(k) + firstQuickKey;
        slot.visible = finalVisible.at(k);
        slot.visibleFrom = visibleFrom[k];
        slot.code = finalCodes.at(k);
        slot.keyName = slot.code ? GetBuiltInKeyName(slot.code) : std::string();
        slot.codeFrom = codeFrom[k];
        slot.polled = IsPolledKeyCode(slot.code);
        if (slot.code != 0 && !slot.polled) {
            const std::uint32_t c = slot.code;
            const bool mouse = (c >= 0x100 && c <= 0x109) || c == 0x800 || c == 0x900 || c == 0xA00;
            const std::string kind = mouse ? "a mouse code" : c >= 0x10000 ? "a gamepad code" : "not a keyboard key";
            Warn(findings, slot.codeFrom.file, slot.codeFrom.line, codeText[k], "never-polled",
                 KeyText(c) + " is " + kind + ": the plug-in watches keyboard keys (codes 1 to FE) and the "
                 "controller's buttons and triggers (10000 plus one button, 10009, 1000A), so this key never "
                 "does anything.");
        }
        findings.slots.push_back(slot);
    }

    for (auto& [name, file] : files) CheckLines(findings, file);
}

}  // namespace Velloquin::Doctor

// What the settings do: the plug-in's ReadSettings reads the player's files
// and says what each value did; this file reads each file's lines once,
// points each effect at its line and turns it into the slot table and the
// warnings about values.
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <system_error>

#include "base/text.h"
#include "config/key_names.h"
#include "config/settings.h"
#include "core/constants.h"
#include "doctor/settings_check.h"
#include "platform/paths.h"

namespace Velloquin::Doctor {

std::string VisibilityKey(std::size_t k) { return "bQuickKey" + std::to_string(k + firstQuickKey) + "Visible"; }
std::string CodeKey(std::size_t k) { return "iQuickKey" + std::to_string(k + firstQuickKey); }
std::string SlotName(std::size_t k) { return "slot " + std::to_string(k + firstQuickKey); }

const std::vector<std::string>& KeysOf(const std::string& section) {
    static const auto keys = [](auto name) {
        std::vector<std::string> names;
        for (std::size_t k = 0; k < quickSlotCount; ++k) names.push_back(name(k));
        return names;
    };
    static const std::vector<std::string> codeKeys = keys(CodeKey), visibilityKeys = keys(VisibilityKey);
    return section == visibilitySection ? visibilityKeys : codeKeys;
}

bool IsKeyOf(const std::string& section, const std::string& name) {
    for (const std::string& key : KeysOf(section))
        if (SameIniName(key, name)) return true;
    return false;
}

std::string ChordText(std::uint32_t modifier, std::uint32_t code) {
    return GetBuiltInKeyName(modifier) + "+" + (GetBuiltInKeyName(code).empty() ? "0x" + UpperHex(code) : GetBuiltInKeyName(code)) +
           " (0x" + UpperHex(modifier) + " with 0x" + UpperHex(code) + ")";
}

std::string KeyText(std::uint32_t code) {
    const std::string name = GetBuiltInKeyName(code);
    return "0x" + UpperHex(code) + (name.empty() ? " (a code without a name)" : " (" + name + ")");
}

void Warn(Findings& findings, const std::string& file, int line, const std::string& text, WarningKind kind,
          const std::string& message) {
    findings.warnings.push_back(Warning{file, line, kind, text, message});
}

namespace {

// Windows stops reading a profile file whose full path reaches this length.
constexpr std::size_t windowsPathLimit = 260;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(FilePath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Where(const Source& source) {
    if (source.file.empty()) return "the default";
    return source.file + (source.line > 0 ? " line " + std::to_string(source.line) : std::string());
}

}  // namespace

// The line a value came from: the reader searches the first section of the
// name and takes the first key of the name in it. Should the two readers
// ever disagree, the first line of that key with that value is taken.
int LineOf(const SettingsFile& file, const std::string& section, const std::string& key, const std::string& value) {
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
    return file.lines[static_cast<std::size_t>(found)].number;
}

std::string LineText(const SettingsFile& file, int number) {
    return number > 0 ? file.lines[static_cast<std::size_t>(number - 1)].text : std::string();
}

std::vector<SettingsFile> ReadSettingsFiles(const std::string& folder) {
    std::vector<SettingsFile> files;
    for (const std::string& name : {mainName, customName})
        if (SettingsFileExists(folder, name)) files.push_back(SettingsFile{name, ScanIniText(ReadBytes(folder + name))});
    return files;
}

void CheckSettings(Findings& findings, const std::string& folder, const std::vector<SettingsFile>& files,
                   const SettingsRecord& record) {
    findings.mainFile = SettingsFileExists(folder, mainName);
    findings.customFile = SettingsFileExists(folder, customName);
    findings.pluginLibrary = SettingsFileExists(folder, "Velloquin.dll");
    CheckLookAlikes(findings, folder);

    for (const SettingsFile& file : files) {
        std::error_code error;
        // Windows counts the limit in UTF-16 units, as the native path of Windows has them.
        const auto full = std::filesystem::absolute(FilePath(folder + file.name), error).native();
        if (!error && full.size() + 2 >= windowsPathLimit)
            Warn(findings, file.name, 0, "", WarningKind::PathTooLong,
                 "the full path of this file has " + std::to_string(full.size()) +
                     " characters; Windows does not read settings files whose path reaches 260, so none of its "
                     "values are used. Move the game to a shorter folder.");
    }
    const auto fileNamed = [&](const std::string& name) -> const SettingsFile& {
        for (const SettingsFile& file : files)
            if (file.name == name) return file;
        throw std::out_of_range("no settings file " + name);
    };

    // The plug-in's own reading of the files, which leaves its globals alone.
    const auto& finalCodes = record.codes;
    const auto& finalVisible = record.visible;

    std::array<Source, quickSlotCount> codeFrom{}, visibleFrom{};
    std::array<std::string, quickSlotCount> codeText{};
    for (const SettingsValueEffect& e : record.effects) {
        const std::string fileName = std::string(e.baseName) + ".ini";
        const SettingsFile& file = fileNamed(fileName);
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
                Warn(findings, fileName, line, text, WarningKind::VisibilityValue,
                     "the value \"" + e.value + "\" hides " + slot +
                         ": only the value 1 (and nothing after it) shows a slot. Write 1 to show it or 0 to hide it.");
            break;
        case SettingsValueEffect::Bound:
            codeFrom[e.slot] = here;
            codeText[e.slot] = text;
            break;
        case SettingsValueEffect::Unreadable:
            Warn(findings, fileName, line, text, WarningKind::NotHexadecimal,
                 "\"" + e.value + "\" is not a hexadecimal key code (or is larger than FFFFFFFF), so this line is "
                 "ignored." + (isName ? " For the key " + GetBuiltInKeyName(meant) + " write " + UpperHex(meant) + "." : ""));
            break;
        case SettingsValueEffect::Zero:
            if (e.baseName == std::string("VelloquinCustom") && e.slotCode != 0)
                Warn(findings, fileName, line, text, WarningKind::CustomZero,
                     "0 does not unbind a key: " + slot + " keeps " + KeyText(e.slotCode) + " from " +
                         Where(codeFrom[e.slot]) + ". To unbind it, set " + e.key + "=0 in " + mainName + ".");
            break;
        case SettingsValueEffect::AlreadyBound:
            if (e.holder != e.slot && e.modifier != 0) {
                Warn(findings, fileName, line, text, WarningKind::ChordRepeated,
                     "the chord " + ChordText(e.modifier, e.code) + " is already " + SlotName(e.holder) + "'s (" +
                         Where(codeFrom[e.holder]) + "), which keeps it; this line does not bind " + slot +
                         ". Give " + slot + " another key or another modifier.");
            } else if (e.holder != e.slot) {
                std::string message = "the code " + KeyText(e.code) + " is already bound to " + SlotName(e.holder) +
                                      " (" + Where(codeFrom[e.holder]) + "), which keeps it; this line does not bind " +
                                      slot + ".";
                if (e.baseName == std::string("VelloquinCustom") && codeFrom[e.holder].file == mainName)
                    message += " " + customName + " cannot take a key over from a slot that " + mainName +
                               " binds: change " + CodeKey(e.holder) + " in " + mainName + ".";
                Warn(findings, fileName, line, text, WarningKind::AlreadyBound, message);
            }
            break;
        case SettingsValueEffect::ModifierIsKey:
            Warn(findings, fileName, line, text, WarningKind::ChordModifierIsKey,
                 e.holder == e.slot
                     ? "the chord " + ChordText(e.modifier, e.code) + " holds one key twice: a key cannot be its own "
                       "modifier, so this line does not bind " + slot + "."
                     : "the modifier " + KeyText(e.modifier) + " of " + slot + " is already the key of " +
                           SlotName(e.holder) + " (" + Where(codeFrom[e.holder]) + "): each press of the chord would "
                           "use that slot too, so this line does not bind " + slot + ". Give one of them another key.");
            break;
        case SettingsValueEffect::KeyIsModifier:
            Warn(findings, fileName, line, text, WarningKind::ChordModifierIsKey,
                 KeyText(e.code) + " is the modifier of " + SlotName(e.holder) + "'s chord (" + Where(codeFrom[e.holder]) +
                     "): holding it for that chord would use " + slot + " too, so this line does not bind " + slot +
                     ". Give one of them another key.");
            break;
        }
        if ((e.kind == SettingsValueEffect::Bound || e.kind == SettingsValueEffect::AlreadyBound) && isName &&
            meant != e.code)
            Warn(findings, fileName, line, text, WarningKind::NameNotCode,
                 "\"" + e.value + "\" is read as the hexadecimal code 0x" + UpperHex(e.code) + ", not as the key " +
                     GetBuiltInKeyName(meant) + "; for that key write " + UpperHex(meant) + ".");
        else if ((e.kind == SettingsValueEffect::Bound || e.kind == SettingsValueEffect::AlreadyBound ||
                  e.kind == SettingsValueEffect::Zero) &&
                 !AllHexadecimal(e.value))
            Warn(findings, fileName, line, text, WarningKind::PartlyRead,
                 "\"" + e.value + "\" is read as the code 0x" + UpperHex(e.code) +
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
        slot.modifier = record.modifiers.at(k);
        slot.modifierName = slot.modifier ? GetBuiltInKeyName(slot.modifier) : std::string();
        slot.chordName = slot.modifier && !slot.keyName.empty() ? slot.modifierName + "+" + slot.keyName : slot.keyName;
        if (slot.code != 0 && !slot.polled) {
            const std::uint32_t c = slot.code;
            const std::string kind = IsMouseCode(c)             ? "a mouse code"
                                     : c >= gamepadCodeBase ? "a gamepad code"
                                                            : "not a keyboard key";
            Warn(findings, slot.codeFrom.file, slot.codeFrom.line, codeText[k], WarningKind::NeverPolled,
                 KeyText(c) + " is " + kind + ": the plug-in watches keyboard keys (codes " +
                     UpperHex(firstPolledKeyCode) + " to " + UpperHex(lastPolledKeyCode) +
                     ") and the controller's buttons and triggers (10000 plus one button, 10009, 1000A), so this "
                     "key never does anything.");
        }
        findings.slots.push_back(slot);
    }

    for (const SettingsFile& file : files) CheckLines(findings, file);
}

}  // namespace Velloquin::Doctor

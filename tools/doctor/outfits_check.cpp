// The doctor on the outfit save modifier: the lines of [Outfits], each value
// of iSaveModifier as the plug-in took it, and why a modifier is ignored.
#include "config/key_names.h"
#include "config/settings.h"
#include "core/constants.h"
#include "base/text.h"
#include "doctor/settings_check.h"

namespace Velloquin::Doctor {

namespace {

const std::string saveKey = "iSaveModifier";

std::string CodeText(std::uint32_t code) {
    const std::string name = GetBuiltInKeyName(code);
    return "0x" + UpperHex(code) + (name.empty() ? std::string() : " (" + name + ")");
}

// The first [Outfits] section of a file (the reader reads only that one):
// its other keys are not read. Returns the line of the save modifier (0: none).
int CheckOutfitsLines(Findings& findings, const SettingsFile& file) {
    int section = -1;
    for (std::size_t i = 0; i < file.lines.size() && section < 0; ++i)
        if (file.lines[i].kind == IniLine::Section && SameIniName(file.lines[i].name, outfitsSection))
            section = static_cast<int>(i);
    if (section < 0) return 0;
    int saveLine = 0;
    for (const IniLine& line : file.lines) {
        if (line.section != section || (line.kind != IniLine::Key && line.kind != IniLine::KeyWithoutValue)) continue;
        if (!SameIniName(line.name, saveKey)) {
            Warn(findings, file.name, line.number, line.text, WarningKind::UnknownKey,
                 line.name + " is not a setting of [Outfits], which has only " + saveKey + "; this line does nothing.");
        } else if (saveLine > 0) {
            Warn(findings, file.name, line.number, line.text, WarningKind::DuplicateKey,
                 saveKey + " is already set on line " + std::to_string(saveLine) +
                     "; only the first one is read, so this line does nothing.");
        } else {
            saveLine = line.number;
            if (line.kind == IniLine::KeyWithoutValue)
                Warn(findings, file.name, line.number, line.text, WarningKind::NoValue,
                     "this line has no '=' and so gives " + saveKey + " no value; write it as " + saveKey + "=value.");
        }
    }
    return saveLine;
}

}  // namespace

void CheckSaveModifier(Findings& findings, const std::vector<SettingsFile>& files, const SettingsRecord& record) {
    SaveModifierState& save = findings.saveModifier;
    std::vector<int> lines;
    for (const SettingsFile& file : files) lines.push_back(CheckOutfitsLines(findings, file));
    const auto lineOf = [&](const std::string& name) {
        for (std::size_t i = 0; i < files.size(); ++i)
            if (files[i].name == name) return lines[i];
        return 0;
    };
    const auto textOf = [&](const std::string& name, int line) {
        for (const SettingsFile& file : files)
            if (file.name == name) return LineText(file, line);
        return std::string();
    };
    for (const SaveModifierValue& value : record.saveModifierValues) {
        const std::string name = std::string(value.baseName) + ".ini";
        const int line = lineOf(name);
        const std::string text = textOf(name, line);
        switch (value.kind) {
            case SaveModifierValue::Set:
            case SaveModifierValue::None: save.from = Source{name, line}; break;
            case SaveModifierValue::Unreadable:
                Warn(findings, name, line, text, WarningKind::SaveModifierIgnored,
                     "\"" + value.value + "\" is not a hexadecimal key code, so it is ignored. Write a modifier's "
                     "code, e.g. 10 for Shift.");
                break;
            case SaveModifierValue::NotModifier:
                Warn(findings, name, line, text, WarningKind::SaveModifierIgnored,
                     CodeText(value.code) + " is neither Shift, Ctrl or Alt (10 to 12, A0 to A5) nor a button of a "
                     "controller, so it is ignored.");
                break;
        }
    }
    save.requested = record.requestedSaveModifier;
    save.used = record.saveModifier;
    save.name = save.requested ? GetBuiltInKeyName(save.requested) : std::string();
    if (record.saveModifierClash == SaveModifierClash::None) return;
    const std::string quickKey = std::to_string(firstQuickKey + static_cast<int>(record.saveModifierClashSlot));
    std::string why;
    switch (record.saveModifierClash) {
        case SaveModifierClash::SlotKey: why = "also the key of slot " + quickKey; break;
        case SaveModifierClash::ChordModifier: why = "also the modifier of slot " + quickKey + "'s chord"; break;
        case SaveModifierClash::GamepadModifier: why = "also the gamepad modifier ([Gamepad] iQuickKeyModifier)"; break;
        case SaveModifierClash::None: break;
    }
    Warn(findings, save.from.file, save.from.line, textOf(save.from.file, save.from.line), WarningKind::SaveModifierClash,
         "the outfit save modifier " + CodeText(save.requested) + " is " + why +
             ": holding it would use that key as well, so the plug-in ignores it and outfits are not saved by key. "
             "Choose a modifier no slot uses, e.g. Right Ctrl (A3).");
}

}  // namespace Velloquin::Doctor

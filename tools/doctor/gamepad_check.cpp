// The controller half of the doctor: what the gamepad quick keys and the
// modifier of [Gamepad] do, and the bindings a controller cannot use as the
// player means them.
#include "base/text.h"
#include "config/key_names.h"
#include "config/settings.h"
#include "doctor/settings_check.h"
#include "platform/xinput.h"

namespace Velloquin::Doctor {

namespace {

const std::string modifierKey = "iQuickKeyModifier";
const std::string suggestedModifier = "10100";  // Left Shoulder

std::string LineText(const std::vector<IniLine>& lines, int number) {
    return number > 0 && static_cast<std::size_t>(number) <= lines.size()
               ? lines[static_cast<std::size_t>(number - 1)].text
               : std::string();
}

std::string CodeText(std::uint32_t code) {
    const std::string name = GetBuiltInKeyName(code);
    return "0x" + UpperHex(code) + (name.empty() ? std::string() : " (" + name + ")");
}

// The first [Gamepad] section of a file: the reader reads only that one. Its
// lines other than the modifier are not read; the line of the modifier is
// returned (0 when absent).
int CheckGamepadLines(Findings& findings, const std::string& file, const std::vector<IniLine>& lines) {
    int section = -1;
    for (std::size_t i = 0; i < lines.size() && section < 0; ++i)
        if (lines[i].kind == IniLine::Section && SameIniName(lines[i].name, gamepadSection)) section = static_cast<int>(i);
    if (section < 0) return 0;
    int modifierLine = 0;
    for (const IniLine& line : lines) {
        if (line.section != section || (line.kind != IniLine::Key && line.kind != IniLine::KeyWithoutValue)) continue;
        if (!SameIniName(line.name, modifierKey)) {
            findings.warnings.push_back({file, line.number, WarningKind::UnknownKey, line.text,
                                         line.name + " is not a setting of [Gamepad], which has only " + modifierKey +
                                             "; this line does nothing."});
        } else if (modifierLine > 0) {
            findings.warnings.push_back({file, line.number, WarningKind::DuplicateKey, line.text,
                                         modifierKey + " is already set on line " + std::to_string(modifierLine) +
                                             "; only the first one is read, so this line does nothing."});
        } else {
            modifierLine = line.number;
            if (line.kind == IniLine::KeyWithoutValue)
                findings.warnings.push_back({file, line.number, WarningKind::NoValue, line.text,
                                             "this line has no '=' and so gives " + modifierKey + " no value; write it as " +
                                                 modifierKey + "=value."});
        }
    }
    return modifierLine;
}

}  // namespace

void CheckGamepad(Findings& findings, const std::vector<SettingsFile>& settingsFiles, const SettingsRecord& record) {
    GamepadState& pad = findings.gamepad;

    struct File {
        const std::string& name;
        const std::vector<IniLine>& lines;
        int modifierLine = 0;
    };
    std::vector<File> files;
    for (const SettingsFile& settings : settingsFiles)
        files.push_back(File{settings.name, settings.lines, CheckGamepadLines(findings, settings.name, settings.lines)});
    const auto fileOf = [&](const std::string& name) -> const File* {
        for (const File& file : files)
            if (file.name == name) return &file;
        return nullptr;
    };

    // Each value of the modifier, as the plug-in took it.
    for (const ModifierValue& value : record.modifierValues) {
        const std::string name = std::string(value.baseName) + ".ini";
        const File* file = fileOf(name);
        const int line = file ? file->modifierLine : 0;
        const std::string text = file ? LineText(file->lines, line) : modifierKey + "=" + value.value;
        switch (value.kind) {
        case ModifierValue::Set:
        case ModifierValue::None:
            pad.modifierFrom = Source{name, line};
            break;
        case ModifierValue::Unreadable:
            findings.warnings.push_back({name, line, WarningKind::ModifierIgnored, text,
                                         "\"" + value.value + "\" is not a hexadecimal key code, so the modifier is "
                                         "ignored. Write a gamepad code, e.g. " + suggestedModifier + " for Left Shoulder."});
            break;
        case ModifierValue::NotGamepad:
            findings.warnings.push_back(
                {name, line, WarningKind::ModifierIgnored, text,
                 CodeText(value.code) + (value.code < gamepadCodeBase ? " is not a button of a controller"
                                                                     : " is no single button of a controller") +
                     ": the modifier must be a gamepad code (10000 plus one button, or a trigger), so this value is "
                     "ignored. For Left Shoulder write " + suggestedModifier + "."});
            break;
        }
    }
    pad.modifier = record.gamepadModifier;
    pad.modifierName = pad.modifier ? GetBuiltInKeyName(pad.modifier) : std::string();

    const auto slotLine = [&](const SlotState& slot) {
        const File* file = fileOf(slot.codeFrom.file);
        return file ? LineText(file->lines, slot.codeFrom.line) : std::string();
    };
    for (const SlotState& slot : findings.slots) {
        if (!IsGamepadButtonCode(slot.code)) continue;
        pad.quickKeys.push_back(slot.quickKey);
        const std::string name = GetBuiltInKeyName(slot.code);
        if (slot.code == pad.modifier) {
            findings.warnings.push_back(
                {slot.codeFrom.file, slot.codeFrom.line, WarningKind::ModifierBound, slotLine(slot),
                 "the modifier " + CodeText(slot.code) + " is also the key of slot " + std::to_string(slot.quickKey) +
                     ": holding the modifier alone uses that slot, and with another gamepad quick key the lower "
                     "code wins. Bind the slot to another button."});
        } else if (pad.modifier == 0) {
            findings.warnings.push_back(
                {slot.codeFrom.file, slot.codeFrom.line, WarningKind::GamepadNoModifier, slotLine(slot),
                 CodeText(slot.code) + " on slot " + std::to_string(slot.quickKey) +
                     " fires at every press, and the game itself also acts on " + name +
                     " in free play (its controls use every button of a controller): one press does both. Set a "
                     "modifier, e.g. [Gamepad] " + modifierKey + "=" + suggestedModifier +
                     " (Left Shoulder), so gamepad quick keys fire only while it is held."});
        }
    }

#ifdef _WIN32
    // Only Windows has XInput; the plug-in looks for it as here.
    if (!pad.quickKeys.empty()) {
        pad.xinputChecked = true;
        pad.xinputAvailable = FindXInputGetState().getState != nullptr;
        if (!pad.xinputAvailable)
            findings.warnings.push_back(
                {"XInput", 0, WarningKind::XInputMissing, "",
                 "none of xinput1_4.dll, xinput1_3.dll and xinput9_1_0.dll can be loaded on this system, so the "
                 "plug-in cannot read a controller and the gamepad quick keys do nothing. Install the DirectX "
                 "end-user runtime, which brings xinput1_3.dll."});
    }
#endif
}

}  // namespace Velloquin::Doctor

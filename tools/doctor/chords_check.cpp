// The keyboard-chord half of the doctor: what each [QuickKeyModifiers] value
// did, and the chords that do something other than a player may expect.
#include <array>
#include <map>

#include "base/text.h"
#include "config/key_names.h"
#include "config/settings.h"
#include "core/constants.h"
#include "doctor/settings_check.h"

namespace Velloquin::Doctor {

namespace {

std::string Name(std::uint32_t code) {
    const std::string name = GetBuiltInKeyName(code);
    return name.empty() ? "0x" + UpperHex(code) : name;
}

// What Windows does with the chord before the game sees it; empty when nothing.
std::string WhatWindowsDoes(std::uint32_t modifier, std::uint32_t code) {
    const bool alt = modifier == 0x12 || modifier == 0xA4 || modifier == 0xA5;
    const bool ctrl = modifier == 0x11 || modifier == 0xA2 || modifier == 0xA3;
    if (alt && code == 0x73) return "closes the game's window";
    if (alt && code == 0x09) return "switches to another window";
    if (alt && code == 0x1B) return "sends the game's window to the back";
    if (ctrl && code == 0x1B) return "opens the Start menu";
    return {};
}

}  // namespace

void CheckChords(Findings& findings, const std::vector<SettingsFile>& settingsFiles, const SettingsRecord& record) {
    std::map<std::string, SettingsFile> files;
    for (const SettingsFile& file : settingsFiles) files.emplace(file.name, file);

    // Each modifier value, pointed at its line; the last one of a slot that
    // is not ignored gives the slot its modifier (or removes it with 0).
    std::array<Source, quickSlotCount> from{};
    std::array<std::string, quickSlotCount> fromText{};
    for (const ChordModifierValue& v : record.chordModifierValues) {
        const std::string fileName = std::string(v.baseName) + ".ini";
        const auto file = files.find(fileName);
        const int line = file == files.end() ? 0 : LineOf(file->second, modifiersSection, v.key, v.value);
        const std::string text = line > 0 ? LineText(file->second, line) : v.key + "=" + v.value;
        const std::string slot = SlotName(v.slot);
        switch (v.kind) {
        case ChordModifierValue::Set:
        case ChordModifierValue::None:
            from[v.slot] = Source{fileName, line};
            fromText[v.slot] = text;
            break;
        case ChordModifierValue::Unreadable:
        case ChordModifierValue::NotModifier:
            Warn(findings, fileName, line, text, WarningKind::ChordModifierIgnored,
                 (v.kind == ChordModifierValue::Unreadable ? "\"" + v.value + "\" is not a hexadecimal key code"
                                                           : KeyText(v.code) + " is not Shift, Ctrl or Alt") +
                     ", so " + slot + " gets no modifier from this line. A modifier is Shift 10, Ctrl 11 or Alt 12 "
                     "(either side), or Left Shift A0, Right Shift A1, Left Ctrl A2, Right Ctrl A3, Left Alt A4, "
                     "Right Alt A5.");
            break;
        }
    }

    for (std::size_t k = 0; k < quickSlotCount && k < findings.slots.size(); ++k) {
        SlotState& slot = findings.slots[k];
        if (record.modifiers.at(k) != 0) slot.modifierFrom = from[k];
        const std::uint32_t asked = record.requestedModifiers.at(k);
        if (asked == 0 || record.modifiers.at(k) != 0) continue;
        // A chord refused at its key line is told there.
        bool refused = false;
        for (const SettingsValueEffect& e : record.effects)
            refused = refused || (e.slot == k && e.modifier != 0 &&
                                  (e.kind == SettingsValueEffect::AlreadyBound || e.kind == SettingsValueEffect::ModifierIsKey ||
                                   e.kind == SettingsValueEffect::KeyIsModifier));
        if (refused && slot.code == 0) continue;
        Warn(findings, from[k].file, from[k].line, fromText[k], WarningKind::ChordWithoutKey,
             "the modifier " + KeyText(asked) + " is ignored: " + SlotName(k) +
                 (slot.code == 0 ? " has no key" : " has " + KeyText(slot.code) + ", which is no keyboard key") +
                 ". A chord is a modifier with a keyboard key of [QuickKeys].");
    }

    const auto lineText = [&](const Source& source) {
        const auto file = files.find(source.file);
        return file == files.end() ? std::string() : LineText(file->second, source.line);
    };

    // The chords as the plug-in uses them.
    for (const SlotState& slot : findings.slots) {
        if (slot.modifier == 0) continue;
        ChordState chord{slot.quickKey, slot.modifier, slot.code,
                         Name(slot.modifier) + "+" + Name(slot.code), 0};
        std::string others;  // the other chords on the same key
        for (const SlotState& other : findings.slots) {
            if (other.quickKey == slot.quickKey || other.code != slot.code) continue;
            if (other.modifier == 0 && chord.keyAloneUses == 0) chord.keyAloneUses = other.quickKey;
            // Shift and Left Shift on one key: holding Left Shift holds both.
            if (other.modifier != 0 && other.quickKey > slot.quickKey && ChordKeysOverlap(other.modifier, slot.modifier))
                Warn(findings, other.codeFrom.file, other.codeFrom.line, lineText(other.codeFrom), WarningKind::ChordRepeated,
                     Name(other.modifier) + "+" + Name(other.code) + " on slot " + std::to_string(other.quickKey) +
                         " and " + chord.name + " on slot " + std::to_string(slot.quickKey) + " overlap: holding " +
                         Name(other.modifier <= 0x12 ? slot.modifier : other.modifier) + " holds both modifiers, "
                         "and then the lower slot, " + std::to_string(slot.quickKey) + ", is used.");
        }
        if (chord.keyAloneUses != 0)
            Warn(findings, slot.codeFrom.file, slot.codeFrom.line, lineText(slot.codeFrom), WarningKind::ChordKeyAlsoAlone,
                 Name(slot.code) + " is bound alone to slot " + std::to_string(chord.keyAloneUses) + " and as " +
                     chord.name + " to slot " + std::to_string(slot.quickKey) + ": " + Name(slot.code) +
                     " pressed while " + Name(slot.modifier) + " is held uses slot " + std::to_string(slot.quickKey) +
                     ", pressed without it slot " + std::to_string(chord.keyAloneUses) + ". Hold " +
                     Name(slot.modifier) + " first: pressing or letting go of it while " + Name(slot.code) +
                     " is down changes nothing until " + Name(slot.code) + " is pressed again.");
        if (const std::string does = WhatWindowsDoes(slot.modifier, slot.code); !does.empty())
            Warn(findings, slot.modifierFrom.file, slot.modifierFrom.line, lineText(slot.modifierFrom), WarningKind::ChordWindowsUses,
                 chord.name + " on slot " + std::to_string(slot.quickKey) + " is a chord Windows itself acts on: it " +
                     does + " as well as using the slot. Choose another key for this chord.");
        findings.chords.push_back(chord);
    }
}

}  // namespace Velloquin::Doctor

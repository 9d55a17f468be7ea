// The two settings files: which extra slots are shown and which keys use them.
#include "config/settings.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "base/text.h"
#include "config/key_names.h"
#include "platform/paths.h"
#include "platform/win32.h"
#include "core/log.h"
#include "core/state.h"

namespace Velloquin {

const std::string settingsFolder = ".\\Data\\QVEX\\Plugins\\";
// The plug-in's own folder for the items files (declared in core/state.h);
// here beside the settings folder, so that what reads files needs no start-up.
const std::string pluginFolder = ".\\Data\\QVEX\\Plugins\\Velloquin\\";

namespace {

constexpr DWORD valueBufferSize = 10000;
constexpr std::size_t pathLimit = 255;  // a settings path must stay below this length
const char* const settingsFiles[] = {"Velloquin", "VelloquinCustom"};

// [Outfits] iSaveModifier of both files (the later file's value wins), then
// checked against the keys the slots use as they were finally bound.
void ReadSaveModifier(SettingsRecord& record, const std::string& gameFolder) {
    for (const char* baseName : record.filesRead) {
        const std::string value = ReadIniValue(baseName, "Outfits", "iSaveModifier", "", gameFolder);
        if (value.empty()) continue;
        std::uint32_t code = 0;
        SaveModifierValue::Kind kind = SaveModifierValue::Unreadable;
        if (ParseHexUInt32(value, code)) {
            kind = code == 0                  ? SaveModifierValue::None
                   : IsSaveModifierCode(code) ? SaveModifierValue::Set
                                              : SaveModifierValue::NotModifier;
            if (kind != SaveModifierValue::NotModifier) record.requestedSaveModifier = code;
        }
        record.saveModifierValues.push_back(SaveModifierValue{baseName, value, kind, code});
    }
    const std::uint32_t save = record.requestedSaveModifier;
    if (save == 0) return;
    const auto clash = [&](SaveModifierClash why, std::size_t slot) {
        record.saveModifierClash = why;
        record.saveModifierClashSlot = slot;
    };
    for (std::size_t k = 0; k < quickSlotCount && record.saveModifierClash == SaveModifierClash::None; ++k) {
        if (record.codes.at(k) != 0 && ChordKeysOverlap(save, record.codes.at(k))) clash(SaveModifierClash::SlotKey, k);
        else if (record.modifiers.at(k) != 0 && ChordKeysOverlap(save, record.modifiers.at(k)))
            clash(SaveModifierClash::ChordModifier, k);
    }
    if (record.saveModifierClash == SaveModifierClash::None && save == record.gamepadModifier)
        clash(SaveModifierClash::GamepadModifier, 0);
    if (record.saveModifierClash == SaveModifierClash::None) record.saveModifier = save;
}

}  // namespace

bool IsSaveModifierCode(std::uint32_t code) { return IsChordModifierCode(code) || IsGamepadButtonCode(code); }

bool SettingsFileExists(const std::string& folder, const std::string& fileName) {
    if (folder.empty() || fileName.empty()) return false;
    // Any error of the status query counts as an absent file.
    std::error_code error;
    if (!std::filesystem::is_directory(std::filesystem::status(FilePath(folder), error))) return false;
    return std::filesystem::is_regular_file(std::filesystem::status(FilePath(folder + fileName), error));
}

std::string ReadIniValue(const std::string& baseName, const std::string& section, const std::string& key,
                         const std::string& defaultValue, const std::string& gameFolder) {
    if (baseName.empty() || section.empty() || key.empty()) return {};
    const std::string fileName = baseName + ".ini";
    // The limit is on the path the plug-in names, whichever folder it starts from.
    if (settingsFolder.size() + fileName.size() >= pathLimit) return {};
    const std::string folder = InGameFolder(gameFolder, settingsFolder);
    if (!SettingsFileExists(folder, fileName)) return {};
    return ReadProfileString(section, key, defaultValue, folder + fileName, valueBufferSize);
}

SettingsRecord ReadSettings(const std::string& gameFolder) {
    SettingsRecord record;
    record.codes.fill(0);
    record.visible.fill(true);
    auto& codes = record.codes;
    const auto tell = [&](const char* baseName, const char* section, const std::string& key,
                          const std::string& value, std::size_t k, SettingsValueEffect::Kind kind,
                          std::uint32_t code, std::size_t holder) {
        record.effects.push_back(
            SettingsValueEffect{baseName, section, key, value, k, kind, code, holder, codes.at(k)});
    };
    record.logEnabled = ReadLogEnabled(&record.logValues, gameFolder);
    // The chord modifiers first, from both files: a slot's modifier is known
    // before any key is bound, so that what must be unique is the pair of
    // modifier and key whichever file gives either.
    auto& requested = record.requestedModifiers;
    for (const char* baseName : settingsFiles) {
        if (!SettingsFileExists(InGameFolder(gameFolder, settingsFolder), std::string(baseName) + ".ini")) continue;
        record.filesRead.push_back(baseName);
        for (std::size_t k = 0; k < quickSlotCount; ++k) {
            const std::string key = "iQuickKey" + std::to_string(k + firstQuickKey);
            const std::string value = ReadIniValue(baseName, "QuickKeyModifiers", key, "", gameFolder);
            if (value.empty()) continue;
            std::uint32_t code = 0;
            ChordModifierValue::Kind kind = ChordModifierValue::Unreadable;
            if (ParseHexUInt32(value, code)) {
                kind = code == 0                     ? ChordModifierValue::None
                       : IsChordModifierCode(code) ? ChordModifierValue::Set
                                                   : ChordModifierValue::NotModifier;
                if (kind != ChordModifierValue::NotModifier) requested.at(k) = code;
            }
            record.chordModifierValues.push_back(ChordModifierValue{baseName, key, value, k, kind, code});
        }
    }
    // A modifier counts only with a keyboard key.
    const auto modifierWith = [&](std::size_t k, std::uint32_t code) {
        return IsKeyboardKeyCode(code) ? requested.at(k) : 0u;
    };

    for (const char* baseName : settingsFiles) {
        if (!SettingsFileExists(InGameFolder(gameFolder, settingsFolder), std::string(baseName) + ".ini")) continue;
        for (std::size_t k = 0; k < quickSlotCount; ++k) {
            const std::string key = "bQuickKey" + std::to_string(k + firstQuickKey) + "Visible";
            const std::string value = ReadIniValue(baseName, "Visibility", key, "", gameFolder);
            if (value.empty()) continue;
            record.visible.at(k) = value == "1";
            tell(baseName, "Visibility", key, value, k,
                 record.visible.at(k) ? SettingsValueEffect::Shown : SettingsValueEffect::Hidden, 0, k);
        }
        for (std::size_t k = 0; k < quickSlotCount; ++k) {
            const std::string key = "iQuickKey" + std::to_string(k + firstQuickKey);
            const std::string value = ReadIniValue(baseName, "QuickKeys", key, "", gameFolder);
            if (value.empty()) continue;
            std::uint32_t code = 0;
            if (!ParseHexUInt32(value, code)) {
                tell(baseName, "QuickKeys", key, value, k, SettingsValueEffect::Unreadable, 0, k);
                continue;
            }
            if (code == 0) {
                tell(baseName, "QuickKeys", key, value, k, SettingsValueEffect::Zero, 0, k);
                continue;
            }
            // A key already bound to any slot (this one included) with the same
            // modifier is not bound again. Without chords every modifier is 0,
            // and this is the rule for a repeated key.
            const std::uint32_t modifier = modifierWith(k, code);
            std::size_t holder = quickSlotCount;
            SettingsValueEffect::Kind kind = SettingsValueEffect::Bound;
            for (std::size_t j = 0; j < quickSlotCount && holder == quickSlotCount; ++j)
                if (codes.at(j) == code && modifierWith(j, codes.at(j)) == modifier) {
                    holder = j;
                    kind = SettingsValueEffect::AlreadyBound;
                }
            // A key held as a chord's modifier cannot also use a slot of its
            // own: each press of the chord would use both. The later binding
            // loses, as a repeated key does.
            for (std::size_t j = 0; j < quickSlotCount && holder == quickSlotCount; ++j) {
                const std::uint32_t other = j == k ? code : codes.at(j);
                if (other == 0) continue;
                if (modifier != 0 && ChordKeysOverlap(modifier, other)) {
                    holder = j;
                    kind = SettingsValueEffect::ModifierIsKey;
                } else if (j != k && modifierWith(j, other) != 0 && ChordKeysOverlap(modifierWith(j, other), code)) {
                    holder = j;
                    kind = SettingsValueEffect::KeyIsModifier;
                }
            }
            if (holder == quickSlotCount) {
                codes.at(k) = code;
                holder = k;
            }
            tell(baseName, "QuickKeys", key, value, k, kind, code, holder);
            record.effects.back().modifier = modifier;
        }
        // The gamepad modifier: a later file's value replaces an earlier one's.
        const std::string value = ReadIniValue(baseName, "Gamepad", "iQuickKeyModifier", "", gameFolder);
        if (value.empty()) continue;
        std::uint32_t code = 0;
        ModifierValue::Kind kind = ModifierValue::Unreadable;
        if (ParseHexUInt32(value, code)) {
            kind = code == 0 ? ModifierValue::None
                   : IsGamepadButtonCode(code) ? ModifierValue::Set
                                               : ModifierValue::NotGamepad;
            if (kind != ModifierValue::NotGamepad) record.gamepadModifier = code;
        }
        record.modifierValues.push_back(ModifierValue{baseName, value, kind, code});
    }
    for (std::size_t k = 0; k < quickSlotCount; ++k) record.modifiers.at(k) = modifierWith(k, codes.at(k));
    ReadSaveModifier(record, gameFolder);
    return record;
}

bool ReadLogEnabled(std::vector<LogSettingValue>* values, const std::string& gameFolder) {
    bool enabled = true;
    for (const char* baseName : settingsFiles) {
        const std::string value = ReadIniValue(baseName, "Log", "bEnabled", "", gameFolder);
        if (value.empty()) continue;
        const bool read = value == "0" || value == "1";
        if (read) enabled = value == "1";
        if (values) values->push_back(LogSettingValue{baseName, value, read});
    }
    return enabled;
}

void ApplySettings(const SettingsRecord& record) {
    for (std::size_t k = 0; k < quickSlotCount; ++k) {
        quickKeyCodes.at(k) = record.codes.at(k);
        quickKeyVisible.at(k) = record.visible.at(k);
        quickKeyModifiers.at(k) = record.modifiers.at(k);
    }
    gamepadModifier = record.gamepadModifier;
    outfitSaveModifier = record.saveModifier;
    SetLogEnabled(record.logEnabled);
}

}  // namespace Velloquin

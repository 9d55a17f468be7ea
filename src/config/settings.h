// The player's settings: which extra slots are shown and which keys use them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <array>
#include <string>
#include <vector>

#include "core/state.h"

namespace Velloquin {

extern const std::string settingsFolder;  // ".\Data\QVEX\Plugins\"

// Resets and refills quickKeyVisible, quickKeyCodes and gamepadModifier from
// Velloquin.ini, then VelloquinCustom.ini: ReadSettings, then ApplySettings.
void LoadSettings() REQUIRES(stateMutex);

// What reading the settings did with one non-empty value, in the order the
// values were read; the settings doctor uses these to explain a player's files.
struct SettingsValueEffect {
    enum Kind {
        Shown,           // visibility value "1"
        Hidden,          // any other visibility value
        Bound,           // the code is now the slot's key
        Unreadable,      // no hexadecimal digit, or more than 32 bits
        Zero,            // 0 never binds and never unbinds
        AlreadyBound,    // another slot (or this one) already has the code
    };
    const char* baseName;  // "Velloquin" or "VelloquinCustom"
    const char* section;   // "Visibility" or "QuickKeys"
    std::string key;       // e.g. "iQuickKey12"
    std::string value;     // as the profile reader gave it
    std::size_t slot;      // index 0 to 11
    Kind kind;
    std::uint32_t code;    // the code read (Bound, AlreadyBound, Zero)
    std::size_t holder;    // AlreadyBound: the index of the slot that has the code
    std::uint32_t slotCode;  // the slot's code right after this value
};

// What reading the settings did with one non-empty [Gamepad]
// iQuickKeyModifier value, in reading order.
struct ModifierValue {
    enum Kind {
        Set,          // a gamepad button or trigger: now the modifier
        None,         // 0: no modifier (a custom file's 0 clears the main file's)
        Unreadable,   // no hexadecimal digit, or more than 32 bits: ignored
        NotGamepad,   // a keyboard or mouse code, or no button of a controller: ignored
    };
    const char* baseName;  // "Velloquin" or "VelloquinCustom"
    std::string value;     // as the profile reader gave it
    Kind kind;
    std::uint32_t code;    // the code read (Set, NotGamepad)
};

// The settings as read from the two files, before the plug-in uses them.
struct SettingsRecord {
    std::array<std::uint32_t, quickSlotCount> codes{};  // 0 = unbound
    std::array<bool, quickSlotCount> visible{};
    std::uint32_t gamepadModifier = 0;                 // 0 = none
    std::vector<SettingsValueEffect> effects;          // every non-empty slot value, in reading order
    std::vector<ModifierValue> modifierValues;
};

// The plug-in's files are named relative to the game's working folder; a
// tool reading a player's files gives that player's game folder instead.
inline const std::string inWorkingFolder;  // empty: the working folder

// Reads both files into a record; touches none of the plug-in's globals.
// gameFolder: where settingsFolder is (InGameFolder in platform/paths.h).
SettingsRecord ReadSettings(const std::string& gameFolder);

// Makes the record's codes, visibility and modifier the plug-in's.
void ApplySettings(const SettingsRecord& record) REQUIRES(stateMutex);

// One value of settingsFolder + baseName + ".ini" (below gameFolder); empty
// when the file is missing.
std::string ReadIniValue(const std::string& baseName, const std::string& section, const std::string& key,
                         const std::string& defaultValue, const std::string& gameFolder = inWorkingFolder);

// True when folder exists and folder + fileName is a regular file.
bool SettingsFileExists(const std::string& folder, const std::string& fileName);

}  // namespace Velloquin

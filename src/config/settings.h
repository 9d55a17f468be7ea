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
void LoadSettings();

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

// One non-empty [Log] bEnabled value, in reading order: "0" turns the log
// off, "1" on; any other value is ignored.
struct LogSettingValue {
    const char* baseName;
    std::string value;
    bool read;  // "0" or "1"
};

// The settings as read from the two files, before the plug-in uses them.
struct SettingsRecord {
    std::array<std::uint32_t, quickSlotCount> codes{};  // 0 = unbound
    std::array<bool, quickSlotCount> visible{};
    std::uint32_t gamepadModifier = 0;                 // 0 = none
    std::vector<SettingsValueEffect> effects;          // every non-empty slot value, in reading order
    std::vector<ModifierValue> modifierValues;
    bool logEnabled = true;                            // [Log] bEnabled; the log is on unless a file says 0
    std::vector<LogSettingValue> logValues;
    std::vector<const char*> filesRead;                // the base names of the files that exist, in reading order
};

// Reads both files into a record; touches none of the plug-in's globals.
SettingsRecord ReadSettings();

// [Log] bEnabled of both files alone (the later file's "0" or "1" wins; on
// when neither says): the log reads it when the plug-in starts, before the
// other settings.
bool ReadLogEnabled(std::vector<LogSettingValue>* values = nullptr);

// Makes the record's codes, visibility, modifier and log switch the plug-in's.
void ApplySettings(const SettingsRecord& record);

// Writes what the record says into the log: each file read, each slot bound
// or hidden, each value ignored and why.
void LogSettings(const SettingsRecord& record);

// One value of settingsFolder + baseName + ".ini"; empty when the file is missing.
std::string ReadIniValue(const std::string& baseName, const std::string& section, const std::string& key,
                         const std::string& defaultValue);

// True when folder exists and folder + fileName is a regular file.
bool SettingsFileExists(const std::string& folder, const std::string& fileName);

// Reads a hexadecimal key code as strtoul with base 16 does; false when no
// digit was read or the value does not fit in 32 bits.
bool ParseKeyCode(const std::string& text, std::uint32_t& code);

}  // namespace Velloquin

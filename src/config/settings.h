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

// Resets and refills quickKeyVisible, quickKeyCodes, quickKeyModifiers, gamepadModifier and
// outfitSaveModifier from
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
        AlreadyBound,    // another slot (or this one) already has the code (with the same modifier)
        ModifierIsKey,   // the slot's chord modifier is already another slot's key (holder)
        KeyIsModifier,   // the code is already another slot's chord modifier (holder)
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
    std::uint32_t modifier = 0;  // QuickKeys: the slot's chord modifier this binding took or would have taken
};

// What reading the settings did with one non-empty [QuickKeyModifiers] value,
// in reading order. Both files' values are read before any key is bound: a
// slot's modifier is the custom file's value when it gives one, else the
// main file's.
struct ChordModifierValue {
    enum Kind {
        Set,          // Shift, Ctrl or Alt (0x10 to 0x12, 0xA0 to 0xA5): the slot's modifier
        None,         // 0: no modifier (a custom file's 0 removes the main file's)
        Unreadable,   // no hexadecimal digit, or more than 32 bits: ignored
        NotModifier,  // any other code: ignored
    };
    const char* baseName;  // "Velloquin" or "VelloquinCustom"
    std::string key;       // e.g. "iQuickKey13"
    std::string value;     // as the profile reader gave it
    std::size_t slot;      // index 0 to 11
    Kind kind;
    std::uint32_t code;    // the code read (Set, NotModifier)
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

// What reading the settings did with one non-empty [Outfits] iSaveModifier
// value, in reading order: a later file's value replaces an earlier one's.
struct SaveModifierValue {
    enum Kind {
        Set,          // Shift, Ctrl or Alt (either side or one side), or a gamepad button or trigger
        None,         // 0: saving outfits is off (a custom file's 0 turns the main file's off)
        Unreadable,   // no hexadecimal digit, or more than 32 bits: ignored
        NotModifier,  // any other code: ignored
    };
    const char* baseName;  // "Velloquin" or "VelloquinCustom"
    std::string value;     // as the profile reader gave it
    Kind kind;
    std::uint32_t code;    // the code read (Set, NotModifier)
};

// Why the save modifier the files give is not used: holding it would also
// press a slot's key, a chord's modifier or the gamepad modifier, so one press
// would both save and use.
enum class SaveModifierClash {
    None,
    SlotKey,          // it is (or holds) the key of slot `saveModifierClashSlot`
    ChordModifier,    // it is (or holds) the modifier of slot `saveModifierClashSlot`'s chord
    GamepadModifier,  // it is [Gamepad] iQuickKeyModifier
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
    // Chords: the modifier each slot asks for, and the one it has (0 where
    // the slot has no keyboard key; then its modifier is ignored).
    std::array<std::uint32_t, quickSlotCount> requestedModifiers{};
    std::array<std::uint32_t, quickSlotCount> modifiers{};
    std::vector<ChordModifierValue> chordModifierValues;
    // [Outfits] iSaveModifier as the files give it, and as the plug-in uses
    // it (0 when off or when it clashes with a key the slots use).
    std::uint32_t requestedSaveModifier = 0;
    std::uint32_t saveModifier = 0;
    SaveModifierClash saveModifierClash = SaveModifierClash::None;
    std::size_t saveModifierClashSlot = 0;
    std::vector<SaveModifierValue> saveModifierValues;
    bool logEnabled = true;                            // [Log] bEnabled; the log is on unless a file says 0
    std::vector<LogSettingValue> logValues;
    std::vector<const char*> filesRead;                // the base names of the files that exist, in reading order
};

// The plug-in's files are named relative to the game's working folder; a
// tool reading a player's files gives that player's game folder instead.
inline const std::string inWorkingFolder;  // empty: the working folder

// Reads both files into a record; touches none of the plug-in's globals.
// gameFolder: where settingsFolder is (InGameFolder in platform/paths.h).
SettingsRecord ReadSettings(const std::string& gameFolder);

// [Log] bEnabled of both files alone (the later file's "0" or "1" wins; on
// when neither says): the log reads it when the plug-in starts, before the
// other settings.
bool ReadLogEnabled(std::vector<LogSettingValue>* values = nullptr, const std::string& gameFolder = inWorkingFolder);

// True for a code that can be the outfit save modifier: a chord modifier key
// or a gamepad button or trigger.
bool IsSaveModifierCode(std::uint32_t code);

// Makes the record's codes, chord modifiers, visibility, gamepad modifier,
// outfit save modifier and log switch the plug-in's.
void ApplySettings(const SettingsRecord& record) REQUIRES(stateMutex);

// Writes what the record says into the log: each file read, each slot bound
// or hidden, each value ignored and why.
void LogSettings(const SettingsRecord& record);

// One value of settingsFolder + baseName + ".ini" (below gameFolder); empty
// when the file is missing.
std::string ReadIniValue(const std::string& baseName, const std::string& section, const std::string& key,
                         const std::string& defaultValue, const std::string& gameFolder = inWorkingFolder);

// True when folder exists and folder + fileName is a regular file.
bool SettingsFileExists(const std::string& folder, const std::string& fileName);

}  // namespace Velloquin

// The player's settings: which extra slots are shown and which keys use them.
#pragma once

#include <cstdint>
#include <string>

namespace Velloquin {

extern const std::string settingsFolder;  // ".\Data\QVEX\Plugins\"

// Resets and refills quickKeyVisible and quickKeyCodes from Velloquin.ini,
// then VelloquinCustom.ini.
void LoadSettings();

// One value of settingsFolder + baseName + ".ini"; empty when the file is missing.
std::string ReadIniValue(const std::string& baseName, const std::string& section, const std::string& key,
                         const std::string& defaultValue);

// True when folder exists and folder + fileName is a regular file.
bool SettingsFileExists(const std::string& folder, const std::string& fileName);

// Reads a hexadecimal key code as strtoul with base 16 does; false when no
// digit was read or the value does not fit in 32 bits.
bool ParseKeyCode(const std::string& text, std::uint32_t& code);

}  // namespace Velloquin

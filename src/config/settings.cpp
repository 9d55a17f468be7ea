// The two settings files: which extra slots are shown and which keys use them.
#include "config/settings.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "config/key_names.h"
#include "platform/paths.h"
#include "platform/win32.h"
#include "core/log.h"
#include "core/state.h"

namespace Velloquin {

const std::string settingsFolder = ".\\Data\\QVEX\\Plugins\\";

namespace {

constexpr DWORD valueBufferSize = 10000;
constexpr std::size_t pathLimit = 255;  // a settings path must stay below this length
const char* const settingsFiles[] = {"Velloquin", "VelloquinCustom"};

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

// strtoul with base 16, done by hand: unsigned long is 32 bits on Windows and
// 64 bits on Linux, and the settings must read the same on both.
bool ParseKeyCode(const std::string& text, std::uint32_t& code) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // "0x" counts as a prefix only when a hexadecimal digit follows it.
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        HexDigit(text[i + 2]) >= 0)
        i += 2;
    std::uint64_t value = 0;
    bool anyDigit = false, tooLarge = false;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        anyDigit = true;
        value = value * 16 + static_cast<std::uint64_t>(HexDigit(text[i]));
        if (value > 0xFFFFFFFFull) {
            tooLarge = true;
            value = 0xFFFFFFFFull;  // keep reading digits, the value is lost anyway
        }
    }
    if (!anyDigit || tooLarge) return false;
    code = static_cast<std::uint32_t>(negative ? (0x100000000ull - value) : value);
    return true;
}

bool SettingsFileExists(const std::string& folder, const std::string& fileName) {
    if (folder.empty() || fileName.empty()) return false;
    // Any error of the status query counts as an absent file.
    std::error_code error;
    if (!std::filesystem::is_directory(std::filesystem::status(NativePath(folder), error))) return false;
    return std::filesystem::is_regular_file(std::filesystem::status(NativePath(folder + fileName), error));
}

std::string ReadIniValue(const std::string& baseName, const std::string& section, const std::string& key,
                         const std::string& defaultValue) {
    if (baseName.empty() || section.empty() || key.empty()) return {};
    const std::string fileName = baseName + ".ini";
    if (settingsFolder.size() + fileName.size() >= pathLimit) return {};
    if (!SettingsFileExists(settingsFolder, fileName)) return {};
    std::vector<char> buffer(valueBufferSize, '\0');
    GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(), valueBufferSize,
                             (settingsFolder + fileName).c_str());
    buffer.back() = '\0';
    return buffer.data();
}

SettingsRecord ReadSettings() {
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
    record.logEnabled = ReadLogEnabled(&record.logValues);
    for (const char* baseName : settingsFiles) {
        if (!SettingsFileExists(settingsFolder, std::string(baseName) + ".ini")) continue;
        record.filesRead.push_back(baseName);
        for (std::size_t k = 0; k < quickSlotCount; ++k) {
            const std::string key = "bQuickKey" + std::to_string(k + firstQuickKey) + "Visible";
            const std::string value = ReadIniValue(baseName, "Visibility", key, "");
            if (value.empty()) continue;
            record.visible.at(k) = value == "1";
            tell(baseName, "Visibility", key, value, k,
                 record.visible.at(k) ? SettingsValueEffect::Shown : SettingsValueEffect::Hidden, 0, k);
        }
        for (std::size_t k = 0; k < quickSlotCount; ++k) {
            const std::string key = "iQuickKey" + std::to_string(k + firstQuickKey);
            const std::string value = ReadIniValue(baseName, "QuickKeys", key, "");
            if (value.empty()) continue;
            std::uint32_t code = 0;
            if (!ParseKeyCode(value, code)) {
                tell(baseName, "QuickKeys", key, value, k, SettingsValueEffect::Unreadable, 0, k);
                continue;
            }
            if (code == 0) {
                tell(baseName, "QuickKeys", key, value, k, SettingsValueEffect::Zero, 0, k);
                continue;
            }
            // A key already bound to any slot (this one included) is not bound again.
            std::size_t holder = quickSlotCount;
            for (std::size_t j = 0; j < quickSlotCount && holder == quickSlotCount; ++j)
                if (codes.at(j) == code) holder = j;
            if (holder == quickSlotCount) codes.at(k) = code;
            tell(baseName, "QuickKeys", key, value, k,
                 holder == quickSlotCount ? SettingsValueEffect::Bound : SettingsValueEffect::AlreadyBound, code,
                 holder == quickSlotCount ? k : holder);
        }
        // The gamepad modifier: a later file's value replaces an earlier one's.
        const std::string value = ReadIniValue(baseName, "Gamepad", "iQuickKeyModifier", "");
        if (value.empty()) continue;
        std::uint32_t code = 0;
        ModifierValue::Kind kind = ModifierValue::Unreadable;
        if (ParseKeyCode(value, code)) {
            kind = code == 0 ? ModifierValue::None
                   : IsGamepadButtonCode(code) ? ModifierValue::Set
                                               : ModifierValue::NotGamepad;
            if (kind != ModifierValue::NotGamepad) record.gamepadModifier = code;
        }
        record.modifierValues.push_back(ModifierValue{baseName, value, kind, code});
    }
    return record;
}

bool ReadLogEnabled(std::vector<LogSettingValue>* values) {
    bool enabled = true;
    for (const char* baseName : settingsFiles) {
        const std::string value = ReadIniValue(baseName, "Log", "bEnabled", "");
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
    }
    gamepadModifier = record.gamepadModifier;
    SetLogEnabled(record.logEnabled);
}

void LoadSettings() {
    const SettingsRecord record = ReadSettings();
    ApplySettings(record);
    LogSettings(record);
}

}  // namespace Velloquin

// Loading the settings into the plug-in, and what the load did, told in the log.
#include "config/key_names.h"
#include "config/settings.h"
#include "core/log.h"

namespace Velloquin {

namespace {

const char* WhyIgnored(SettingsValueEffect::Kind kind) {
    switch (kind) {
        case SettingsValueEffect::Unreadable: return "no hexadecimal number of at most 32 bits";
        case SettingsValueEffect::Zero: return "0 binds no key (and never unbinds one)";
        case SettingsValueEffect::AlreadyBound: return "the key is already bound to slot";
        default: return "";
    }
}

void WriteSaveModifierLines(const SettingsRecord& record) {
    for (const SaveModifierValue& value : record.saveModifierValues) {
        switch (value.kind) {
            case SaveModifierValue::Set:
                LogLine("Settings: outfit save modifier 0x%X %s (%s.ini)", value.code, GetKeyName(value.code).c_str(),
                        value.baseName);
                break;
            case SaveModifierValue::None: LogLine("Settings: outfits are not saved by key (%s.ini)", value.baseName); break;
            case SaveModifierValue::Unreadable:
                LogLine("Settings: %s.ini [Outfits] iSaveModifier=%s ignored: no hexadecimal number of at most 32 bits",
                        value.baseName, value.value.c_str());
                break;
            case SaveModifierValue::NotModifier:
                LogLine("Settings: %s.ini [Outfits] iSaveModifier=%s ignored: neither Shift, Ctrl or Alt nor a button "
                        "of a controller",
                        value.baseName, value.value.c_str());
                break;
        }
    }
    const std::uint32_t code = record.requestedSaveModifier;
    const int quickKey = firstQuickKey + static_cast<int>(record.saveModifierClashSlot);
    switch (record.saveModifierClash) {
        case SaveModifierClash::None: break;
        case SaveModifierClash::SlotKey:
            LogLine("Settings: outfit save modifier 0x%X ignored: it is also the key of slot %d, so outfits are not "
                    "saved by key", code, quickKey);
            break;
        case SaveModifierClash::ChordModifier:
            LogLine("Settings: outfit save modifier 0x%X ignored: it is also the modifier of slot %d's chord, so "
                    "outfits are not saved by key", code, quickKey);
            break;
        case SaveModifierClash::GamepadModifier:
            LogLine("Settings: outfit save modifier 0x%X ignored: it is also the gamepad modifier, so outfits are not "
                    "saved by key", code);
            break;
    }
}

void WriteSettingsLines(const SettingsRecord& record) {
    if (record.filesRead.empty())
        LogLine("Settings: neither Velloquin.ini nor VelloquinCustom.ini is in %s: every slot shown, no key bound",
                settingsFolder.c_str());
    for (const char* baseName : record.filesRead) LogLine("Settings: read %s%s.ini", settingsFolder.c_str(), baseName);
    for (const SettingsValueEffect& effect : record.effects) {
        const int quickKey = firstQuickKey + static_cast<int>(effect.slot);
        switch (effect.kind) {
            case SettingsValueEffect::Shown: break;
            case SettingsValueEffect::Hidden:
                LogLine("Settings: slot %d hidden (%s.ini, %s=%s)", quickKey, effect.baseName, effect.key.c_str(),
                        effect.value.c_str());
                break;
            case SettingsValueEffect::Bound:
                LogLine("Settings: slot %d bound to key 0x%X %s (%s.ini)", quickKey, effect.code,
                        GetKeyName(effect.code).c_str(), effect.baseName);
                break;
            case SettingsValueEffect::AlreadyBound:
                LogLine("Settings: %s.ini [%s] %s=%s ignored: %s %d", effect.baseName, effect.section,
                        effect.key.c_str(), effect.value.c_str(), WhyIgnored(effect.kind),
                        firstQuickKey + static_cast<int>(effect.holder));
                break;
            case SettingsValueEffect::ModifierIsKey:
                LogLine("Settings: %s.ini [%s] %s=%s ignored: its chord's modifier 0x%X is also the key of slot %d",
                        effect.baseName, effect.section, effect.key.c_str(), effect.value.c_str(), effect.modifier,
                        firstQuickKey + static_cast<int>(effect.holder));
                break;
            case SettingsValueEffect::KeyIsModifier:
                LogLine("Settings: %s.ini [%s] %s=%s ignored: the key is also the modifier of slot %d's chord",
                        effect.baseName, effect.section, effect.key.c_str(), effect.value.c_str(),
                        firstQuickKey + static_cast<int>(effect.holder));
                break;
            default:
                LogLine("Settings: %s.ini [%s] %s=%s ignored: %s", effect.baseName, effect.section, effect.key.c_str(),
                        effect.value.c_str(), WhyIgnored(effect.kind));
                break;
        }
    }
    for (const ModifierValue& value : record.modifierValues) {
        switch (value.kind) {
            case ModifierValue::Set:
                LogLine("Settings: gamepad modifier 0x%X %s (%s.ini)", value.code, GetKeyName(value.code).c_str(),
                        value.baseName);
                break;
            case ModifierValue::None: LogLine("Settings: no gamepad modifier (%s.ini)", value.baseName); break;
            case ModifierValue::Unreadable:
                LogLine("Settings: %s.ini [Gamepad] iQuickKeyModifier=%s ignored: no hexadecimal number of at most 32 bits",
                        value.baseName, value.value.c_str());
                break;
            case ModifierValue::NotGamepad:
                LogLine("Settings: %s.ini [Gamepad] iQuickKeyModifier=%s ignored: not a button of a controller",
                        value.baseName, value.value.c_str());
                break;
        }
    }
    WriteSaveModifierLines(record);
    for (const LogSettingValue& value : record.logValues)
        if (!value.read)
            LogLine("Settings: %s.ini [Log] bEnabled=%s ignored: only 0 (off) and 1 (on) are read", value.baseName,
                    value.value.c_str());
}

}  // namespace

void LogSettings(const SettingsRecord& record) {
    if (!LogActive()) return;
    try {
        WriteSettingsLines(record);
    } catch (...) {
        // The log never stops the settings' load.
    }
}

void LoadSettings() {
    const SettingsRecord record = ReadSettings(inWorkingFolder);
    ApplySettings(record);
    LogSettings(record);
}

}  // namespace Velloquin

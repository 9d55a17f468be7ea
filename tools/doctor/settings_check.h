// The settings half of the doctor, in three parts: what the plug-in's own
// load did with each value (settings_effects.cpp), the lines and files it
// never reads (settings_lines.cpp), and the hints for what a player may have
// meant (spelling_hints.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "doctor/findings.h"
#include "doctor/ini_scan.h"

namespace Velloquin::Doctor {

inline const std::string mainName = "Velloquin.ini";
inline const std::string customName = "VelloquinCustom.ini";
inline const std::string visibilitySection = "Visibility";
inline const std::string keysSection = "QuickKeys";
inline const std::string modifiersSection = "QuickKeyModifiers";  // the same keys as [QuickKeys]
inline const std::string gamepadSection = "Gamepad";  // its lines are the gamepad check's
inline const std::string outfitsSection = "Outfits";  // its lines are the outfit check's
inline const std::string logSection = "Log";          // bEnabled: the plug-in's log on (1) or off (0)

// Names of slot index k (0 to 11): "bQuickKey12Visible", "iQuickKey12", "slot 12".
std::string VisibilityKey(std::size_t k);
std::string CodeKey(std::size_t k);
std::string SlotName(std::size_t k);
// The keys the plug-in reads in [Visibility], [QuickKeys] or [QuickKeyModifiers], and whether name is one of them.
const std::vector<std::string>& KeysOf(const std::string& section);
bool IsKeyOf(const std::string& section, const std::string& name);

// "0x72 (F3)", or "0x9 (a code without a name)".
std::string KeyText(std::uint32_t code);
// "Shift+F1 (0x10 with 0x70)".
std::string ChordText(std::uint32_t modifier, std::uint32_t code);

struct SettingsFile {
    std::string name;
    std::vector<IniLine> lines;
};

// The settings files of folder (the plug-in's settings folder below the game
// folder) that exist, each read once: Velloquin.ini, then VelloquinCustom.ini.
std::vector<SettingsFile> ReadSettingsFiles(const std::string& folder);

// What the plug-in's own reading of the files (record) did with each value,
// pointed at the lines of files; folder as for ReadSettingsFiles.
void CheckSettings(Findings& findings, const std::string& folder, const std::vector<SettingsFile>& files,
                   const SettingsRecord& record);
// After CheckSettings: the gamepad quick keys and the modifier.
void CheckGamepad(Findings& findings, const std::vector<SettingsFile>& files, const SettingsRecord& record);
// After CheckSettings: the keyboard chords of [QuickKeyModifiers].
void CheckChords(Findings& findings, const std::vector<SettingsFile>& files, const SettingsRecord& record);
// The outfit save modifier of [Outfits], and the lines of that section.
void CheckSaveModifier(Findings& findings, const std::vector<SettingsFile>& files, const SettingsRecord& record);

// The number of the line a value came from (0 when it cannot be told), and a line's text.
int LineOf(const SettingsFile& file, const std::string& section, const std::string& key, const std::string& value);
std::string LineText(const SettingsFile& file, int number);

void Warn(Findings& findings, const std::string& file, int line, const std::string& text, WarningKind kind,
          const std::string& message);

// Line checks: the sections, keys and lines of one file that the plug-in never reads.
void CheckLines(Findings& findings, const SettingsFile& file);
// Files in folder beside the two settings files that a player may take for them.
void CheckLookAlikes(Findings& findings, const std::string& folder);

// Spelling hints.
// The candidate closest to name without regard to case, within limit edits; empty when none is.
std::string Closest(const std::string& name, const std::vector<std::string>& candidates, std::size_t limit);
// "iQuickKey24", "bQuickKey9Visible": a well-formed key of a slot that does not exist; number is set.
bool NamesMissingSlot(const std::string& name, int& number);
// The code a player may have meant by writing a key's name ("F1", "5", "Space").
bool CodeOfName(const std::string& value, std::uint32_t& code);
// True when the whole value is one hexadecimal number (optional sign and 0x).
bool AllHexadecimal(const std::string& value);

}  // namespace Velloquin::Doctor

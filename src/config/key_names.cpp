// Key codes and the built-in English names of keys (config/game_key_names.cpp
// reads the game's own input-name tables first).
#include "config/key_names.h"

namespace Velloquin {

namespace {

struct NamedKey {
    std::uint32_t code;
    const char* name;
};

constexpr NamedKey keyboardNames[] = {
    {0x08, "Backspace"}, {0x09, "Tab"}, {0x0C, "Clear"}, {0x0D, "Enter"}, {0x10, "Shift"}, {0x11, "Control"},
    {0x12, "Alt"}, {0x13, "Pause"}, {0x14, "Caps Lock"}, {0x1B, "Escape"}, {0x20, "Space"}, {0x21, "Page Up"},
    {0x22, "Page Down"}, {0x23, "End"}, {0x24, "Home"}, {0x25, "Left"}, {0x26, "Up"}, {0x27, "Right"},
    {0x28, "Down"}, {0x2D, "Insert"}, {0x2E, "Delete"}, {0x5B, "Left Windows"}, {0x5C, "Right Windows"},
    {0x5D, "Applications"}, {0x5F, "Computer Sleep"}, {0x6A, "Numpad Multiply"}, {0x6B, "Numpad Plus"},
    {0x6D, "Numpad Minus"}, {0x6E, "Numpad Period"}, {0x6F, "Numpad Divide"}, {0x90, "Num Lock"},
    {0x91, "Scroll Lock"}, {0xA0, "Left Shift"}, {0xA1, "Right Shift"}, {0xA2, "Left Control"},
    {0xA3, "Right Control"}, {0xA4, "Left Alt"}, {0xA5, "Right Alt"}, {0xA6, "Browser Back"},
    {0xA7, "Browser Forward"}, {0xA8, "Browser Refresh"}, {0xA9, "Browser Stop"}, {0xAA, "Browser Search"},
    {0xAB, "Browser Favorites"}, {0xAC, "Browser Start and Home"}, {0xAD, "Volume Mute"}, {0xAE, "Volume Down"},
    {0xAF, "Volume Up"}, {0xBA, "Semicolon"}, {0xBB, "Equals"}, {0xBC, "Comma"}, {0xBD, "Minus"},
    {0xBE, "Period"}, {0xBF, "Divide"}, {0xDB, "Left Bracket"}, {0xDC, "Backslash"}, {0xDD, "Right Bracket"},
    {0xDE, "Apostrophe"},
};

constexpr NamedKey gamepadNames[] = {
    {0x10000, "Gamepad"}, {0x10001, "DPAD Up"}, {0x10002, "DPAD Down"}, {0x10004, "DPAD Left"},
    {0x10008, "DPAD Right"}, {0x10009, "Left Trigger"}, {0x1000A, "Right Trigger"}, {0x10020, "Select"},
    {0x10040, "Left Stick"}, {0x10080, "Right Stick"}, {0x10100, "Left Shoulder"}, {0x10200, "Right Shoulder"},
    {0x11000, "A Button"}, {0x12000, "B Button"}, {0x14000, "X Button"}, {0x18000, "Y Button"},
};

}  // namespace

std::string GetBuiltInKeyName(std::uint32_t code) {
    if ((code >= 0x30 && code <= 0x39) || (code >= 0x41 && code <= 0x5A)) return std::string(1, static_cast<char>(code));
    if (code >= 0x60 && code <= 0x69) {
        std::string name = "Numpad 0";
        name.back() = static_cast<char>('0' + (code - 0x60));
        return name;
    }
    if (code >= 0x70 && code <= 0x87) {
        std::string name = "F";
        name += std::to_string(code - 0x6F);
        return name;
    }
    for (const NamedKey& key : keyboardNames)
        if (key.code == code) return key.name;
    for (const NamedKey& key : gamepadNames)
        if (key.code == code) return key.name;
    return {};
}

bool IsGamepadButtonCode(std::uint32_t code) {
    if (code == leftTriggerCode || code == rightTriggerCode) return true;
    if (code <= gamepadCodeBase || code > gamepadCodeBase + 0xFFFF) return false;
    const std::uint32_t mask = code - gamepadCodeBase;
    // One bit of XInput's buttons; bits 0x400 and 0x800 are no button.
    return (mask & (mask - 1)) == 0 && mask != 0x400 && mask != 0x800;
}

bool IsMouseCode(std::uint32_t code) {
    return (code >= 0x100 && code < 0x10A) || code == 0x800 || code == 0x900 || code == 0xA00;
}

bool IsKeyboardKeyCode(std::uint32_t code) { return code >= firstPolledKeyCode && code <= lastPolledKeyCode; }

bool IsPolledKeyCode(std::uint32_t code) { return IsKeyboardKeyCode(code) || IsGamepadButtonCode(code); }

namespace {
// 0 for Shift, 1 for Ctrl, 2 for Alt, -1 for any other code. Windows gives
// each both a key of either side (0x10 to 0x12) and a left and a right key
// (0xA0 and 0xA1 for Shift, 0xA2 and 0xA3 for Ctrl, 0xA4 and 0xA5 for Alt).
int ModifierFamily(std::uint32_t code) {
    if (code >= 0x10 && code <= 0x12) return static_cast<int>(code - 0x10);
    if (code >= 0xA0 && code <= 0xA5) return static_cast<int>((code - 0xA0) / 2);
    return -1;
}
}  // namespace

bool IsChordModifierCode(std::uint32_t code) { return ModifierFamily(code) >= 0; }

bool ChordKeysOverlap(std::uint32_t a, std::uint32_t b) {
    if (a == b) return true;
    const int family = ModifierFamily(a);
    // Left and right are two keys; either-side is both of them.
    return family >= 0 && family == ModifierFamily(b) && (a <= 0x12 || b <= 0x12);
}

}  // namespace Velloquin

// Key codes and the names the favourites menu shows for them.
#pragma once

#include <cstdint>
#include <string>

namespace Velloquin {

// The game's input-name tables first, then the built-in names.
std::string GetKeyName(std::uint32_t code);
std::string GetBuiltInKeyName(std::uint32_t code);

// Gamepad key codes are 0x10000 plus XInput's button mask; the two triggers,
// which have no mask, take the codes 0x10009 and 0x1000A.
inline constexpr std::uint32_t gamepadCodeBase = 0x10000;
inline constexpr std::uint32_t leftTriggerCode = 0x10009;
inline constexpr std::uint32_t rightTriggerCode = 0x1000A;
// A trigger counts as pressed above XInput's threshold.
inline constexpr std::uint8_t triggerThreshold = 30;

// True for the codes a controller can press: the fourteen buttons and the
// two triggers. 0x10000 itself and the sums of several masks never are.
bool IsGamepadButtonCode(std::uint32_t code);

// The game's mouse codes: 0x100 to 0x109, 0x800, 0x900 and 0xA00.
bool IsMouseCode(std::uint32_t code);

// The keyboard codes the update pass polls: Windows virtual-key codes. The
// pass also reads the controller for gamepad codes (menu/gamepad.h); mouse
// codes have names but are never polled.
inline constexpr std::uint32_t firstPolledKeyCode = 1;
inline constexpr std::uint32_t lastPolledKeyCode = 254;


// Keyboard chords: a slot's key together with a held modifier key. The
// modifiers are Shift, Ctrl and Alt (0x10 to 0x12, either side of the
// keyboard) and their left and right keys (0xA0 to 0xA5).
bool IsChordModifierCode(std::uint32_t code);
// A keyboard key the update pass reads with GetKeyState (firstPolledKeyCode
// to lastPolledKeyCode); only
// such a key can be the key of a chord.
bool IsKeyboardKeyCode(std::uint32_t code);
// True when holding the one key holds the other as well: the same code, or
// Shift (either side) and Left Shift or Right Shift, and so for Ctrl and Alt.
bool ChordKeysOverlap(std::uint32_t a, std::uint32_t b);
// The name the favourites menu shows for a slot: the key's name, or for a
// chord the modifier's and the key's names (each as GetKeyName gives it)
// joined by '+', e.g. "Shift+F1". Empty when a name is unknown. A modifier
// counts only with a keyboard key.
std::string GetQuickKeyName(std::uint32_t code, std::uint32_t modifier);

// True for a code the update pass polls: a keyboard key (firstPolledKeyCode
// to lastPolledKeyCode) or a gamepad button.
bool IsPolledKeyCode(std::uint32_t code);

}  // namespace Velloquin

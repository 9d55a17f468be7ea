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

// True for a code the update pass polls: a keyboard key (firstPolledKeyCode
// to lastPolledKeyCode) or a gamepad button.
bool IsPolledKeyCode(std::uint32_t code);

}  // namespace Velloquin

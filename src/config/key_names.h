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

// True for a code the update pass polls: a keyboard key (1 to 254) or a
// gamepad button.
bool IsPolledKeyCode(std::uint32_t code);

}  // namespace Velloquin

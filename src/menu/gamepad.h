// The controller: gamepad key codes, and reading the first connected
// controller through XInput (platform/xinput.h).
#pragma once

#include <cstdint>

#include "config/key_names.h"
#include "core/state.h"

namespace Velloquin {

// Without a controller, XInput is asked again at most this often.
inline constexpr std::int64_t gamepadProbeIntervalNs = 2'000'000'000;

// What the pass needs of a controller's state.
struct GamepadReading {
    std::uint16_t buttons = 0;
    std::uint8_t leftTrigger = 0;
    std::uint8_t rightTrigger = 0;
};
bool IsGamepadCodeDown(const GamepadReading& reading, std::uint32_t code);

// Reads the first connected controller at `now`; false when there is none,
// XInput is missing or answers an error. XInput is looked up on the first
// call. A controller that answered is read once per call; without one, one
// port is asked at most every gamepadProbeIntervalNs (port 0 every other
// time, ports 1 to 3 in between; from port 0 again after a controller is
// lost).
bool ReadGamepad(std::int64_t now, GamepadReading& reading) REQUIRES(stateMutex);

// Back to a plug-in that has not looked for XInput yet and knows no
// controller (the tests); takes the lock.
void ResetGamepadState();

}  // namespace Velloquin

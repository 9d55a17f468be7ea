// XInput, the controller interface of Windows, looked up at run time so that
// the plug-in's import list names only the system libraries every Windows
// has. On Linux the POSIX stand-in's LoadLibraryA and GetProcAddress answer
// with what the host program provides.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace Velloquin {

// The libraries tried, in order.
inline constexpr const char* xinputLibraries[] = {"xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll"};

// XINPUT_STATE: the packet number, then XINPUT_GAMEPAD.
struct XInputGamepadState {
    std::uint32_t packetNumber;
    std::uint16_t buttons;
    std::uint8_t leftTrigger;
    std::uint8_t rightTrigger;
    std::int16_t thumbLX, thumbLY, thumbRX, thumbRY;
};
static_assert(sizeof(XInputGamepadState) == 16);

// XInputGetState: ERROR_SUCCESS with the state, ERROR_DEVICE_NOT_CONNECTED
// for an empty port, or another error.
using XInputGetStateFunction = DWORD(WINAPI*)(DWORD port, XInputGamepadState* state);

// What the lookup found: XInputGetState and the library (one of
// xinputLibraries) it came from; both null when none loads and has it.
struct XInputLookup {
    XInputGetStateFunction getState;
    const char* library;
};

// XInputGetState of the first of xinputLibraries that loads and has it. The
// library found stays loaded. Says nothing: the caller logs what it found.
XInputLookup FindXInputGetState();

}  // namespace Velloquin

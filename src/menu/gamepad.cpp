// Gamepad codes and reading the controller. A player without XInput loses
// only the gamepad codes.
#include "menu/gamepad.h"

#include <iterator>

#include "core/log.h"
#include "platform/xinput.h"

namespace Velloquin {

namespace {
// The ports asked in turn while no controller answers: port 0, where a single
// controller sits, every other look; ports 1 to 3 in between.
constexpr int probeOrder[] = {0, 1, 0, 2, 0, 3};
constexpr int probeOrderLength = static_cast<int>(std::size(probeOrder));

// The controller, written and read by the update pass only, under stateMutex.
// XInput is looked up on the first pass that needs a gamepad code, once
// (xinputGetState stays null when no XInput library loads). gamepadPort is
// the port of the controller that last answered, -1 while none does; then
// the look numbered gamepadProbePort (in probeOrder) comes next, not before
// gamepadNextProbeTime.
bool xinputLookedUp GUARDED_BY(stateMutex) = false;
XInputGetStateFunction xinputGetState GUARDED_BY(stateMutex) = nullptr;
int gamepadPort GUARDED_BY(stateMutex) = -1;
int gamepadProbePort GUARDED_BY(stateMutex) = 0;
std::int64_t gamepadNextProbeTime GUARDED_BY(stateMutex) = 0;
}  // namespace

void ResetGamepadState() {
    StateLock lock(stateMutex);
    xinputLookedUp = false;
    xinputGetState = nullptr;
    gamepadPort = -1;
    gamepadProbePort = 0;
    gamepadNextProbeTime = 0;
}

bool IsGamepadCodeDown(const GamepadReading& reading, std::uint32_t code) {
    if (code == leftTriggerCode) return reading.leftTrigger > triggerThreshold;
    if (code == rightTriggerCode) return reading.rightTrigger > triggerThreshold;
    return IsGamepadButtonCode(code) && (reading.buttons & (code - gamepadCodeBase)) != 0;
}

bool ReadGamepad(std::int64_t now, GamepadReading& reading) {
    if (!xinputLookedUp) {
        const XInputLookup found = FindXInputGetState();
        xinputGetState = found.getState;
        xinputLookedUp = true;
        if (found.getState)
            LogLine("Controller: %s found", found.library);
        else
            LogLine("Controller: no XInput library found (xinput1_4.dll, xinput1_3.dll, xinput9_1_0.dll): gamepad quick "
                    "keys cannot work");
    }
    if (!xinputGetState) return false;
    int port = gamepadPort;
    if (port < 0) {
        if (now - gamepadNextProbeTime < 0) return false;
        gamepadNextProbeTime = now + gamepadProbeIntervalNs;
        port = probeOrder[gamepadProbePort % probeOrderLength];
        gamepadProbePort = (gamepadProbePort + 1) % probeOrderLength;
    }
    XInputGamepadState state{};
    if (xinputGetState(static_cast<DWORD>(port), &state) != ERROR_SUCCESS) {
        if (gamepadPort >= 0) {  // lost: look again from port 0, not before the interval
            gamepadPort = -1;
            gamepadProbePort = 0;
            gamepadNextProbeTime = now + gamepadProbeIntervalNs;
        }
        return false;
    }
    gamepadPort = port;
    reading.buttons = state.buttons;
    reading.leftTrigger = state.leftTrigger;
    reading.rightTrigger = state.rightTrigger;
    return true;
}

}  // namespace Velloquin

// Unit tests share one copy of the plug-in's globals: each test starts from
// the state of a plug-in that has just started.
#pragma once

#include "core/state.h"
#include "menu/gamepad.h"
#include "menu/key_poll.h"

inline void ResetPluginState() {
    Velloquin::ResetRuntimeState();
    Velloquin::ResetGamepadState();
    Velloquin::StateLock lock(Velloquin::stateMutex);
    Velloquin::ForgetHeldKeys();
}

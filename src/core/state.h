// The plug-in's process-wide state: plain globals that live from library
// start-up to process exit. Flags that several threads write without
// stateMutex are atomics of the documented width. Each global's writers,
// readers and lock are told where it is defined (core/state.cpp for the
// runtime state, plugin/startup.cpp for what start-up computes).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "game/game.h"
#include "platform/xinput.h"

namespace Velloquin {

inline constexpr std::size_t quickSlotCount = 12;
inline constexpr int firstQuickKey = 12;  // slot index i carries quick-key number 12 + i

extern std::uint32_t pluginHandle;
extern std::uintptr_t gameModuleBase;
extern std::uintptr_t siteCallee;
extern const std::string pluginFolder;  // ".\Data\QVEX\Plugins\Velloquin\"

// Favourites-menu runtime state; everything but the atomics is guarded by stateMutex.
extern std::recursive_mutex stateMutex;
extern std::atomic<std::uint8_t> pluginInactive;
extern std::atomic<std::uint8_t> reloadPending;
extern std::atomic<std::int64_t> creditsMenuTime;
extern bool favoritesMenuOpened;
extern bool favoritesMenuPopulated;
extern bool populateFailed;
extern Game::Menu* openFavoritesMenu;
extern std::int64_t favoritesMenuOpenTime;
extern std::int64_t lastUpdateTime;
extern std::int64_t populateFailTime;

// The twelve extra slots, index i for quick key 12 + i. Always indexed with at().
extern std::array<Game::Form*, quickSlotCount> quickItems;
extern std::array<std::uint32_t, quickSlotCount> quickKeyCodes;
extern std::array<bool, quickSlotCount> quickKeyVisible;
// [QuickKeyModifiers]: the keyboard key (Shift, Ctrl or Alt) that must be held
// with slot i's key for the slot to be used; 0 = the key alone.
extern std::array<std::uint32_t, quickSlotCount> quickKeyModifiers;
// [Gamepad] iQuickKeyModifier: the gamepad code that must be held for gamepad
// quick keys to fire; 0 = none.
extern std::uint32_t gamepadModifier;

// The controller, under stateMutex (menu/gamepad.cpp reads it).
extern bool xinputLookedUp;
extern XInputGetStateFunction xinputGetState;
extern int gamepadPort;
extern int gamepadProbePort;
extern std::int64_t gamepadNextProbeTime;

// Back to the state of a plug-in that has started and read settings files
// that do not exist: no items, no keys, every slot shown, nothing open or
// pending. For a fresh plug-in within one process (the tests).
void ResetRuntimeState();

// Monotonic clock in nanoseconds.
std::int64_t SteadyNow();

}  // namespace Velloquin

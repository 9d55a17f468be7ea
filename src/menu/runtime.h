// The favourites-menu runtime: the update pass and what it drives.
#pragma once

#include <cstdint>

#include "core/state.h"
#include "game/game.h"

namespace Velloquin {

// The keyboard codes the update pass polls: Windows virtual-key codes. The
// pass also reads the controller for gamepad codes (menu/gamepad.h); mouse
// codes have names but are never polled.
inline constexpr std::uint32_t firstPolledKeyCode = 1;
inline constexpr std::uint32_t lastPolledKeyCode = 254;

// One throttled pass; fromHook is true on the hooked call's path.
void RunUpdatePass(bool fromHook);

// The menu pass on the open favourites menu: true on success.
bool ProcessOpenFavoritesMenu() REQUIRES(stateMutex);

// Reads the player's choice in the open favourites menu and acts on it.
void ProcessMenuSelection() REQUIRES(stateMutex);

// Equips the item or activates the power of one slot.
void ActivateQuickItem(Game::Form* form);

}  // namespace Velloquin

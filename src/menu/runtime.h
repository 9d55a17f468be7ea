// The favourites-menu runtime: the update pass and what it drives.
#pragma once

#include <cstdint>

#include "config/key_names.h"  // the polled codes: firstPolledKeyCode to lastPolledKeyCode, IsPolledKeyCode
#include "core/state.h"
#include "game/game.h"

namespace Velloquin {

// One throttled pass; fromHook is true on the hooked call's path.
void RunUpdatePass(bool fromHook);

// The menu pass on the open favourites menu: true on success.
bool ProcessOpenFavoritesMenu() REQUIRES(stateMutex);

// Reads the player's choice in the open favourites menu and acts on it.
void ProcessMenuSelection() REQUIRES(stateMutex);

// Equips the item or activates the power of one slot.
void ActivateQuickItem(Game::Form* form);

}  // namespace Velloquin

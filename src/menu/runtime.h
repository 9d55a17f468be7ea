// The favourites-menu runtime: the update pass and what it drives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/key_names.h"  // the polled codes: firstPolledKeyCode to lastPolledKeyCode, IsPolledKeyCode
#include "core/slots.h"
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

// What putting on an outfit did with its pieces.
struct OutfitUse {
    std::uint8_t pieces = 0;    // the outfit's pieces
    std::uint8_t equipped = 0;  // handed to the game's equip operation now
    std::uint8_t worn = 0;      // already worn: nothing to do
    std::uint8_t missing = 0;   // not carried (or no player): skipped, still in the outfit
};

// Puts on the outfit of slot i: every piece the player carries and does not
// wear is equipped in the saved order, one EquipObject per piece, matched as
// ActivateQuickItem matches a single item. Asks IsEquipped once per piece and
// walks the inventory once, only when a piece is not worn.
OutfitUse PutOnOutfit(std::size_t slot) REQUIRES(stateMutex);

// "outfit of 4 pieces: 2 put on, 1 already worn, 1 not carried" for the log.
std::string OutfitUseText(const OutfitUse& use);

// Saves what the player wears into slot i, as an outfit; the log says what
// it did. True when the slot now holds the outfit (and the items file was
// written).
bool SaveOutfit(std::size_t slot) REQUIRES(stateMutex);

}  // namespace Velloquin

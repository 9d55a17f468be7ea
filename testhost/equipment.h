// Equipping in the stand-in game (the equip manager and its operations, the
// player's current power) and the favourites manager with the game's own ten
// quick slots and the item an item menu is assigning.
#pragma once

#include <cstdint>

#include "forms.h"

namespace TestHost {

// Records: "equip object FORMID (second word W)", "equip power FORMID",
// "power follow-up FORMID", "used up one FORMID NAME" (a consumable equipped:
// the game uses one up instead of wearing it).
void SetCurrentPower(Form* power);
Form* CurrentPower();
// Equipping an object other than a consumable marks it equipped (IsEquipped then answers true).
void SetEquipMarksEquipped(bool on);

struct FavoritesManager {
    std::uint8_t unused[0x420] = {};
    Form* assigning = nullptr;         // 0x420
    std::uint8_t unused2[0x10] = {};
    Form* nativeSlots[10] = {};        // 0x438
};

FavoritesManager& Favorites();
void SetNativeSlot(int slot, Form* form);
void SetItemBeingAssigned(Form* form);
// The game's favourites manager pointer reads null, or the manager again.
void SetFavoritesManagerPresent(bool present);

}  // namespace TestHost

// The slot table's rules, as small functions over the globals of core/state.h:
// what an outfit slot is, how a slot becomes one or a single-item slot again,
// and the one-slot rule (an item sits in at most one single-item slot; outfit
// slots share pieces freely, with each other and with one single-item slot).
// Every function takes a slot index 0..11 and holds no lock itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/state.h"

namespace Velloquin {

// True when slot i holds an outfit (two pieces or more).
bool IsOutfitSlot(std::size_t i) REQUIRES(stateMutex);

// Makes slot i an outfit of `pieces` in their order: null pieces and a piece
// listed again are left out, and only the first outfitPieceLimit that remain
// are kept. quickItems[i] becomes the first piece kept. What remains of one
// piece makes a single-item slot of it, of none an empty slot. Returns the
// number of pieces the slot holds. The one-slot rule is not applied here.
std::size_t SetOutfit(std::size_t i, Game::Form* const* pieces, std::size_t count) REQUIRES(stateMutex);

// Slot i holds `form` alone (null: nothing); an outfit there is forgotten.
// The one-slot rule is not applied here: see ClearSingleSlotsHolding.
void MakeSingleItemSlot(std::size_t i, Game::Form* form) REQUIRES(stateMutex);

// The one-slot rule: every single-item slot but `keep` that holds `form` is
// emptied (keep = quickSlotCount keeps none); outfit slots are left alone.
// Returns the emptied slots as a bit mask (bit i for slot i).
std::uint16_t ClearSingleSlotsHolding(const Game::Form* form, std::size_t keep = quickSlotCount)
    REQUIRES(stateMutex);

// The pieces of slot i: an outfit's pieces, a single-item slot's item, or
// nothing. `count` receives how many; the pointer stays valid until the slot
// changes.
Game::Form* const* SlotPieces(std::size_t i, std::size_t& count) REQUIRES(stateMutex);

}  // namespace Velloquin

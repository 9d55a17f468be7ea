// The values of one extra tile of the favourites menu.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/state.h"
#include "game/game.h"

namespace Velloquin {

struct SlotDetails {
    const Game::Form* displayForm = nullptr;
    std::int32_t arrayIndex = 0;
    std::string name;
    std::uint32_t count = 0;
    std::string ammoName;
    std::uint32_t ammoCount = 0;
    bool isPower = false;
    bool isEquippable = false;
    bool isEquipped = false;
    float damagePhysical = 0.0f;
    float damageEM = 0.0f;
    float damageEnergy = 0.0f;
    std::string iconName;
    std::string iconDirectoryName;
    std::string quickKeyName;
    bool visible = true;
};

// The reset values for slot index `index`.
SlotDetails MakeSlotDetails(std::int32_t index) REQUIRES(stateMutex);

// Fills `details` for the slot; false when no display form was found.
bool ComputeSlotDetails(std::int32_t index, const Game::Form* form, Game::Player* player,
                        Game::InventoryList* inventory, SlotDetails& details) REQUIRES(stateMutex);

// The first inventory position that carries each form (by form id), found in
// one walk for all of them: the menu looks up twelve forms in a list that may
// hold tens of thousands of entries. notCarried where none does.
inline constexpr std::uint32_t notCarried = 0xFFFFFFFF;
void FindCarriedEntries(const Game::Form* const* forms, std::size_t count, Game::InventoryList* inventory,
                        std::uint32_t* positions);
// The same, with the slot's carried position already found.
bool ComputeSlotDetails(std::int32_t index, const Game::Form* form, Game::Player* player,
                        Game::InventoryList* inventory, SlotDetails& details, std::uint32_t carriedPosition)
    REQUIRES(stateMutex);

// Fills `details` for an outfit slot of `count` pieces, each with its
// carried position (as FindCarriedEntries finds them): the details of its
// first carried piece, named "<that piece's name> +N" (N the outfit's other
// pieces), equipped when every carried piece is worn. With no piece carried,
// what a single-item slot whose item (the first piece) is not carried shows.
bool ComputeOutfitDetails(std::int32_t index, const Game::Form* const* pieces, std::size_t count,
                          Game::Player* player, Game::InventoryList* inventory, SlotDetails& details,
                          const std::uint32_t* carriedPositions) REQUIRES(stateMutex);

std::vector<const Game::Form*> GetOwnedPowers(Game::Player* player);
std::string GetStackName(void* extraList);

}  // namespace Velloquin

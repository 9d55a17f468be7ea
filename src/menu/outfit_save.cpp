// Saving an outfit: the equipment the player wears, put into one extra slot
// when its key goes down with the save modifier held (menu/update_pass.cpp).
#include <array>
#include <string>

#include "core/log.h"
#include "core/slots.h"
#include "core/state.h"
#include "items/form_text.h"
#include "items/icons.h"
#include "menu/runtime.h"
#include "persistence/items_file.h"

namespace Velloquin {

namespace {

// What the player wears, in inventory order: equipment entries with stacks
// that the game says are equipped, each form once, outfitPieceLimit at most.
// One walk of the inventory, one IsEquipped per equipment entry.
struct WornEquipment {
    std::array<Game::Form*, outfitPieceLimit> pieces{};
    std::size_t count = 0;
    bool more = false;  // worn equipment beyond the limit was left out
};

bool Listed(const WornEquipment& worn, std::uint32_t id) {
    for (std::size_t n = 0; n < worn.count; ++n)
        if (GetFormID(worn.pieces[n]) == id) return true;
    return false;
}

WornEquipment FindWornEquipment(Game::Player* player, Game::InventoryList* inventory) {
    WornEquipment worn;
    const std::uint32_t entries = Game::InventoryCount(inventory);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const Game::InventoryEntry* entry = Game::InventoryEntryAt(inventory, i);
        if (!entry) break;
        Game::Form* form = Game::EntryForm(entry);
        if (!form || Game::StoredFormType(form) != formTypeEquipment || Game::EntryStackCount(entry) == 0) continue;
        if (Listed(worn, GetFormID(form)) || !Game::IsEquipped(player, form)) continue;
        if (worn.count == outfitPieceLimit) {
            worn.more = true;
            break;
        }
        worn.pieces[worn.count++] = form;
    }
    return worn;
}

void LogSaved(int quickKey, const WornEquipment& worn, bool single) {
    if (!LogActive()) return;
    try {
        std::string pieces;
        for (std::size_t n = 0; n < worn.count; ++n) pieces += (n > 0 ? ", " : "") + LogFormText(worn.pieces[n]);
        if (single)
            LogLine("Outfit saved in slot %d: the player wears one piece of equipment, so the slot holds it alone: %s",
                    quickKey, pieces.c_str());
        else
            LogLine("Outfit saved in slot %d: %u pieces%s: %s", quickKey, static_cast<unsigned>(worn.count),
                    worn.more ? " (the first 12 worn; the rest left out)" : "", pieces.c_str());
    } catch (...) {  // the log never stops the save
    }
}

}  // namespace

bool SaveOutfit(std::size_t slot) {
    if (slot >= quickSlotCount) return false;
    const int quickKey = firstQuickKey + static_cast<int>(slot);
    Game::Player* player = Game::PlayerObject();
    Game::InventoryList* inventory = Game::ReadInventoryList(player);
    if (!inventory) {
        LogLine("Outfit not saved in slot %d: %s; the slot is left as it was", quickKey,
                player ? "the player holds no inventory" : "there is no player");
        return false;
    }
    const WornEquipment worn = FindWornEquipment(player, inventory);
    if (worn.count == 0) {
        LogLine("Outfit not saved in slot %d: the player wears no equipment; the slot is left as it was", quickKey);
        return false;
    }
    SetOutfit(slot, worn.pieces.data(), worn.count);
    // One piece makes a single-item slot, which the one-slot rule covers, as
    // it does when the items file is read again.
    const bool single = !IsOutfitSlot(slot);
    if (single) ClearSingleSlotsHolding(quickItems.at(slot), slot);
    LogSaved(quickKey, worn, single);
    // At once: a game loaded before the favourites menu next closes reads the file.
    FlushQuickItemsToFile();
    return true;
}

}  // namespace Velloquin

// Using the item of an extra slot: equip an inventory item, or make a power
// the active power; for an outfit slot, equip each of its pieces. Activation
// never unequips.
#include <cstdlib>
#include <cstdio>

#include "items/form_text.h"
#include "items/icons.h"
#include "menu/runtime.h"
#include "core/state.h"

namespace Velloquin {

namespace {

void ActivatePower(Game::Player* player, Game::Form* power) {
    Game::Form* current = player ? Game::CurrentPower(player) : nullptr;
    if (current == power) return;  // already the active power
    if (player) Game::EquipSpell(player, power, Game::EquipPosition(2));
    Game::PowerFollowUp(power);
}

// The carried object to equip for a form: the first inventory entry with the
// form's id that has stacks, by its own form and second word.
struct CarriedObject {
    Game::Form* form = nullptr;
    std::uint64_t secondWord = 0;
};

// Equips what an inventory entry holds; false when the instance block could
// not be made.
bool EquipCarried(Game::Player* player, const CarriedObject& object) {
    // The host describes the object in a 16-byte block of two words; the
    // block is handed over with the equip call and not used again here.
    auto* instance = static_cast<std::uint64_t*>(std::calloc(2, sizeof(std::uint64_t)));
    if (!instance) return false;
    Game::MakeObjectInstance(instance, object.form, object.secondWord);
    Game::EquipObject(player, instance);
    return true;
}

// One walk of the inventory for `count` form ids: found[n] is set to the
// first entry with stacks holding ids[n] (wanted[n] only).
void FindCarriedObjects(Game::InventoryList* inventory, const std::uint32_t* ids, const bool* wanted, std::size_t count,
                        CarriedObject* found) {
    std::size_t missing = 0;
    for (std::size_t n = 0; n < count; ++n) missing += wanted[n] ? 1 : 0;
    const std::uint32_t entries = Game::InventoryCount(inventory);
    for (std::uint32_t i = 0; i < entries && missing > 0; ++i) {
        Game::InventoryEntry* entry = Game::InventoryEntryAt(inventory, i);
        if (!entry) return;
        Game::Form* entryForm = Game::EntryForm(entry);
        if (!entryForm || Game::EntryStackCount(entry) == 0) continue;
        const std::uint32_t id = GetFormID(entryForm);
        for (std::size_t n = 0; n < count; ++n) {
            if (!wanted[n] || found[n].form || ids[n] != id) continue;
            found[n] = CarriedObject{entryForm, Game::EntrySecondWord(entry)};
            --missing;
        }
    }
}

void EquipItem(Game::Player* player, Game::Form* item) {
    if (!player || Game::IsEquipped(player, item)) return;
    Game::InventoryList* inventory = Game::ReadInventoryList(player);
    if (!inventory) return;
    const std::uint32_t formId = GetFormID(item);
    const bool wanted = true;
    CarriedObject object;
    FindCarriedObjects(inventory, &formId, &wanted, 1, &object);
    if (object.form) EquipCarried(player, object);
}

}  // namespace

void ActivateQuickItem(Game::Form* form) {
    if (!form) return;
    Game::Player* player = Game::PlayerObject();
    if (Game::StoredFormType(form) == formTypePower) {
        ActivatePower(player, form);
    } else {
        EquipItem(player, form);
    }
}

OutfitUse PutOnOutfit(std::size_t slot) {
    OutfitUse use;
    if (slot >= quickSlotCount || !IsOutfitSlot(slot)) return use;
    const auto& pieces = quickOutfitPieces.at(slot);
    const std::size_t count = quickOutfitSize.at(slot) < outfitPieceLimit ? quickOutfitSize.at(slot) : outfitPieceLimit;
    use.pieces = static_cast<std::uint8_t>(count);
    Game::Player* player = Game::PlayerObject();
    std::uint32_t ids[outfitPieceLimit] = {};
    bool wanted[outfitPieceLimit] = {};
    std::size_t wantedCount = 0;
    for (std::size_t n = 0; n < count; ++n) {
        if (!player || !pieces[n]) {
            ++use.missing;
        } else if (Game::IsEquipped(player, pieces[n])) {
            ++use.worn;
        } else {
            ids[n] = GetFormID(pieces[n]);
            wanted[n] = true;
            ++wantedCount;
        }
    }
    if (wantedCount == 0) return use;
    CarriedObject found[outfitPieceLimit] = {};
    if (Game::InventoryList* inventory = Game::ReadInventoryList(player))
        FindCarriedObjects(inventory, ids, wanted, count, found);
    // In the saved order: the game puts the pieces on as it is handed them.
    for (std::size_t n = 0; n < count; ++n) {
        if (!wanted[n]) continue;
        if (found[n].form && EquipCarried(player, found[n]))
            ++use.equipped;
        else
            ++use.missing;
    }
    return use;
}

std::string OutfitUseText(const OutfitUse& use) {
    char text[160];
    std::snprintf(text, sizeof text, "outfit of %u piece%s: %u put on, %u already worn, %u not carried (skipped)",
                  static_cast<unsigned>(use.pieces), use.pieces == 1 ? "" : "s", static_cast<unsigned>(use.equipped),
                  static_cast<unsigned>(use.worn), static_cast<unsigned>(use.missing));
    return text;
}

}  // namespace Velloquin

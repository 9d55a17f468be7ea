// Using the item of an extra slot: equip an inventory item, or make a power
// the active power. Activation never unequips.
#include <cstdlib>

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

void EquipItem(Game::Player* player, Game::Form* item) {
    if (!player || Game::IsEquipped(player, item)) return;
    Game::InventoryList* inventory = Game::ReadInventoryList(player);
    if (!inventory) return;
    const std::uint32_t formId = GetFormID(item);
    const std::uint32_t count = Game::InventoryCount(inventory);
    for (std::uint32_t i = 0; i < count; ++i) {
        Game::InventoryEntry* entry = Game::InventoryEntryAt(inventory, i);
        if (!entry) return;
        Game::Form* entryForm = Game::EntryForm(entry);
        if (!entryForm || GetFormID(entryForm) != formId || Game::EntryStackCount(entry) == 0) continue;
        // The host describes the object in a 16-byte block of two words; the
        // block is handed over with the equip call and not used again here.
        auto* instance = static_cast<std::uint64_t*>(std::calloc(2, sizeof(std::uint64_t)));
        if (!instance) return;
        Game::MakeObjectInstance(instance, entryForm, Game::EntrySecondWord(entry));
        Game::EquipObject(player, instance);
        return;
    }
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

}  // namespace Velloquin

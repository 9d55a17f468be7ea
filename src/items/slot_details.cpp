// The values of one extra tile of the favourites menu, worked out from the
// slot's form, the player's inventory and powers, keywords and the host's
// damage figures. Missing host data leaves the reset value in place.
#include "items/slot_details.h"

#include <cstring>

#include "config/key_names.h"
#include "items/form_text.h"
#include "items/icons.h"
#include "core/state.h"

namespace Velloquin {

namespace {

constexpr std::uint32_t damageTypePhysical = 0x2E3;
constexpr std::uint32_t damageTypeEM = 0x392;
constexpr std::uint32_t damageTypeEnergy = 0x2EB;

bool IsEquippableType(std::uint8_t type) { return type == formTypeEquipment || type == formTypeWeapon; }

bool IsGrenadeOrMine(const Game::Form* form) REQUIRES(stateMutex) { return HasKeyword(form, grenadeKeyword) || HasKeyword(form, mineKeyword); }

void ApplyIcon(const Game::Form* form, SlotDetails& details) REQUIRES(stateMutex) {
    IconCategory category;
    if (GetIconCategory(form, &category)) {
        details.iconName = std::move(category.iconName);
        details.iconDirectoryName = std::move(category.directoryName);
    }
}

// The damage figures the host reports for the inventory entry at `position`,
// provided it still holds a form of type `type`.
void ApplyDamage(Game::InventoryList* inventory, std::uint32_t position, std::uint8_t type, Game::Player* player,
                 SlotDetails& details) {
    if (!player) return;
    const Game::InventoryEntry* entry = Game::InventoryEntryAt(inventory, position);
    if (!entry) return;
    const Game::Form* form = Game::EntryForm(entry);
    if (!form || Game::FormType(form) != type) return;

    // The pairs live in memory the host allocates and keeps.
    alignas(8) unsigned char list[Game::Layout::damageListSize] = {};
    Game::ReadDamageFigures(type == formTypeEquipment ? GameIndex::equipmentDamage : GameIndex::weaponDamage, list,
                            player, entry);
    const std::uint32_t count = Game::DamagePairCount(list);
    for (std::uint32_t i = 0; i < count; ++i) {
        const Game::Form* damageType = Game::DamagePairType(list, i);
        if (!damageType) continue;
        const float value = Game::DamagePairValue(list, i);
        switch (Game::FormId(damageType)) {
            case damageTypePhysical: details.damagePhysical = value; break;
            case damageTypeEM: details.damageEM = value; break;
            case damageTypeEnergy: details.damageEnergy = value; break;
            default: break;
        }
    }
}

// Fills name, count, damage and icon from the carried entry at `position`.
void FillFromEntry(Game::Player* player, Game::InventoryList* inventory, std::uint32_t position,
                   SlotDetails& details) REQUIRES(stateMutex) {
    const Game::InventoryEntry* entry = Game::InventoryEntryAt(inventory, position);
    const Game::Form* form = Game::EntryForm(entry);
    const std::uint8_t type = Game::FormType(form);
    if (IsEquippableType(type)) {
        const std::uint32_t stacks = Game::EntryStackCount(entry);
        for (std::uint32_t stack = 0; stack < stacks && details.name.empty(); ++stack) {
            if (void* extraList = Game::StackExtraList(entry, stack)) details.name = GetStackName(extraList);
        }
    }
    if (details.name.empty()) details.name = GetFormName(form);

    if (player && (type == formTypeConsumable || (type == formTypeWeapon && IsGrenadeOrMine(form)))) {
        details.count = Game::ItemCount(player, form);
    }
    if (IsEquippableType(type)) ApplyDamage(inventory, position, type, player, details);
    ApplyIcon(form, details);
    details.displayForm = form;
}

}  // namespace

SlotDetails MakeSlotDetails(std::int32_t index) {
    SlotDetails details;
    details.arrayIndex = index;
    details.visible = index >= 0 && static_cast<std::size_t>(index) < quickSlotCount
                          ? quickKeyVisible.at(static_cast<std::size_t>(index))
                          : true;
    return details;
}

std::vector<const Game::Form*> GetOwnedPowers(Game::Player* player) {
    std::vector<const Game::Form*> owned;
    const void* handler = Game::DataHandler();
    if (!player || !handler) return owned;
    const std::uint32_t count = Game::HandlerPowerCount(handler);
    for (std::uint32_t i = 0; i < count; ++i) {
        const Game::Form* power = Game::HandlerPower(handler, i);
        if (power && Game::PlayerHasPower(player, power)) owned.push_back(power);
    }
    return owned;
}

std::string GetStackName(void* extraList) {
    if (!extraList) return {};
    void* extra = Game::FindExtraData(extraList, Game::Layout::extraTypeCustomName);
    if (!extra) return {};
    const void* entry = Game::ReadField<const void*>(extra, Game::Layout::extraTextEntry);
    if (!entry) return {};
    const std::uint32_t length = Game::PooledLength(entry);
    const char* text = Game::PooledText(entry);  // null for a reference entry
    if (length == 0 || !text) return {};
    const void* end = std::memchr(text, 0, length);
    return std::string(text, end ? static_cast<const char*>(end) - text : length);
}

void FindCarriedEntries(const Game::Form* const* forms, std::size_t count, Game::InventoryList* inventory,
                        std::uint32_t* positions) {
    std::size_t missing = 0;
    for (std::size_t i = 0; i < count; ++i) {
        positions[i] = notCarried;
        if (forms[i]) ++missing;
    }
    if (!inventory) return;
    const std::uint32_t entries = Game::InventoryCount(inventory);
    for (std::uint32_t position = 0; position < entries && missing > 0; ++position) {
        const Game::InventoryEntry* entry = Game::InventoryEntryAt(inventory, position);
        if (!entry) return;
        const Game::Form* carried = Game::EntryForm(entry);
        if (!carried) continue;
        const std::uint32_t id = Game::FormId(carried);
        for (std::size_t i = 0; i < count; ++i) {
            if (positions[i] == notCarried && forms[i] && Game::FormId(forms[i]) == id) {
                positions[i] = position;
                --missing;
            }
        }
    }
}

bool ComputeSlotDetails(std::int32_t index, const Game::Form* form, Game::Player* player,
                        Game::InventoryList* inventory, SlotDetails& details) {
    std::uint32_t position = notCarried;
    FindCarriedEntries(&form, 1, inventory, &position);
    return ComputeSlotDetails(index, form, player, inventory, details, position);
}

bool ComputeSlotDetails(std::int32_t index, const Game::Form* form, Game::Player* player,
                        Game::InventoryList* inventory, SlotDetails& details, std::uint32_t carriedPosition) {
    details = MakeSlotDetails(index);
    if (!form) return false;

    if (carriedPosition != notCarried && inventory) {
        FillFromEntry(player, inventory, carriedPosition, details);
    } else {
        details = MakeSlotDetails(index);
        const std::uint32_t wanted = Game::FormId(form);
        for (const Game::Form* power : GetOwnedPowers(player)) {
            if (Game::FormId(power) != wanted) continue;
            details.name = GetFormName(power);
            details.isPower = true;
            details.isEquipped = true;
            ApplyIcon(power, details);
            details.displayForm = power;
            break;
        }
    }
    const Game::Form* display = details.displayForm;
    if (!display) {
        details = MakeSlotDetails(index);
        return false;
    }

    const std::uint8_t type = Game::FormType(display);
    if (!details.isPower) {
        details.isEquipped = player && Game::IsEquipped(player, display);
        details.isEquippable = IsEquippableType(type);
    }
    if (type == formTypeWeapon && !IsGrenadeOrMine(display)) {
        if (const Game::Form* ammunition = Game::WeaponAmmunition(display)) {
            if (player) details.ammoCount = Game::ItemCount(player, ammunition);
            details.ammoName = GetFormName(ammunition);
        }
    } else {
        details.ammoCount = 0;
        details.ammoName.clear();
    }
    if (index >= 0 && static_cast<std::size_t>(index) < quickSlotCount) {
        const std::uint32_t code = quickKeyCodes.at(static_cast<std::size_t>(index));
        if (code != 0) details.quickKeyName = GetQuickKeyName(code, quickKeyModifiers.at(static_cast<std::size_t>(index)));
    }
    return true;
}

bool ComputeOutfitDetails(std::int32_t index, const Game::Form* const* pieces, std::size_t count,
                          Game::Player* player, Game::InventoryList* inventory, SlotDetails& details,
                          const std::uint32_t* carriedPositions) {
    std::size_t first = 0;
    while (first < count && carriedPositions[first] == notCarried) ++first;
    if (first == count) return ComputeSlotDetails(index, count > 0 ? pieces[0] : nullptr, player, inventory, details, notCarried);
    if (!ComputeSlotDetails(index, pieces[first], player, inventory, details, carriedPositions[first])) return false;
    details.name += " +" + std::to_string(count - 1);
    for (std::size_t n = first + 1; n < count && details.isEquipped; ++n)
        if (carriedPositions[n] != notCarried && pieces[n] && !(player && Game::IsEquipped(player, pieces[n])))
            details.isEquipped = false;
    return true;
}

}  // namespace Velloquin

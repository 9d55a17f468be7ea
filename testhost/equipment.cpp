#include "equipment.h"

#include <cstddef>
#include <cstdlib>
#include <memory>

#include "base/text.h"
#include "image.h"
#include "player.h"
#include "game/game_index.h"
#include "recorder.h"

namespace TestHost {

namespace GI = Velloquin::GameIndex;

static_assert(offsetof(FavoritesManager, assigning) == 0x420 && offsetof(FavoritesManager, nativeSlots) == 0x438);

namespace {

struct EquipManager {
    std::uint64_t unused[4];
};

struct EquipPositionObject {
    std::uint8_t which;
};

// The object instance the host fills: the entry's form and second word.
struct ObjectInstance {
    Form* form;
    std::uint64_t secondWord;
};
static_assert(sizeof(ObjectInstance) == 16);

struct EquipmentWorld {
    EquipManager manager{};
    EquipPositionObject positions[4] = {{0}, {1}, {2}, {3}};
    Form* currentPower = nullptr;
    bool equipMarksEquipped = true;
    std::unique_ptr<FavoritesManager> favorites;
};

EquipmentWorld& World() {
    static EquipmentWorld world;
    return world;
}

Form* HostCurrentPower(void* a, void* b, Player* player, std::uint32_t position) {
    if (a || b || position != 2 || player != &ThePlayer()) Record("current power asked with unexpected arguments");
    return World().currentPower;
}

void* HostEquipPosition(std::uint8_t which) {
    return which < 4 ? &World().positions[which] : nullptr;
}

void HostEquipSpell(EquipManager* manager, Player* player, Form* power, EquipPositionObject* position) {
    if (manager != &World().manager || player != &ThePlayer() || !position || position->which != 2)
        Record("equip power with unexpected arguments");
    Record("equip power " + Velloquin::UpperHex8(power ? power->formId : 0) + " " + (power ? power->name : ""));
    World().currentPower = power;
}

void* HostPowerFollowUp(Form* power) {
    Record("power follow-up " + Velloquin::UpperHex8(power ? power->formId : 0));
    return nullptr;
}

void* HostObjectInstance(ObjectInstance* block, Form* form, std::uint64_t secondWord) {
    if (block->form || block->secondWord) Record("object instance block was not zeroed");
    block->form = form;
    block->secondWord = secondWord;
    return block;
}

void HostEquipObject(EquipManager* manager, Player* player, ObjectInstance* instance, void* slot,
                     std::uint32_t count, void* extra, bool queue, bool force, bool silent) {
    if (manager != &World().manager || player != &ThePlayer() || slot || count != 1 || extra || !queue || force ||
        silent)
        Record("equip object with unexpected arguments");
    Form* form = instance ? instance->form : nullptr;
    Record("equip object " + Velloquin::UpperHex8(form ? form->formId : 0) + " " + (form ? form->name : "") + " (second word " +
           std::to_string(instance ? instance->secondWord : 0) + ")");
    // A consumable is used, not worn: one of it is gone and it is never equipped.
    if (form && form->type == typeConsumable) {
        if (UseUpOne(form)) Record("used up one " + Velloquin::UpperHex8(form->formId) + " " + form->name);
    } else if (form && World().equipMarksEquipped) {
        SetEquipped(form, true);
    }
    // The host takes the block over.
    std::free(instance);
}

void ResetEquipment() {
    auto& world = World();
    world.currentPower = nullptr;
    world.equipMarksEquipped = true;
    world.favorites = std::make_unique<FavoritesManager>();
    SetGameData<void*>(GI::equipManager, &world.manager);
    SetGameData<void*>(GI::favoritesManager, world.favorites.get());
}

const bool registered = RegisterDefaultFunction(GI::currentPower, &HostCurrentPower) &&
                        RegisterDefaultFunction(GI::equipPosition, &HostEquipPosition) &&
                        RegisterDefaultFunction(GI::EquipSpell, &HostEquipSpell) &&
                        RegisterDefaultFunction(GI::powerFollowUp, &HostPowerFollowUp) &&
                        RegisterDefaultFunction(GI::objectInstance, &HostObjectInstance) &&
                        RegisterDefaultFunction(GI::EquipObject, &HostEquipObject) &&
                        RegisterResetHook(&ResetEquipment);

}  // namespace

void SetCurrentPower(Form* power) {
    (void)registered;
    World().currentPower = power;
}
Form* CurrentPower() { return World().currentPower; }
void SetEquipMarksEquipped(bool on) { World().equipMarksEquipped = on; }

void SetFavoritesManagerPresent(bool present) {
    SetGameData<void*>(GI::favoritesManager, present ? &Favorites() : nullptr);
}

FavoritesManager& Favorites() {
    if (!World().favorites) ResetEquipment();
    return *World().favorites;
}
void SetNativeSlot(int slot, Form* form) { Favorites().nativeSlots[slot] = form; }
void SetItemBeingAssigned(Form* form) { Favorites().assigning = form; }

}  // namespace TestHost

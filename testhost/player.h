// The player of the stand-in game: the object published at the game's player
// pointer, its inventory (40-byte entries with stacks and extra-data lists),
// the inventory lock, item counts, equip state, powers and damage figures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "forms.h"

namespace TestHost {

// Extra data of a stack; type 0x96 carries the custom name at 0x10.
struct ExtraData {
    void* table = nullptr;
    std::uint32_t type = 0;
    std::uint32_t pad = 0;
    PooledString* text = nullptr;  // 0x10
};
static_assert(offsetof(ExtraData, text) == 0x10);

// A stack's extra-data list: opaque to the plug-in, searched by the host.
struct ExtraList {
    std::vector<ExtraData*> items;
};

struct InventoryStack {
    void* unused = nullptr;
    ExtraList* extraList = nullptr;  // 0x08
    std::uint64_t unused2[2] = {};
};
static_assert(sizeof(InventoryStack) == 0x20 && offsetof(InventoryStack, extraList) == 0x08);

struct InventoryEntry {
    Form* form = nullptr;               // 0x00
    std::uint64_t secondWord = 0;       // 0x08
    std::uint32_t stackCount = 0;       // 0x10
    std::uint32_t pad = 0;
    InventoryStack* stacks = nullptr;   // 0x18
    std::uint64_t unused = 0;
};
static_assert(sizeof(InventoryEntry) == 40 && offsetof(InventoryEntry, stackCount) == 0x10 &&
              offsetof(InventoryEntry, stacks) == 0x18);

struct InventoryList {
    InventoryEntry* entries = nullptr;  // 0x00
    std::uint64_t unused = 0;
    std::uint32_t count = 0;            // 0x10
};
static_assert(offsetof(InventoryList, count) == 0x10);

struct DamagePair {
    Form* damageType = nullptr;
    float value = 0.0f;
    std::uint32_t pad = 0;
};
static_assert(sizeof(DamagePair) == 0x10 && offsetof(DamagePair, value) == 8);

// The damage list the host fills for the plug-in.
struct DamageList {
    DamagePair* pairs = nullptr;  // 0x00
    std::uint64_t unused = 0;
    std::uint32_t count = 0;      // 0x10
};
static_assert(sizeof(DamageList) == 0x18 && offsetof(DamageList, count) == 0x10);

struct Player {
    std::uint8_t unused[0xA0] = {};
    InventoryList* inventory = nullptr;  // 0xA0
    std::uint64_t inventoryLock = 0;     // 0xA8
    std::uint8_t damageInterface[0x10] = {};  // 0xB0, handed to the damage functions
    std::uint8_t unused2[0x100] = {};
};
static_assert(offsetof(Player, inventory) == 0xA0 && offsetof(Player, inventoryLock) == 0xA8 &&
              offsetof(Player, damageInterface) == 0xB0);

// The player published at the game's player pointer (fresh at every reset).
Player& ThePlayer();
// Publishes no player at all (the pointer reads null) or the player again.
void SetPlayerPresent(bool present);
// The inventory list pointer the player holds: null makes the list absent.
void SetInventoryPresent(bool present);

// Adds an inventory entry for the form with `count` items in `stacks` stacks
// (each stack with an empty extra-data list); returns its position.
std::size_t AddItem(Form* form, std::uint32_t count = 1, std::uint32_t stacks = 1);
// Gives stack `stack` of the entry at `position` a custom name (reference:
// the name entry has no inline text). A stack without extra list gets one.
void SetStackName(std::size_t position, std::uint32_t stack, const std::string& name, bool reference = false);
// Removes the extra-data list of a stack (the plug-in sees null).
void ClearStackExtraList(std::size_t position, std::uint32_t stack);
InventoryEntry& EntryAt(std::size_t position);

// The host's item count: the sum over the entries holding the form, unless set.
void SetItemCount(Form* form, std::uint32_t count);
void SetEquipped(Form* form, bool equipped);
// How often the plug-in asked IsEquipped since the last reset.
std::uint64_t IsEquippedQuestions();
// The game uses one item of the form up: the first entry holding any loses one,
// and its stacks when it was the last (a count set with SetItemCount drops by
// one too). False when none is carried.
bool UseUpOne(Form* form);
// The player drops every item of the form: its entries leave the inventory
// list and it is no longer worn. False when none was there.
bool DropAll(Form* form);
// The power test answers exactly 1.0 for owned powers (`answer` for tests of odd values).
void GivePower(Form* power, float answer = 1.0f);
// Damage figures the host reports for an entry holding the form.
void SetDamage(Form* form, std::vector<std::pair<Form*, float>> pairs);

// Inventory lock pairing: the depth now, and every misuse seen (unlock
// without lock, lock taken twice, a foreign lock word).
int InventoryLockDepth();
const std::vector<std::string>& InventoryLockErrors();

}  // namespace TestHost

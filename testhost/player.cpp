#include "player.h"

#include <deque>
#include <map>
#include <memory>
#include <set>

#include "base/text.h"
#include "image.h"
#include "game/game_index.h"
#include "recorder.h"

namespace TestHost {

namespace GI = Velloquin::GameIndex;

namespace {

struct PlayerWorld {
    std::unique_ptr<Player> player;
    bool present = true;
    InventoryList list;
    std::vector<InventoryEntry> entries;
    std::vector<std::uint32_t> entryCounts;
    std::deque<std::vector<InventoryStack>> stacks;
    std::deque<ExtraList> extraLists;
    std::deque<ExtraData> extras;
    std::map<const Form*, std::uint32_t> countOverride;
    std::set<const Form*> equipped;
    std::map<const Form*, float> powers;
    std::map<const Form*, std::vector<std::pair<Form*, float>>> damage;
    // Pair arrays handed to the plug-in: the host's memory, freed at reset.
    std::deque<std::vector<DamagePair>> damageMemory;
    int lockDepth = 0;
    std::vector<std::string> lockErrors;
    std::uint64_t equippedQuestions = 0;
};

PlayerWorld& World() {
    static PlayerWorld world;
    return world;
}

void Publish() {
    auto& world = World();
    world.list.entries = world.entries.empty() ? nullptr : world.entries.data();
    world.list.count = static_cast<std::uint32_t>(world.entries.size());
    SetGameData<Player*>(GI::player, world.present ? world.player.get() : nullptr);
}

bool IsThePlayer(const void* player, const char* function) {
    if (player == World().player.get()) return true;
    Record(std::string(function) + " called with a foreign player");
    return false;
}

// --- game functions
void HostInventoryLock(void* lockWord) {
    auto& world = World();
    Record("InventoryLock");
    if (lockWord != &world.player->inventoryLock) world.lockErrors.push_back("lock of a foreign lock word");
    if (world.lockDepth > 0) world.lockErrors.push_back("lock taken while held");
    ++world.lockDepth;
}

void HostInventoryUnlock(void* lockWord) {
    auto& world = World();
    Record("InventoryUnlock");
    if (lockWord != &world.player->inventoryLock) world.lockErrors.push_back("unlock of a foreign lock word");
    if (world.lockDepth == 0) {
        world.lockErrors.push_back("unlock without lock");
        return;
    }
    --world.lockDepth;
}

ExtraData* HostFindExtraData(ExtraList* list, std::uint32_t type) {
    if (!list) return nullptr;
    for (ExtraData* extra : list->items)
        if (extra && extra->type == type) return extra;
    return nullptr;
}

std::uint32_t CountOf(const Form* form) {
    auto& world = World();
    if (auto found = world.countOverride.find(form); found != world.countOverride.end()) return found->second;
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < world.entries.size(); ++i)
        if (world.entries[i].form == form) count += world.entryCounts[i];
    return count;
}

bool HostItemCount(Player* player, std::uint32_t* out, const Form* form, bool) {
    if (!IsThePlayer(player, "ItemCount") || !out) return false;
    *out = CountOf(form);
    return true;
}

bool HostIsEquipped(Player* player, const Form* form) {
    if (!IsThePlayer(player, "IsEquipped")) return false;
    ++World().equippedQuestions;
    return World().equipped.count(form) != 0;
}

void HostPowerTest(void** record, const Form* power, std::uint64_t, float* out) {
    if (!record || !IsThePlayer(record[0], "PowerTest") || !out) return;
    auto& powers = World().powers;
    auto found = powers.find(power);
    *out = found == powers.end() ? 0.0f : found->second;
}

void FillDamage(const char* function, DamageList* out, void* damageInterface, const InventoryEntry* entry) {
    auto& world = World();
    Record(std::string(function) + " " + Velloquin::UpperHex8(entry && entry->form ? entry->form->formId : 0));
    if (damageInterface != world.player->damageInterface) Record(std::string(function) + " called with a foreign interface");
    if (!out || !entry) return;
    auto found = world.damage.find(entry->form);
    if (found == world.damage.end()) {
        *out = DamageList{};
        return;
    }
    auto& memory = world.damageMemory.emplace_back();
    for (const auto& [type, value] : found->second) memory.push_back(DamagePair{type, value, 0});
    out->pairs = memory.data();
    out->count = static_cast<std::uint32_t>(memory.size());
}

void HostEquipmentDamage(DamageList* out, void* damageInterface, const InventoryEntry* entry) {
    FillDamage("EquipmentDamage", out, damageInterface, entry);
}

void HostWeaponDamage(DamageList* out, void* damageInterface, const InventoryEntry* entry) {
    FillDamage("WeaponDamage", out, damageInterface, entry);
}

void ResetPlayer() {
    auto& world = World();
    world = PlayerWorld{};
    world.player = std::make_unique<Player>();
    world.player->inventory = &world.list;
    Publish();
}

const bool registered = RegisterDefaultFunction(GI::inventoryLock, &HostInventoryLock) &&
                        RegisterDefaultFunction(GI::inventoryUnlock, &HostInventoryUnlock) &&
                        RegisterDefaultFunction(GI::stackCustomName, &HostFindExtraData) &&
                        RegisterDefaultFunction(GI::itemCount, &HostItemCount) &&
                        RegisterDefaultFunction(GI::IsEquipped, &HostIsEquipped) &&
                        RegisterDefaultFunction(GI::powerTest, &HostPowerTest) &&
                        RegisterDefaultFunction(GI::equipmentDamage, &HostEquipmentDamage) &&
                        RegisterDefaultFunction(GI::weaponDamage, &HostWeaponDamage) &&
                        RegisterResetHook(&ResetPlayer);

}  // namespace

Player& ThePlayer() {
    (void)registered;
    if (!World().player) ResetPlayer();
    return *World().player;
}

void SetPlayerPresent(bool present) {
    ThePlayer();
    World().present = present;
    Publish();
}

void SetInventoryPresent(bool present) {
    ThePlayer().inventory = present ? &World().list : nullptr;
}

std::size_t AddItem(Form* form, std::uint32_t count, std::uint32_t stacks) {
    ThePlayer();
    auto& world = World();
    auto& stackArray = world.stacks.emplace_back(stacks);
    for (auto& stack : stackArray) stack.extraList = &world.extraLists.emplace_back();
    InventoryEntry entry;
    entry.form = form;
    entry.stackCount = stacks;
    entry.stacks = stackArray.empty() ? nullptr : stackArray.data();
    world.entries.push_back(entry);
    world.entryCounts.push_back(count);
    Publish();
    return world.entries.size() - 1;
}

InventoryEntry& EntryAt(std::size_t position) { return World().entries.at(position); }

bool UseUpOne(Form* form) {
    auto& world = World();
    for (std::size_t i = 0; i < world.entries.size(); ++i) {
        if (world.entries[i].form != form || world.entryCounts[i] == 0) continue;
        // The last one gone, the entry holds no stack any more.
        if (--world.entryCounts[i] == 0) world.entries[i].stackCount = 0;
        if (auto found = world.countOverride.find(form); found != world.countOverride.end() && found->second > 0)
            --found->second;
        return true;
    }
    return false;
}

bool DropAll(Form* form) {
    auto& world = World();
    bool dropped = false;
    for (std::size_t i = world.entries.size(); i-- > 0;) {
        if (world.entries[i].form != form) continue;
        // The game takes the entry out of the list (the stack arrays keep their places in memory).
        world.entries.erase(world.entries.begin() + static_cast<std::ptrdiff_t>(i));
        world.entryCounts.erase(world.entryCounts.begin() + static_cast<std::ptrdiff_t>(i));
        world.stacks.erase(world.stacks.begin() + static_cast<std::ptrdiff_t>(i));
        dropped = true;
    }
    if (auto found = world.countOverride.find(form); found != world.countOverride.end()) found->second = 0;
    // What the player no longer carries is no longer worn.
    world.equipped.erase(form);
    Publish();
    return dropped;
}

void SetStackName(std::size_t position, std::uint32_t stack, const std::string& name, bool reference) {
    auto& world = World();
    InventoryStack& target = world.stacks.at(position).at(stack);
    if (!target.extraList) target.extraList = &world.extraLists.emplace_back();
    ExtraData& extra = world.extras.emplace_back();
    extra.type = 0x96;
    extra.text = MakePooledString(name, reference);
    target.extraList->items.push_back(&extra);
}

void ClearStackExtraList(std::size_t position, std::uint32_t stack) {
    World().stacks.at(position).at(stack).extraList = nullptr;
}

void SetItemCount(Form* form, std::uint32_t count) { World().countOverride[form] = count; }

void SetEquipped(Form* form, bool equipped) {
    if (equipped)
        World().equipped.insert(form);
    else
        World().equipped.erase(form);
}

void GivePower(Form* power, float answer) { World().powers[power] = answer; }

void SetDamage(Form* form, std::vector<std::pair<Form*, float>> pairs) { World().damage[form] = std::move(pairs); }

std::uint64_t IsEquippedQuestions() { return World().equippedQuestions; }

int InventoryLockDepth() { return World().lockDepth; }

const std::vector<std::string>& InventoryLockErrors() { return World().lockErrors; }

}  // namespace TestHost

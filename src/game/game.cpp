// Host operations that take more than one step.
#include "game/game.h"

namespace Velloquin::Game {

extern std::uintptr_t hostStringMakeAddress;
extern std::uintptr_t hostStringReleaseAddress;
extern std::uintptr_t lookupFormByIdAddress;

Form* LookupFormByID(std::uint32_t formId) {
    return reinterpret_cast<Form* (*)(std::uint32_t)>(lookupFormByIdAddress)(formId);
}

void MakeHostString(HostString& out, const char* text) {
    reinterpret_cast<void* (*)(HostString*, const char*, std::uint32_t)>(hostStringMakeAddress)(&out, text, 0);
}

void ReleaseHostString(HostString& handle) {
    if (handle.handle) reinterpret_cast<void (*)(HostString*)>(hostStringReleaseAddress)(&handle);
}

bool IsMenuOpen(const char* menuName) {
    void* ui = UiObject();
    if (!ui) return false;
    HostString name;
    MakeHostString(name, menuName);
    const bool open = Function<std::uint8_t(void*, HostString*)>(GameIndex::IsMenuOpen)(ui, &name) != 0;
    ReleaseHostString(name);
    return open;
}

void PostCloseMenu(const char* menuName) {
    HostString name;
    MakeHostString(name, menuName);
    Function<void(void*, HostString*, std::uint32_t)>(GameIndex::PostMenuMessage)(UiMessageQueue(), &name, 2);
    ReleaseHostString(name);
}

InventoryList* ReadInventoryList(Player* player) {
    if (!player) return nullptr;
    void* lockWord = FieldAddress<void>(player, Layout::playerInventoryLock);
    Function<void(void*)>(GameIndex::inventoryLock)(lockWord);
    auto* list = ReadField<InventoryList*>(player, Layout::playerInventory);
    Function<void(void*)>(GameIndex::inventoryUnlock)(lockWord);
    return list;
}

}  // namespace Velloquin::Game

// The player's choice in the favourites menu: use a slot in free play, or put
// the item being assigned into a slot, keeping every item in one single-item
// slot at most (outfit slots share their pieces freely).
#include "items/movie.h"
#include "menu/runtime.h"
#include "core/log.h"
#include "core/slots.h"
#include "core/state.h"
#include "items/form_text.h"

namespace Velloquin {

namespace {

constexpr int nativeSlotCount = 10;

Game::Form* NativeSlot(int index) {
    void* manager = Game::ReadGame<void*>(GameIndex::favoritesManager);
    if (!manager) return nullptr;
    return Game::ReadField<Game::Form*>(manager, Game::Layout::favoritesNativeSlots + 8 * index);
}

Game::Form* ItemBeingAssigned() {
    void* manager = Game::ReadGame<void*>(GameIndex::favoritesManager);
    return manager ? Game::ReadField<Game::Form*>(manager, Game::Layout::favoritesAssigning) : nullptr;
}

// The choice whose outfit use the log told last: the opening of the
// favourites menu (its open time) and the number chosen. A kept selection is
// applied on every pass and logged once.
std::int64_t loggedChoiceOpenTime GUARDED_BY(stateMutex) = 0;
std::int32_t loggedChoice GUARDED_BY(stateMutex) = -1;

void UseOutfitByChoice(std::int32_t k, std::size_t slot) REQUIRES(stateMutex) {
    const OutfitUse use = PutOnOutfit(slot);
    if (loggedChoice == k && loggedChoiceOpenTime == favoritesMenuOpenTime) return;
    loggedChoice = k;
    loggedChoiceOpenTime = favoritesMenuOpenTime;
    if (!LogActive()) return;
    try {
        LogLine("Slot %d chosen in the favourites menu: %s", k, OutfitUseText(use).c_str());
    } catch (...) {  // the log never stops the choice
    }
}

}  // namespace

void ProcessMenuSelection() {
    std::int32_t k = -1;
    if (!GetMenuInt("FavoritesMenu", "root1.Menu_mc.iLastSelectedQuickKey", &k, openFavoritesMenu)) return;
    if (k < 0 || k > 23) return;
    if (k != loggedChoice) loggedChoice = -1;  // another choice came between: the next one is logged again
    if (k < firstQuickKey) {
        if (!Game::MenuModeContext()) return;
        if (k >= nativeSlotCount) return;
        Game::Form* native = NativeSlot(k);
        if (!native) return;
        ClearSingleSlotsHolding(native);
    }
    const int j = k - firstQuickKey;
    if (!Game::MenuModeContext()) {
        if (j < 0 || j >= static_cast<int>(quickSlotCount) || !quickItems.at(j)) return;
        if (IsOutfitSlot(static_cast<std::size_t>(j)))
            UseOutfitByChoice(k, static_cast<std::size_t>(j));
        else
            ActivateQuickItem(quickItems.at(j));
        return;
    }
    if (!Game::IsMenuOpen("InventoryMenu") && !Game::IsMenuOpen("PowersMenu")) return;
    Game::Form* item = ItemBeingAssigned();
    if (!item) return;
    if (j < 0) {
        ClearSingleSlotsHolding(item);
        return;
    }
    // The chosen slot first, then the item's old place: a move leaves only the new slot holding it. An outfit
    // in the chosen slot becomes a single-item slot; outfits elsewhere keep the item.
    if ((quickItems.at(j) != item || IsOutfitSlot(j)) && LogActive()) {
        try {
            LogLine("Slot %d assigned: %s", k, LogFormText(item).c_str());
        } catch (...) {  // the log never stops the choice
        }
    }
    MakeSingleItemSlot(j, item);
    ClearSingleSlotsHolding(item, static_cast<std::size_t>(j));
}

}  // namespace Velloquin

// Filling the favourites menu's movie: the twelve extra entries, padding to
// 24 entries, then the player's choice.
#include <algorithm>

#include "items/movie.h"
#include "items/slot_details.h"
#include "menu/runtime.h"
#include "core/error_report.h"
#include "core/slots.h"
#include "core/log.h"
#include "core/state.h"

namespace Velloquin {

namespace {

constexpr const char* menuName = "FavoritesMenu";
constexpr std::uint32_t paddedLength = 24;
constexpr int paddingIterations = 100;

enum class SlotOutcome { Next, EndLoop, PassFailed };

struct Pusher {
    Game::Menu* menu;
    bool String(const char* path, const std::string& value) { return SetMenuString(menuName, path, value, menu); }
    bool UInt(const char* path, std::uint32_t value) { return SetMenuUInt(menuName, path, value, menu); }
    bool Int(const char* path, std::int32_t value) { return SetMenuInt(menuName, path, value, menu); }
    bool Bool(const char* path, bool value) { return SetMenuBool(menuName, path, value, menu); }
    bool Number(const char* path, float value) { return SetMenuNumber(menuName, path, value, menu); }
    bool Construct() { return InvokeMenuFunction(menuName, "root1.Menu_mc.ConstructItem", menu); }
};

SlotOutcome PushEmptySlot(Pusher& push, std::int32_t index, bool visible) {
    if (!push.String("root1.Menu_mc.ConstructItemIconDirectoryName", "")) return SlotOutcome::EndLoop;
    if (!push.Int("root1.Menu_mc.ConstructItemArrayIndex", index)) return SlotOutcome::Next;
    if (!push.Bool("root1.Menu_mc.ConstructItemVisible", visible)) return SlotOutcome::Next;
    return push.Construct() ? SlotOutcome::Next : SlotOutcome::PassFailed;
}

SlotOutcome PushFilledSlot(Pusher& push, const SlotDetails& d) {
    const bool pushed =
        push.String("root1.Menu_mc.ConstructItemName", d.name) &&
        push.UInt("root1.Menu_mc.ConstructItemCount", d.count) &&
        push.Bool("root1.Menu_mc.ConstructItemIsPower", d.isPower) &&
        push.String("root1.Menu_mc.ConstructItemAmmoName", d.ammoName) &&
        push.UInt("root1.Menu_mc.ConstructItemAmmoCount", d.ammoCount) &&
        push.Bool("root1.Menu_mc.ConstructItemIsEquippable", d.isEquippable) &&
        push.Bool("root1.Menu_mc.ConstructItemIsEquipped", d.isEquipped) &&
        (!(d.damagePhysical > 0.0f) || push.Number("root1.Menu_mc.ConstructItemDamagePhysical", d.damagePhysical)) &&
        (!(d.damageEM > 0.0f) || push.Number("root1.Menu_mc.ConstructItemDamageEM", d.damageEM)) &&
        (!(d.damageEnergy > 0.0f) || push.Number("root1.Menu_mc.ConstructItemDamageEnergy", d.damageEnergy)) &&
        push.String("root1.Menu_mc.ConstructItemQuickKeyName", d.quickKeyName) &&
        push.String("root1.Menu_mc.ConstructItemIconName", d.iconName) &&
        push.String("root1.Menu_mc.ConstructItemIconDirectoryName", d.iconDirectoryName) &&
        push.Int("root1.Menu_mc.ConstructItemArrayIndex", d.arrayIndex) &&
        push.Bool("root1.Menu_mc.ConstructItemVisible", d.visible);
    if (!pushed) return SlotOutcome::Next;
    return push.Construct() ? SlotOutcome::Next : SlotOutcome::PassFailed;
}

// Pushes the twelve slots; false when a ConstructItem call failed.
bool PushSlots(Pusher& push, Game::Player* player, Game::InventoryList* inventory) REQUIRES(stateMutex) {
    // Every slot's forms, looked up in one walk: a single item, or each piece
    // of an outfit. Slot i's forms start at first[i] and number size[i].
    const Game::Form* forms[quickSlotCount * outfitPieceLimit];
    std::size_t first[quickSlotCount];
    std::size_t size[quickSlotCount];
    std::size_t formCount = 0;
    for (std::size_t i = 0; i < quickSlotCount; ++i) {
        first[i] = formCount;
        Game::Form* const* pieces = SlotPieces(i, size[i]);
        size[i] = std::min(size[i], outfitPieceLimit);
        for (std::size_t n = 0; n < size[i]; ++n) forms[formCount++] = pieces[n];
        if (size[i] == 0) forms[formCount++] = nullptr;  // an empty slot keeps its place
    }
    std::uint32_t carriedAt[quickSlotCount * outfitPieceLimit];
    FindCarriedEntries(forms, formCount, inventory, carriedAt);
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(quickSlotCount); ++i) {
        SlotDetails details = MakeSlotDetails(i);
        details.visible = quickKeyVisible.at(i);
        const Game::Form* item = quickItems.at(i);
        const std::size_t at = first[i];
        const bool filled = item && (IsOutfitSlot(static_cast<std::size_t>(i))
                                         ? ComputeOutfitDetails(i, &forms[at], size[i], player, inventory, details,
                                                                &carriedAt[at])
                                         : ComputeSlotDetails(i, item, player, inventory, details, carriedAt[at]));
        SlotOutcome outcome;
        if (!filled) {
            details = MakeSlotDetails(i);
            details.visible = quickKeyVisible.at(i);
            details.name = "Empty Slot";
            outcome = PushEmptySlot(push, i, details.visible);
        } else {
            outcome = PushFilledSlot(push, details);
        }
        if (outcome == SlotOutcome::EndLoop) return true;
        if (outcome == SlotOutcome::PassFailed) return false;
    }
    return true;
}

// Appends empty entries until the movie's array holds 24; false when a
// length read or a ConstructItem call failed.
bool PadEntries(Pusher& push) REQUIRES(stateMutex) {
    const char* array = "root1.Menu_mc.FavoritesInfoA";
    for (int iteration = 0; iteration < paddingIterations; ++iteration) {
        std::uint32_t length = 0;
        if (!GetMenuArraySize(menuName, array, &length)) return false;
        std::uint32_t n = 0;
        if (!GetMenuArraySize(menuName, array, &n) || n >= paddedLength) return true;
        const bool visible = n < quickSlotCount ? quickKeyVisible.at(n) : true;
        if (!push.String("root1.Menu_mc.ConstructItemIconDirectoryName", "")) return true;
        if (!push.Bool("root1.Menu_mc.ConstructItemVisible", visible)) continue;
        if (!push.Construct()) return false;
    }
    return true;
}

}  // namespace

bool ProcessOpenFavoritesMenu() {
    const bool populated = favoritesMenuPopulated;
    Pusher push{openFavoritesMenu};
    bool success = false;
    [&]() REQUIRES(stateMutex) {  // called below, under the lock this function requires
        Game::Player* player = Game::PlayerObject();
        Game::InventoryList* inventory = Game::ReadInventoryList(player);
        if (!inventory) return;
        bool installed = false;
        const bool flagRead = GetMenuBool(menuName, "root1.Menu_mc.bVelloquinInstalled", &installed, openFavoritesMenu);
        if (!flagRead || !installed) {
            pluginInactive = 1;
            LogLine("The plug-in is inactive from now on: the favourites menu's movie is not the extended one "
                    "(root1.Menu_mc.bVelloquinInstalled %s)", flagRead ? "is false" : "cannot be read");
            ReportError("Velloquin::ProcessOpenFavoritesMenu", 627,
                        "The extended FavoritesMenu is inaccessible, FavoritesMenu.swf is possibly overwritten by "
                        "another mod. Velloquin will be inactive.");
            return;
        }
        std::uint32_t length = 0;
        if (!GetMenuArraySize(menuName, "root1.Menu_mc.FavoritesInfoA", &length)) return;
        if (!populated && !PushSlots(push, player, inventory)) return;
        success = PadEntries(push);
    }();
    if (favoritesMenuPopulated) ProcessMenuSelection();
    return success;
}

}  // namespace Velloquin

// The update pass: run on every player update (free play) and on every hooked
// call (the item menus' assignment mode), at most once per 70 ms.
#include <array>
#include <mutex>

#include "config/settings.h"
#include "items/icons.h"
#include "menu/gamepad.h"
#include "menu/key_poll.h"
#include "menu/runtime.h"
#include "persistence/items_file.h"
#include "core/log.h"
#include "core/state.h"
#include "items/form_text.h"
#include "platform/win32.h"

namespace Velloquin {

namespace {

constexpr std::int64_t throttleNs = 70'000'000;
constexpr std::int64_t holdAfterCreditsNs = 10'000'000'000;
constexpr std::int64_t settleMs = 120;
constexpr std::int64_t giveUpMs = 1200;
constexpr std::int64_t unthrottleNs = 100'000'000;

std::int64_t WholeMilliseconds(std::int64_t fromNs, std::int64_t toNs) { return (toNs - fromNs) / 1'000'000; }

bool BlockingMenuOpen() { return Game::IsMenuOpen("EndGameCreditsMenu") || Game::IsMenuOpen("PlayBinkMenu"); }

// Which presses the log has told of (under stateMutex), by the key's place in
// the polling order: a press is told once, on the first pass that uses it,
// however long it is held and whatever other keys answer in between.
std::array<bool, quickSlotCount> pressTold GUARDED_BY(stateMutex){};

void LogKeyUse(const QuickKeyPress& press, const Game::Form* item) REQUIRES(stateMutex) {
    if (pressTold.at(press.key)) return;
    pressTold.at(press.key) = true;
    if (!LogActive()) return;
    try {
        LogLine("Key 0x%X uses slot %d: %s", press.code, firstQuickKey + static_cast<int>(press.slot),
                item ? LogFormText(item).c_str() : "the slot is empty");
    } catch (...) {  // the log never stops the key's use
    }
}

// An outfit slot's key: the pieces are put on on every pass the key is down
// (worn pieces are skipped), and the log tells the press's first pass.
void UseOutfitByKey(const QuickKeyPress& press) REQUIRES(stateMutex) {
    const OutfitUse use = PutOnOutfit(press.slot);
    if (pressTold.at(press.key)) return;
    pressTold.at(press.key) = true;
    if (!LogActive()) return;
    try {
        LogLine("Key 0x%X uses slot %d: %s", press.code, firstQuickKey + static_cast<int>(press.slot),
                OutfitUseText(use).c_str());
    } catch (...) {  // the log never stops the key's use
    }
}

// Which presses began with the outfit save modifier held (under stateMutex),
// by the key's place in the polling order: such a press saves when it begins
// and does nothing else for as long as it is held.
std::array<bool, quickSlotCount> pressSaves GUARDED_BY(stateMutex){};

// Read only on a pass where a press begins, so a pass with no key down reads
// nothing more than before.
bool SaveModifierHeld(std::int64_t now) REQUIRES(stateMutex) {
    const std::uint32_t save = outfitSaveModifier;
    if (save == 0) return false;
    if (IsGamepadButtonCode(save)) {
        GamepadReading pad;
        return ReadGamepad(now, pad) && IsGamepadCodeDown(pad, save);
    }
    return GetKeyState(static_cast<int>(save)) < 0;
}

void PollKeys(std::int64_t now) REQUIRES(stateMutex) {
    const QuickKeyPoll poll = PollQuickKeys(now);
    int saveHeld = -1;  // not read yet
    for (std::size_t n = 0; n < poll.pressCount; ++n) {
        const QuickKeyPress& press = poll.presses[n];
        if (!press.began) continue;
        pressTold.at(press.key) = false;
        pressSaves.at(press.key) = false;
        if (press.slot == noQuickSlot || outfitSaveModifier == 0) continue;
        if (saveHeld < 0) saveHeld = SaveModifierHeld(now) ? 1 : 0;
        if (saveHeld == 0) continue;
        pressSaves.at(press.key) = true;
        pressTold.at(press.key) = true;
        if (!Game::MenuModeContext()) SaveOutfit(press.slot);
    }
    if (poll.used != noQuickSlot && !pressSaves.at(poll.presses.at(poll.used).key)) {
        const QuickKeyPress& press = poll.presses.at(poll.used);
        Game::Form* item = quickItems.at(press.slot);
        const bool use = item && !Game::MenuModeContext();
        if (use && IsOutfitSlot(press.slot)) {
            UseOutfitByKey(press);
        } else {
            if (use || !item) LogKeyUse(press, item);
            if (use) ActivateQuickItem(item);
        }
    }
    lastUpdateTime = now;
}

// Whether the log has told of the close request for this opening of the
// favourites menu: a game that ignores the request is asked again on every
// pass, and the log tells it once.
bool closeRequestLogged GUARDED_BY(stateMutex) = false;

void DriveOpenMenu(std::int64_t now, bool fromHook) REQUIRES(stateMutex) {
    if (!Game::IsMenuOpen("FavoritesMenu")) {
        closeRequestLogged = false;
        favoritesMenuOpened = false;
        favoritesMenuPopulated = false;
        openFavoritesMenu = nullptr;
        populateFailed = false;
        if (fromHook) FlushQuickItemsToFile();
        lastUpdateTime = now;
        return;
    }
    if (WholeMilliseconds(favoritesMenuOpenTime, now) <= settleMs) {
        lastUpdateTime = now - unthrottleNs;  // the next pass runs without waiting for the throttle
        return;
    }
    if (populateFailed && WholeMilliseconds(populateFailTime, now) > giveUpMs) {
        lastUpdateTime = now;
        if (!closeRequestLogged)
            LogLine("The favourites menu could not be filled for %lld ms: the plug-in asks the game to close it",
                    static_cast<long long>(giveUpMs));
        closeRequestLogged = true;
        Game::PostCloseMenu("FavoritesMenu");
        return;
    }
    if (ProcessOpenFavoritesMenu()) {
        populateFailed = false;
        favoritesMenuPopulated = true;
    } else {
        if (!populateFailed) populateFailTime = now;
        populateFailed = true;
    }
    lastUpdateTime = now;
}

}  // namespace

void RunUpdatePass(bool fromHook) {
    // A busy lock drops the pass. Past the try_lock the lock is held (the
    // analysis knows it from TRY_ACQUIRE), and the StateLock drops it.
    if (!stateMutex.try_lock()) return;
    StateLock lock(stateMutex, std::adopt_lock);

    const std::int64_t now = SteadyNow();
    if (now - lastUpdateTime < throttleNs || now - creditsMenuTime < holdAfterCreditsNs || pluginInactive ||
        Game::HostReadyFlag() == 0) {
        return;
    }
    if (reloadPending) {
        if (BlockingMenuOpen()) return;
        LogLine("Reload after the end credits or a game reset: icon keywords, settings and items are read again");
        PrecacheIconKeywords();
        LoadSettings();
        ReloadFavoriteItems();
        reloadPending = 0;
        return;
    }
    if (Game::HostBlockFlag() != 0 || BlockingMenuOpen()) return;

    if (!favoritesMenuOpened) {
        PollKeys(now);
    } else {
        ForgetHeldKeys();
        DriveOpenMenu(now, fromHook);
    }
}

}  // namespace Velloquin

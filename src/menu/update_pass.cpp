// The update pass: run on every player update (free play) and on every hooked
// call (the item menus' assignment mode), at most once per 70 ms.
#include <mutex>

#include "config/settings.h"
#include "items/icons.h"
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

// The code whose use the log told last, while it stays down (under
// stateMutex): a held key is logged once, at its first use.
std::uint32_t loggedKeyCode GUARDED_BY(stateMutex) = 0;

void LogKeyUse(std::uint32_t code, std::size_t slot, const Game::Form* item) REQUIRES(stateMutex) {
    if (code == loggedKeyCode) return;
    loggedKeyCode = code;
    if (!LogActive()) return;
    try {
        LogLine("Key 0x%X uses slot %d: %s", code, firstQuickKey + static_cast<int>(slot),
                item ? LogFormText(item).c_str() : "the slot is empty");
    } catch (...) {  // the log never stops the key's use
    }
}

// An outfit slot's key: the pieces are put on on every pass the key is down
// (worn pieces are skipped), and the log tells the first pass's result.
void UseOutfitByKey(std::uint32_t code, std::size_t slot) REQUIRES(stateMutex) {
    const OutfitUse use = PutOnOutfit(slot);
    if (code == loggedKeyCode) return;
    loggedKeyCode = code;
    if (!LogActive()) return;
    try {
        LogLine("Key 0x%X uses slot %d: %s", code, firstQuickKey + static_cast<int>(slot), OutfitUseText(use).c_str());
    } catch (...) {  // the log never stops the key's use
    }
}

void PollKeys(std::int64_t now) REQUIRES(stateMutex) {
    if (const std::size_t slot = PressedQuickSlot(now); slot != noQuickSlot) {
        const std::uint32_t code = quickKeyCodes.at(slot);
        Game::Form* item = quickItems.at(slot);
        const bool use = item && !Game::MenuModeContext();
        if (use && IsOutfitSlot(slot)) {
            UseOutfitByKey(code, slot);
        } else {
            if (use || !item) LogKeyUse(code, slot, item);
            if (use) ActivateQuickItem(item);
        }
    } else {
        loggedKeyCode = 0;
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

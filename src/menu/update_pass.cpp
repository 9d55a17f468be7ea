// The update pass: run on every player update (free play) and on every hooked
// call (the item menus' assignment mode), at most once per 70 ms.
#include <mutex>

#include "config/settings.h"
#include "items/icons.h"
#include "menu/key_poll.h"
#include "menu/runtime.h"
#include "persistence/items_file.h"
#include "core/state.h"
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

void PollKeys(std::int64_t now) REQUIRES(stateMutex) {
    if (const std::size_t slot = PressedQuickSlot(now); slot != noQuickSlot) {
        Game::Form* item = quickItems.at(slot);
        if (item && !Game::MenuModeContext()) ActivateQuickItem(item);
    }
    lastUpdateTime = now;
}

void DriveOpenMenu(std::int64_t now, bool fromHook) REQUIRES(stateMutex) {
    if (!Game::IsMenuOpen("FavoritesMenu")) {
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

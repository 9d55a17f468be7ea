// The update pass: run on every player update (free play) and on every hooked
// call (the item menus' assignment mode), at most once per 70 ms.
#include <mutex>

#include "config/settings.h"
#include "items/icons.h"
#include "menu/gamepad.h"
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

// The lowest bound code whose key or button is down, or 0. The bound codes
// are put in ascending order first (twelve at most, on the stack; nothing is
// allocated). Keyboard keys come first and are asked one by one, once per
// slot entry that carries the code; only when none is down is the controller
// read, once, and only when a gamepad code is bound. While a modifier is set,
// gamepad codes count only while it is held.
std::uint32_t PressedKeyCode(std::int64_t now) REQUIRES(stateMutex) {
    std::uint32_t codes[quickSlotCount];
    std::size_t bound = 0;
    for (std::size_t i = 0; i < quickSlotCount; ++i) {
        const std::uint32_t code = quickKeyCodes.at(i);
        if (!IsPolledKeyCode(code)) continue;
        std::size_t at = bound++;
        for (; at > 0 && codes[at - 1] > code; --at) codes[at] = codes[at - 1];
        codes[at] = code;
    }
    std::size_t i = 0;
    for (; i < bound && codes[i] <= lastPolledKeyCode; ++i)
        if (GetKeyState(static_cast<int>(codes[i])) < 0) return codes[i];
    if (i == bound) return 0;
    GamepadReading pad;
    if (!ReadGamepad(now, pad)) return 0;
    if (gamepadModifier != 0 && !IsGamepadCodeDown(pad, gamepadModifier)) return 0;
    for (; i < bound; ++i)
        if (IsGamepadCodeDown(pad, codes[i])) return codes[i];
    return 0;
}

void PollKeys(std::int64_t now) REQUIRES(stateMutex) {
    if (const std::uint32_t code = PressedKeyCode(now)) {
        std::size_t slot = 0;
        while (quickKeyCodes.at(slot) != code) ++slot;
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
        DriveOpenMenu(now, fromHook);
    }
}

}  // namespace Velloquin

// The update pass: run on every player update (free play) and on every hooked
// call (the item menus' assignment mode), at most once per 70 ms.
#include <mutex>

#include "config/settings.h"
#include "items/icons.h"
#include "menu/gamepad.h"
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

// The lowest bound code whose key or button is down, or 0. The bound codes
// are put in ascending order first (twelve at most, on the stack; nothing is
// allocated). Keyboard keys come first and are asked one by one, once per
// slot entry that carries the code; only when none is down is the controller
// read, once, and only when a gamepad code is bound. While a modifier is set,
// gamepad codes count only while it is held.
std::uint32_t PressedKeyCode(std::int64_t now) {
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

// The code whose use the log told last, while it stays down (under
// stateMutex): a held key is logged once, at its first use.
std::uint32_t loggedKeyCode = 0;

void LogKeyUse(std::uint32_t code, std::size_t slot, const Game::Form* item) {
    if (code == loggedKeyCode) return;
    loggedKeyCode = code;
    if (!LogActive()) return;
    try {
        LogLine("Key 0x%X uses slot %d: %s", code, firstQuickKey + static_cast<int>(slot),
                item ? LogFormText(item).c_str() : "the slot is empty");
    } catch (...) {  // the log never stops the key's use
    }
}

void PollKeys(std::int64_t now) {
    if (const std::uint32_t code = PressedKeyCode(now)) {
        std::size_t slot = 0;
        while (quickKeyCodes.at(slot) != code) ++slot;
        Game::Form* item = quickItems.at(slot);
        const bool use = item && !Game::MenuModeContext();
        if (use || !item) LogKeyUse(code, slot, item);
        if (use) ActivateQuickItem(item);
    } else {
        loggedKeyCode = 0;
    }
    lastUpdateTime = now;
}

void DriveOpenMenu(std::int64_t now, bool fromHook) {
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
        LogLine("The favourites menu could not be filled for %lld ms: the plug-in asks the game to close it",
                static_cast<long long>(giveUpMs));
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
    std::unique_lock lock(stateMutex, std::try_to_lock);
    if (!lock.owns_lock()) return;

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
        DriveOpenMenu(now, fromHook);
    }
}

}  // namespace Velloquin

// The favourites-menu runtime state and the slot table. All of it is
// constant-initialised (no start-up order to respect) and lives until the
// process ends; nothing is ever freed.
#include "core/state.h"

namespace Velloquin {

// The one lock. Recursive: the update pass holds it while activation,
// population, selection and the deferred reload take it again. The update
// pass try-locks it (a busy lock drops the pass); the menu callback and the
// game-load sink take it blocking.
std::recursive_mutex stateMutex;

// Set once (to 1) by the update pass or the menu fill when the movie is not
// the extended one or the player id cannot be read; read by every entry,
// without the lock. Never cleared.
std::atomic<std::uint8_t> pluginInactive{0};
// Set by the game-reset sink and the menu callback (credits), cleared by the
// update pass when it performs the reload; no lock.
std::atomic<std::uint8_t> reloadPending{0};
// Written with reloadPending by the same writers; read by the update pass.
std::atomic<std::int64_t> creditsMenuTime{0};

// The rest is written and read only under stateMutex: by the menu callback
// (a favourites menu opens) and by the update pass (fill, choice, close).
bool favoritesMenuOpened = false;
bool favoritesMenuPopulated = false;
bool populateFailed = false;
Game::Menu* openFavoritesMenu = nullptr;
std::int64_t favoritesMenuOpenTime = 0;
std::int64_t lastUpdateTime = 0;
std::int64_t populateFailTime = 0;

// The slot table, under stateMutex: items written by the items reader (game
// load, deferred reload) and the player's choices; codes and visibility by
// the settings reader on the same reloads; all read by the update pass.
std::array<Game::Form*, quickSlotCount> quickItems{};
std::array<std::uint32_t, quickSlotCount> quickKeyCodes{};
std::array<bool, quickSlotCount> quickKeyVisible{};
// Written with the codes by the settings reader; read by the update pass and
// the menu fill. 0 for every slot whose key is not a keyboard key.
std::array<std::uint32_t, quickSlotCount> quickKeyModifiers{};
// Written with the codes by the settings reader; read by the update pass.
std::uint32_t gamepadModifier = 0;

// The controller, written and read by the update pass only, under stateMutex.
// XInput is looked up on the first pass that needs a gamepad code, once
// (xinputGetState stays null when no XInput library loads). gamepadPort is
// the port of the controller that last answered, -1 while none does; then
// the look numbered gamepadProbePort (menu/gamepad.cpp) comes next, not
// before gamepadNextProbeTime.
bool xinputLookedUp = false;
XInputGetStateFunction xinputGetState = nullptr;
int gamepadPort = -1;
int gamepadProbePort = 0;
std::int64_t gamepadNextProbeTime = 0;

void ResetRuntimeState() {
    pluginInactive = 0;
    reloadPending = 0;
    creditsMenuTime = 0;
    favoritesMenuOpened = false;
    favoritesMenuPopulated = false;
    populateFailed = false;
    openFavoritesMenu = nullptr;
    favoritesMenuOpenTime = 0;
    lastUpdateTime = 0;
    populateFailTime = 0;
    quickItems.fill(nullptr);
    quickKeyCodes.fill(0);
    quickKeyVisible.fill(true);
    quickKeyModifiers.fill(0);
    gamepadModifier = 0;
    xinputLookedUp = false;
    xinputGetState = nullptr;
    gamepadPort = -1;
    gamepadProbePort = 0;
    gamepadNextProbeTime = 0;
}

}  // namespace Velloquin

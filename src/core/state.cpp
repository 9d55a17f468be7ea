// The favourites-menu runtime state and the slot table. Everything here but
// stateMutex is constant-initialised. stateMutex (a std::recursive_mutex
// inside) may be initialised by code that runs when the library is mapped:
// neither the standard nor MSVC promises constant initialisation for it.
// Either way it is ready before the loader calls QVEXPlugin_Load, and so
// before any entry can take it; no start-up code uses it. It all lives until
// the process ends; nothing is ever freed.
#include "core/state.h"

namespace Velloquin {

// The one lock. The update pass try-locks it (a busy lock drops the pass) and
// runs everything it calls under it: activation, population, selection, the
// deferred reload and the flush of the items file. The menu callback and the
// game-load sink take it blocking.
StateMutex stateMutex;

// The lock-free flags: atomics, written and read without stateMutex.
//
// Set once (to 1) when the movie is not the extended one (the menu fill, in
// the update pass) or the player id cannot be read (GetPlayerID: in the
// update pass's deferred reload and its flush when the favourites menu
// closes, and in the game-load sink's reload); read by every entry. Never
// cleared. The load sink reads it again once it holds the lock, as a pass
// may set it while the sink waits.
std::atomic<std::uint8_t> pluginInactive{0};
// Set by the game-reset sink and the menu callback (credits), cleared by the
// update pass when it performs the reload.
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
// Outfits: pieces written with quickItems (items reader, a save in free play,
// assignment making a slot single again); the save modifier by the settings
// reader.
std::array<std::array<Game::Form*, outfitPieceLimit>, quickSlotCount> quickOutfitPieces{};
std::array<std::uint8_t, quickSlotCount> quickOutfitSize{};
std::uint32_t outfitSaveModifier = 0;

void ResetRuntimeState() {
    StateLock lock(stateMutex);
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
    for (auto& pieces : quickOutfitPieces) pieces.fill(nullptr);
    quickOutfitSize.fill(0);
    outfitSaveModifier = 0;
}

}  // namespace Velloquin

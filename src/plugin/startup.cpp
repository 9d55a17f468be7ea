// The plug-in's globals, set when the library is mapped (before the loader
// reads the version record), in the order they depend on each other.
#include "items/icons.h"
#include "plugin/game.h"
#include "plugin/sinks.h"
#include "plugin/state.h"
#include "platform/win32.h"
#include "qvex_common/BranchTrampoline.h"

namespace Velloquin {

std::uint32_t pluginHandle = 0;
std::uintptr_t gameModuleBase = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
std::uintptr_t siteCallee = 0;

namespace Game {
// Host addresses fixed once at start-up.
std::uintptr_t hostStringMakeAddress = Address(GameIndex::HostStringMake);
std::uintptr_t hostStringReleaseAddress = Address(GameIndex::HostStringRelease);
std::uintptr_t keywordHolderCastAddress = Address(GameIndex::keywordHolderCast);
std::uintptr_t lookupFormByIdAddress = Address(GameIndex::LookupFormByID);
}  // namespace Game

std::recursive_mutex stateMutex;
std::map<const Game::Form*, std::string> iconKeywords;
const std::string pluginFolder = ".\\Data\\QVEX\\Plugins\\Velloquin\\";

Velloquin_PlayerUpdateEventClass playerUpdateSink;
Velloquin_TESLoadGameEventClass loadGameSink;
Velloquin_GameResetEventClass gameResetSink;

// Declared after the sinks so that it is released first at exit.
BranchTrampoline trampoline;

std::atomic<std::uint8_t> pluginInactive{0};
std::atomic<std::uint8_t> reloadPending{0};
std::atomic<std::int64_t> creditsMenuTime{0};
bool favoritesMenuOpened = false;
bool favoritesMenuPopulated = false;
bool populateFailed = false;
Game::Menu* openFavoritesMenu = nullptr;
std::int64_t favoritesMenuOpenTime = 0;
std::int64_t lastUpdateTime = 0;
std::int64_t populateFailTime = 0;

std::array<Game::Form*, quickSlotCount> quickItems{};
std::array<std::uint32_t, quickSlotCount> quickKeyCodes{};
std::array<bool, quickSlotCount> quickKeyVisible{};

}  // namespace Velloquin

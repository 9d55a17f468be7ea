// The plug-in's globals, set when the library is mapped (before the loader
// reads the version record), in the order they depend on each other.
#include "items/icons.h"
#include "game/game.h"
#include "plugin/sinks.h"
#include "core/state.h"
#include "platform/win32.h"
#include "qvex_common/BranchTrampoline.h"

namespace Velloquin {

// Written once by the loader's thread in QVEXPlugin_Load, before any other
// entry can run; read-only afterwards.
std::uint32_t pluginHandle = 0;
// Set here, at library start-up, and again (the same value) in QVEXPlugin_Load;
// read by every game access. Nothing writes it after the load.
std::uintptr_t gameModuleBase = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
// The function the redirected call used to reach; written once in
// HandleOnPluginLoad before the call site is rewritten, read by the hook entry.
std::uintptr_t siteCallee = 0;

namespace Game {
// Host addresses fixed once at start-up.
std::uintptr_t hostStringMakeAddress = Address(GameIndex::HostStringMake);
std::uintptr_t hostStringReleaseAddress = Address(GameIndex::HostStringRelease);
std::uintptr_t keywordHolderCastAddress = Address(GameIndex::keywordHolderCast);
std::uintptr_t lookupFormByIdAddress = Address(GameIndex::LookupFormByID);
}  // namespace Game

// Rebuilt by the game-load sink and the deferred reload, under stateMutex;
// read by the menu fill under stateMutex.
std::map<const Game::Form*, std::string> iconKeywords;

// The sinks live until the process ends; the game holds pointers to them.
Velloquin_PlayerUpdateEventClass playerUpdateSink;
Velloquin_TESLoadGameEventClass loadGameSink;
Velloquin_GameResetEventClass gameResetSink;

// Declared after the sinks so that it is released first at exit.
BranchTrampoline trampoline;

}  // namespace Velloquin

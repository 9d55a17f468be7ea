// The three event sinks and their registration when the loader says the game is ready.
#include "plugin/sinks.h"

#include "config/settings.h"
#include "items/icons.h"
#include "menu/runtime.h"
#include "persistence/items_file.h"
#include "plugin/exports.h"
#include "core/log.h"
#include "core/state.h"

void* BSTEventDetail::SinkBase::Destroy(std::uint32_t deleting) {
    (void)deleting;  // the plug-in's sinks are globals: never freed here
    return this;
}

namespace Velloquin {

namespace {

// Each registration site keeps the address it computed on first use.
void RegisterSink(void* source, void* sink) {
    static auto* const registerEventSink = Game::Function<void*(void*, void*)>(GameIndex::RegisterEventSink);
    registerEventSink(source, sink);
}

}  // namespace

std::uint32_t Velloquin_PlayerUpdateEventClass::OnEvent(const PlayerUpdateEvent&,
                                                        BSTEventSource<PlayerUpdateEvent>*) {
    try {
        if (!Game::MenuModeContext()) RunUpdatePass(false);
    } catch (...) {
        // Nothing is thrown into the game.
    }
    return 0;
}

std::uint32_t Velloquin_TESLoadGameEventClass::OnEvent(const TESLoadGameEvent&, BSTEventSource<TESLoadGameEvent>*) {
    try {
        if (pluginInactive) return 0;
        // The reload clears and refills what the update pass walks (the icon
        // table, the slots and their keys): it waits for a pass on another
        // thread to end, as the menu callback does. That pass may have made
        // the plug-in inactive meanwhile, so the flag is read again under the
        // lock.
        StateLock lock(stateMutex);
        if (pluginInactive) return 0;
        LogLine("Game loaded: icon keywords, settings and items are read again");
        PrecacheIconKeywords();
        LoadSettings();
        ReloadFavoriteItems();
    } catch (...) {
    }
    return 0;
}

std::uint32_t Velloquin_GameResetEventClass::OnEvent(const Events::GameResetEvent& event,
                                                     BSTEventSource<Events::GameResetEvent>*) {
    const auto firstByte = *reinterpret_cast<const volatile std::uint8_t*>(&event);
    if (firstByte == 0 || pluginInactive || reloadPending) return 0;
    creditsMenuTime = SteadyNow();
    reloadPending = 1;
    return 0;
}

void OnLoaderMessage(LoaderMessage* message) {
    if (!message || message->type != 2) return;
    try {
        RegisterSink(Game::Function<void*()>(GameIndex::GetPlayerUpdateEventSource)(), &playerUpdateSink);
        RegisterSink(reinterpret_cast<void*>(Game::Address(GameIndex::tesLoadGameEventSource)), &loadGameSink);
        RegisterSink(Game::Function<void*()>(GameIndex::GetGameResetEventSource)(), &gameResetSink);
    } catch (...) {
    }
}

}  // namespace Velloquin

#include "game_runtime.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include "host.h"
#include "image.h"
#include "menus.h"
#include "game/game_index.h"
#include "recorder.h"

namespace TestHost {

namespace GI = Velloquin::GameIndex;

namespace {

struct EventSource {
    EventKind kind;
    std::uint64_t unused[8];
};

struct PlayerUpdateEvent {
    std::uint64_t unused;
};
struct LoadGameEvent {
    std::uint64_t unused;
};
struct GameResetEvent {
    std::uint8_t first;
    std::uint8_t unused[7];
};

struct ModeContext {
    std::uint64_t unused[4];
};

// Sinks as the game's threads see them when they fire an event: appended
// under the world's lock, read through an acquiring count without it, so that
// firing puts no ordering between the threads that fire.
constexpr std::size_t maxSinks = 16;

struct RuntimeWorld {
    std::mutex mutex;
    std::vector<Registration> registrations;
    Registration sinkTable[maxSinks] = {};
    std::atomic<std::size_t> sinkCount{0};
    EventSource playerUpdateSource{EventKind::PlayerUpdate, {}};
    EventSource resetSource{EventKind::GameReset, {}};
    ModeContext modeContext{};
    std::atomic<bool> assignmentMode{false};
    bool closeOnRequest = true;
    std::vector<std::string> closeRequests;
    std::atomic<int> liveStrings{0};
    std::atomic<int> stringsMade{0};
    std::uint64_t fallbackInterfaceManager[32] = {};
    std::uint64_t messageQueue[8] = {};
};

RuntimeWorld& World() {
    static RuntimeWorld world;
    return world;
}

EventSource* LoadGameSource() { return static_cast<EventSource*>(GameAddress(GI::tesLoadGameEventSource)); }

// ---- game functions
void* HostGetPlayerUpdateEventSource() { return &World().playerUpdateSource; }
void* HostGetGameResetEventSource() { return &World().resetSource; }

void* HostRegisterEventSink(EventSource* source, void* sink) {
    auto& world = World();
    std::lock_guard lock(world.mutex);
    world.registrations.push_back({source->kind, sink});
    const std::size_t count = world.sinkCount.load(std::memory_order_relaxed);
    if (count < maxSinks) {
        world.sinkTable[count] = {source->kind, sink};
        world.sinkCount.store(count + 1, std::memory_order_release);
    }
    const char* names[] = {"PlayerUpdateEvent", "TESLoadGameEvent", "GameResetEvent"};
    Record(std::string("sink registered for ") + names[static_cast<int>(source->kind)]);
    return nullptr;
}

void* HostGetMenuModeContext() { return World().assignmentMode ? &World().modeContext : nullptr; }

// A host string's handle is the text itself: the plug-in keeps the text alive
// while the handle lives, and making one touches neither the heap nor a lock.
void* HostStringMake(void** handle, const char* text, std::uint32_t) {
    *handle = const_cast<char*>(text ? text : "");
    World().liveStrings.fetch_add(1, std::memory_order_relaxed);
    World().stringsMade.fetch_add(1, std::memory_order_relaxed);
    return handle;
}

void HostStringRelease(void** handle) {
    if (!*handle) return;
    *handle = nullptr;
    World().liveStrings.fetch_sub(1, std::memory_order_relaxed);
}

const char* TextOf(void** handle) { return handle && *handle ? static_cast<const char*>(*handle) : ""; }

std::uint8_t HostIsMenuOpen(void*, void** name) { return FindOpenMenuByText(TextOf(name)) ? 1 : 0; }

void HostPostMenuMessage(void* queue, void** name, std::uint32_t kind) {
    auto& world = World();
    const std::string menu = TextOf(name);
    bool close = false;
    {
        std::lock_guard lock(world.mutex);
        if (queue != world.messageQueue) Record("menu message posted to an unknown queue");
        world.closeRequests.push_back(menu);
        close = kind == 2 && world.closeOnRequest;
    }
    Record("menu message " + std::to_string(kind) + " for " + menu);
    if (close) SetMenuOpen(menu, false);
}

void ResetRuntime() {
    auto& world = World();
    {
        std::lock_guard lock(world.mutex);
        world.registrations.clear();
        world.sinkCount.store(0, std::memory_order_relaxed);
        world.closeOnRequest = true;
        world.closeRequests.clear();
    }
    world.assignmentMode = false;
    const EventSource loadGameSource{EventKind::LoadGame, {}};
    WriteImage(GI::tesLoadGameEventSource, &loadGameSource, sizeof loadGameSource);
    SetGameData<void*>(GI::uiMessageQueue, world.messageQueue);
    if (!GetGameData<void*>(GI::uiObject)) SetGameData<void*>(GI::uiObject, world.fallbackInterfaceManager);
    SetHostReady(true);
    SetHostBlocked(false);
}

const bool registered =
    RegisterDefaultFunction(GI::GetPlayerUpdateEventSource, &HostGetPlayerUpdateEventSource) &&
    RegisterDefaultFunction(GI::GetGameResetEventSource, &HostGetGameResetEventSource) &&
    RegisterDefaultFunction(GI::RegisterEventSink, &HostRegisterEventSink) &&
    RegisterDefaultFunction(GI::GetMenuModeContext, &HostGetMenuModeContext) &&
    RegisterDefaultFunction(GI::HostStringMake, &HostStringMake) &&
    RegisterDefaultFunction(GI::HostStringRelease, &HostStringRelease) &&
    RegisterDefaultFunction(GI::IsMenuOpen, &HostIsMenuOpen) &&
    RegisterDefaultFunction(GI::PostMenuMessage, &HostPostMenuMessage) && RegisterResetHook(&ResetRuntime);

}  // namespace

Menu* FindOpenMenuByText(const char* name) {
    UiManager& ui = Ui();
    for (std::uint32_t i = 0; i < ui.openCount; ++i) {
        Menu* menu = ui.openMenus[i];
        if (menu && !menu->nullName && menu->name == name) return menu;
    }
    return nullptr;
}

namespace {

template <class Event>
void Fire(EventKind kind, const Event& event, void* source) {
    const char* names[] = {"PlayerUpdateEvent", "TESLoadGameEvent", "GameResetEvent"};
    auto& world = World();
    const std::size_t count = world.sinkCount.load(std::memory_order_acquire);
    for (std::size_t i = 0; i < count; ++i) {
        const Registration& registration = world.sinkTable[i];
        if (registration.kind != kind) continue;
        // Slot 1 of the sink's table: OnEvent(sink, event, source). Any answer
        // but 0 stops the event: the sinks registered after it never see it.
        auto table = *static_cast<void* const* const*>(registration.sink);
        const std::uint32_t answer =
            reinterpret_cast<std::uint32_t (*)(void*, const Event*, void*)>(table[1])(registration.sink, &event, source);
        if (answer != 0) {
            Record(std::string("event stopped: a sink answered ") + std::to_string(answer) + " to " +
                   names[static_cast<int>(kind)]);
            return;
        }
    }
}

}  // namespace

const std::vector<Registration>& Registrations() {
    (void)registered;
    return World().registrations;
}

void ForgetEventSinks() {
    auto& world = World();
    std::lock_guard lock(world.mutex);
    world.registrations.clear();
    world.sinkCount.store(0, std::memory_order_relaxed);
}

void FirePlayerUpdate() { Fire(EventKind::PlayerUpdate, PlayerUpdateEvent{}, &World().playerUpdateSource); }
void FireLoadGame() { Fire(EventKind::LoadGame, LoadGameEvent{}, LoadGameSource()); }
void FireGameReset(std::uint8_t firstByte) {
    Fire(EventKind::GameReset, GameResetEvent{firstByte, {}}, &World().resetSource);
}

void SetAssignmentMode(bool on) { World().assignmentMode = on; }
bool AssignmentMode() { return World().assignmentMode; }
void SetHostReady(bool ready) { SetGameData<std::uint8_t>(GI::hostReadyFlag, ready ? 1 : 0); }
void SetHostBlocked(bool blocked) { SetGameData<std::uint8_t>(GI::hostBlockFlag, blocked ? 1 : 0); }

// The interface manager's open-menu list is the one truth about open menus.
Menu* FindOpenMenu(const std::string& name) { return FindOpenMenuByText(name.c_str()); }

void SetMenuOpen(const std::string& name, bool open) {
    if (open) {
        if (!FindOpenMenu(name)) OpenMenu(name, false);
        return;
    }
    while (Menu* menu = FindOpenMenu(name)) CloseMenu(menu);
}

bool MenuOpen(const std::string& name) { return FindOpenMenu(name) != nullptr; }

Menu* ShowMenu(const std::string& name) {
    Menu* menu = OpenMenu(name, true);
    if (Loader().menuCallback) Loader().menuCallback(menu);
    return menu;
}

void SetCloseOnRequest(bool close) {
    std::lock_guard lock(World().mutex);
    World().closeOnRequest = close;
}
const std::vector<std::string>& CloseRequests() { return World().closeRequests; }

int LiveHostStrings() { return World().liveStrings; }
int HostStringsMade() { return World().stringsMade; }

void RunFrame() {
    if (AssignmentMode())
        RunHookedCall();
    else
        FirePlayerUpdate();
}

}  // namespace TestHost

// The plug-in's process-wide state: plain globals that live from library
// start-up to process exit. What stateMutex guards says so in its declaration
// (GUARDED_BY, checked by clang's thread-safety analysis); the flags that
// threads write without the lock are atomics of the documented width. Each
// global's writers, readers and lock are told where it is defined
// (core/state.cpp for the runtime state, plugin/startup.cpp for what start-up
// computes).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "core/constants.h"
#include "core/thread_safety.h"
#include "game/game.h"

namespace Velloquin {

extern std::uint32_t pluginHandle;
extern std::uintptr_t gameModuleBase;
extern std::uintptr_t siteCallee;

// The state lock: a recursive mutex that the analysis knows as a capability.
// Recursive: when the game calls back into the plug-in on a thread that holds
// it (from within a call into the game), that thread does not wait for
// itself. The analysis checks what each function does with the lock, not such
// calls back through the game, so the recursion needs no annotation.
class CAPABILITY("mutex") StateMutex {
public:
    // Waits until no other thread holds the lock.
    void lock() ACQUIRE() {
        if (mutex.try_lock()) return;
        waiters.fetch_add(1);
        mutex.lock();
        waiters.fetch_sub(1);
    }
    // Takes the lock unless another thread holds it: false then.
    bool try_lock() TRY_ACQUIRE(true) { return mutex.try_lock(); }
    void unlock() RELEASE() { mutex.unlock(); }
    // How many threads wait in lock() at this moment; lets a test play a wait
    // at a known point.
    int Waiters() const { return waiters.load(); }

private:
    std::recursive_mutex mutex;
    std::atomic<int> waiters{0};
};

// Holds the state lock from its construction to the end of its scope.
class SCOPED_CAPABILITY StateLock {
public:
    explicit StateLock(StateMutex& lock) ACQUIRE(lock) : held(lock) { held.lock(); }
    // Takes over a lock this thread already holds (taken with try_lock).
    StateLock(StateMutex& lock, std::adopt_lock_t) REQUIRES(lock) : held(lock) {}
    ~StateLock() RELEASE() { held.unlock(); }
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;

private:
    StateMutex& held;
};

extern StateMutex stateMutex;

// Written without the lock by several threads: atomics, never guarded.
extern std::atomic<std::uint8_t> pluginInactive;
extern std::atomic<std::uint8_t> reloadPending;
extern std::atomic<std::int64_t> creditsMenuTime;

// Favourites-menu runtime state.
extern bool favoritesMenuOpened GUARDED_BY(stateMutex);
extern bool favoritesMenuPopulated GUARDED_BY(stateMutex);
extern bool populateFailed GUARDED_BY(stateMutex);
extern Game::Menu* openFavoritesMenu GUARDED_BY(stateMutex);
extern std::int64_t favoritesMenuOpenTime GUARDED_BY(stateMutex);
extern std::int64_t lastUpdateTime GUARDED_BY(stateMutex);
extern std::int64_t populateFailTime GUARDED_BY(stateMutex);

// The twelve extra slots, index i for quick key 12 + i. Always indexed with at().
extern std::array<Game::Form*, quickSlotCount> quickItems GUARDED_BY(stateMutex);
extern std::array<std::uint32_t, quickSlotCount> quickKeyCodes GUARDED_BY(stateMutex);
extern std::array<bool, quickSlotCount> quickKeyVisible GUARDED_BY(stateMutex);
// [QuickKeyModifiers]: the keyboard key (Shift, Ctrl or Alt) that must be held
// with slot i's key for the slot to be used; 0 = the key alone.
extern std::array<std::uint32_t, quickSlotCount> quickKeyModifiers GUARDED_BY(stateMutex);
// Outfit slots. Slot i is an outfit slot when quickOutfitSize[i] > 0: it
// holds quickOutfitSize[i] equipment pieces, in the order the player wore
// them, in quickOutfitPieces[i][0..size), and quickItems[i] is its first piece
// (so what reads quickItems alone sees the outfit's head). 0 = a single-item
// slot, as for a player who never saves an outfit.
extern std::array<std::array<Game::Form*, outfitPieceLimit>, quickSlotCount> quickOutfitPieces
    GUARDED_BY(stateMutex);
extern std::array<std::uint8_t, quickSlotCount> quickOutfitSize GUARDED_BY(stateMutex);
// [Outfits] iSaveModifier: the keyboard modifier or gamepad code that, held
// while a slot's key goes down, saves what the player wears into that slot;
// 0 = off.
extern std::uint32_t outfitSaveModifier GUARDED_BY(stateMutex);
// [Gamepad] iQuickKeyModifier: the gamepad code that must be held for gamepad
// quick keys to fire; 0 = none.
extern std::uint32_t gamepadModifier GUARDED_BY(stateMutex);

// Back to the state of a plug-in that has started and read settings files
// that do not exist: no items, no keys, every slot shown, nothing open or
// pending. For a fresh plug-in within one process (the tests); takes the lock.
// The controller's state is reset by ResetGamepadState (menu/gamepad.h).
void ResetRuntimeState();

// Monotonic clock in nanoseconds.
std::int64_t SteadyNow();

}  // namespace Velloquin

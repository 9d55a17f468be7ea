// The game calls the plug-in from several threads at once: menu openings on
// the loader's threads, player updates, the hooked call, game loads and resets
// on game threads. The host records and answers without a lock shared by these
// threads, so run under ThreadSanitizer this sees the plug-in's own ordering
// and must stay silent.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "forms.h"
#include "game_folder.h"
#include "game_runtime.h"
#include "host.h"
#include "menu/runtime.h"
#include "menus.h"
#include "player.h"
#include "plugin/exports.h"
#include "support/fake_menu.h"
#include "support/plugin_state.h"

using namespace TestHost;
namespace V = Velloquin;

TEST(Concurrency, MenuCallbacksSinksTheHookLoadsAndResetsRunTogether) {
    ResetWorld();
    ResetPluginState();
    SetNow(20'000'000'000);
    AddKeywordToGame(MakeKeyword(0x900, "ui_icon_rifle", "", "Rifle"));
    Form* rifle = MakeForm(0x1001, typeWeapon, "Rifle");
    AddItem(rifle);
    V::quickItems[0] = reinterpret_cast<V::Game::Form*>(rifle);
    V::quickKeyCodes[0] = 0x70;
    SetKeyDown(0x70, true);
    Menu* favorites = OpenMenu("FavoritesMenu");
    MakeFavoritesMovie(favorites);
    SetMenuOpen("InventoryMenu", true);
    LoaderMessage ready{nullptr, 2};
    V::OnLoaderMessage(&ready);

    const int madeBefore = HostStringsMade();
    std::atomic<bool> stop{false};
    std::atomic<long> passes{0};
    std::atomic<long> loads{0};
    std::vector<std::thread> threads;
    threads.emplace_back([&] {  // the game's clock
        while (!stop) {
            Advance(1);
            std::this_thread::yield();
        }
    });
    threads.emplace_back([&] {  // the loader: the favourites menu opens
        while (!stop) {
            V::OnMenuOpen(favorites);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    threads.emplace_back([&] {  // the loader: the other menus open
        FakeMenu names[] = {{FakeMenuTable(), "InventoryMenu"}, {FakeMenuTable(), "PowersMenu"},
                            {FakeMenuTable(), "EndGameCreditsMenu"}};
        while (!stop) {
            for (FakeMenu& menu : names) V::OnMenuOpen(&menu);
            Advance(10'000);  // past the hold after the credits, so that passes do their work
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    threads.emplace_back([&] {  // games loaded
        while (!stop) {
            FireLoadGame();
            loads.fetch_add(1, std::memory_order_relaxed);
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    });
    threads.emplace_back([&] {  // player updates
        while (!stop) {
            FirePlayerUpdate();
            passes.fetch_add(1, std::memory_order_relaxed);  // orders nothing between the threads
        }
    });
    threads.emplace_back([&] {  // the hooked call in the item menus
        while (!stop) {
            V::RunUpdatePass(true);
            passes.fetch_add(1, std::memory_order_relaxed);  // orders nothing between the threads
        }
    });
    threads.emplace_back([&] {  // game resets
        while (!stop) {
            FireGameReset(1);
            Advance(10'000);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    std::this_thread::sleep_for(std::chrono::seconds(2));
    stop = true;
    for (auto& thread : threads) thread.join();

    EXPECT_GT(passes.load(), 100);
    // Passes past the throttle and the hold ask the game which menus are open.
    EXPECT_GT(HostStringsMade() - madeBefore, 100);
    EXPECT_GT(loads.load(), 10);
    EXPECT_EQ(LiveHostStrings(), 0);
    EXPECT_EQ(InventoryLockDepth(), 0);
    EXPECT_TRUE(InventoryLockErrors().empty());
    EXPECT_TRUE(V::stateMutex.try_lock());
    V::stateMutex.unlock();
}

// The item menus' openings are taken in turn with the passes: the menu
// callback waits while a pass on another thread holds the state lock, for
// every menu it records, and returns once the pass is done.
TEST(Concurrency, MenuCallbacksWaitForAPassOnAnotherThread) {
    ResetWorld();
    ResetPluginState();
    for (const char* name : {"InventoryMenu", "PowersMenu", "FavoritesMenu"}) {
        SCOPED_TRACE(name);
        FakeMenu menu{FakeMenuTable(), name};
        std::atomic<bool> passHolds{false};
        std::atomic<bool> passMayEnd{false};
        std::atomic<bool> passDone{false};
        std::atomic<bool> callbackReturned{false};
        std::atomic<bool> returnedAfterThePass{false};
        std::thread pass([&] {  // a pass holds the state lock until the callback waits for it
            std::lock_guard lock(V::stateMutex);
            passHolds = true;
            while (!passMayEnd) std::this_thread::yield();
            passDone = true;
        });
        while (!passHolds) std::this_thread::yield();
        std::thread loader([&] {
            V::OnMenuOpen(&menu);
            returnedAfterThePass = passDone.load();
            callbackReturned = true;
        });
        while (V::stateMutex.Waiters() == 0 && !callbackReturned) std::this_thread::yield();
        EXPECT_FALSE(callbackReturned.load());
        passMayEnd = true;
        pass.join();
        loader.join();
        EXPECT_TRUE(callbackReturned.load());
        EXPECT_TRUE(returnedAfterThePass.load());
    }
}

// A game load waits for the state lock while a pass on another thread finds
// another mod's favourites movie and makes the plug-in inactive: once the load
// holds the lock it reloads nothing. The load starts while the pass waits for
// the movie's answer, and the pass goes on only once the load waits for the
// lock, so the two meet in this order every time.
TEST(Concurrency, ALoadThatWaitedWhileAPassMadeThePluginInactiveReloadsNothing) {
    ResetWorld();
    ResetPluginState();
    ClearGameFolder();
    SetNow(20'000'000'000);
    LoaderMessage ready{nullptr, 2};
    V::OnLoaderMessage(&ready);
    // The game has no icon keyword: a reload would say so in a box.
    Form* rifle = MakeForm(0x1001, typeWeapon, "Rifle");
    AddItem(rifle);
    V::quickItems[0] = reinterpret_cast<V::Game::Form*>(rifle);
    Menu* favorites = OpenMenu("FavoritesMenu");
    FavoritesMovieOptions otherMod;
    otherMod.installFlag = false;
    MakeFavoritesMovie(favorites, otherMod);
    V::OnMenuOpen(favorites);
    Advance(130);

    std::thread load;
    std::atomic<bool> loadReturned{false};
    bool loadWaited = false;
    MovieOf(favorites)->beforeGet = [&](const std::string& path) {
        if (path != "root1.Menu_mc.bVelloquinInstalled" || load.joinable()) return;
        load = std::thread([&] {
            FireLoadGame();
            loadReturned = true;
        });
        while (V::stateMutex.Waiters() == 0 && !loadReturned) std::this_thread::yield();
        loadWaited = !loadReturned;
    };
    FirePlayerUpdate();  // the pass, on this thread
    ASSERT_TRUE(load.joinable());
    load.join();

    EXPECT_TRUE(loadWaited);
    EXPECT_TRUE(V::pluginInactive);
    EXPECT_EQ(V::quickItems[0], reinterpret_cast<V::Game::Form*>(rifle));  // not read again
    ASSERT_EQ(Boxes().size(), 1u);  // the pass's box, no "no Keyword could be found"
    EXPECT_NE(Boxes()[0].text.find("FavoritesMenu.swf"), std::string::npos);
}

// The update pass and the event sinks against the test host's game: the
// throttle, the hold after credits and resets, the deferred reload, key
// polling, and the favourites menu's state machine.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "datafiles.h"
#include "equipment.h"
#include "forms.h"
#include "game_folder.h"
#include "game_runtime.h"
#include "host.h"
#include "image.h"
#include "menu/runtime.h"
#include "menus.h"
#include "player.h"
#include "plugin/exports.h"
#include "game/game_index.h"
#include "recorder.h"
#include "support/plugin_state.h"

using namespace TestHost;
namespace V = Velloquin;

namespace {

constexpr std::int64_t ms = 1'000'000;
constexpr std::int64_t start = 20'000 * ms;  // well past the hold after start

int Count(const std::string& prefix) { return static_cast<int>(RecordsStartingWith(prefix).size()); }

class UpdatePassTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWorld();
        ResetPluginState();
        ClearGameFolder();
        SetNow(start);
        LoaderMessage ready{nullptr, 2};
        V::OnLoaderMessage(&ready);
        Loader().menuCallback = &V::OnMenuOpen;
        SetEquipMarksEquipped(false);
        // A keyword, so that reloads show no box.
        AddKeywordToGame(MakeKeyword(0x900, "ui_icon_rifle", "", "Rifle"));
    }
    // Whatever a sink did, it lets the event go on to the game's other sinks.
    void TearDown() override { EXPECT_EQ(Count("event stopped"), 0); }

    V::Game::Form* CarriedWeapon(std::uint32_t id, const std::string& name) {
        Form* weapon = MakeForm(id, typeWeapon, name);
        AddItem(weapon);
        return reinterpret_cast<V::Game::Form*>(weapon);
    }

    // One frame of the game. The call redirection is not installed in this
    // executable, so the hook path's pass is run as the hook entry runs it.
    void Frame() {
        if (AssignmentMode())
            V::RunUpdatePass(true);
        else
            FirePlayerUpdate();
    }
};

}  // namespace

TEST_F(UpdatePassTest, TheLoaderMessageRegistersTheThreeSinksInOrder) {
    ASSERT_EQ(Registrations().size(), 3u);
    EXPECT_EQ(Registrations()[0].kind, EventKind::PlayerUpdate);
    EXPECT_EQ(Registrations()[1].kind, EventKind::LoadGame);
    EXPECT_EQ(Registrations()[2].kind, EventKind::GameReset);
    for (std::uint32_t type : {0u, 1u, 3u, 0x102u}) {
        LoaderMessage other{nullptr, type};
        V::OnLoaderMessage(&other);
    }
    EXPECT_EQ(Registrations().size(), 3u);
}

TEST_F(UpdatePassTest, PassesAreThrottledTo70Milliseconds) {
    Frame();
    EXPECT_EQ(V::lastUpdateTime, start);
    Advance(50);
    Frame();
    EXPECT_EQ(V::lastUpdateTime, start);
    Advance(20);
    Frame();
    EXPECT_EQ(V::lastUpdateTime, start + 70 * ms);
}

TEST_F(UpdatePassTest, NothingRunsInTheFirstTenSecondsOfTheClock) {
    SetNow(10'000 * ms - 1);
    Frame();
    EXPECT_EQ(V::lastUpdateTime, 0);
    SetNow(10'000 * ms);
    Frame();
    EXPECT_EQ(V::lastUpdateTime, 10'000 * ms);
}

TEST_F(UpdatePassTest, AHostThatIsNotReadyOrBlockedDropsThePass) {
    SetHostReady(false);
    Frame();
    EXPECT_EQ(V::lastUpdateTime, 0);
    SetHostReady(true);
    SetHostBlocked(true);
    Frame();
    EXPECT_EQ(V::lastUpdateTime, 0);
    SetHostBlocked(false);
    SetMenuOpen("PlayBinkMenu", true);
    Frame();
    EXPECT_EQ(V::lastUpdateTime, 0);
}

TEST_F(UpdatePassTest, CreditsHoldEveryPassThenOnePassReloadsOnceTheMenusAreGone) {
    WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin.ini", "[QuickKeys]\niQuickKey12=70\n");
    ShowMenu("EndGameCreditsMenu");
    ASSERT_TRUE(V::reloadPending);
    const std::int64_t credits = V::creditsMenuTime;
    Advance(9'999);
    Frame();
    Advance(1);
    ShowMenu("EndGameCreditsMenu");  // a second report keeps the first time
    EXPECT_EQ(V::creditsMenuTime, credits);
    Frame();  // ten seconds on, but the credits are still open
    EXPECT_TRUE(V::reloadPending);
    EXPECT_EQ(V::quickKeyCodes[0], 0u);
    SetMenuOpen("EndGameCreditsMenu", false);
    SetMenuOpen("PlayBinkMenu", true);
    Frame();
    EXPECT_TRUE(V::reloadPending);
    SetMenuOpen("PlayBinkMenu", false);
    Frame();
    EXPECT_FALSE(V::reloadPending);
    EXPECT_EQ(V::quickKeyCodes[0], 0x70u);  // settings were read again
    EXPECT_EQ(V::lastUpdateTime, 0);        // the reload pass leaves the throttle alone
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(UpdatePassTest, GameResetsScheduleTheSameReload) {
    FireGameReset(0);
    EXPECT_FALSE(V::reloadPending);
    FireGameReset(1);
    EXPECT_TRUE(V::reloadPending);
    const std::int64_t first = V::creditsMenuTime;
    EXPECT_EQ(first, start);
    Advance(500);
    FireGameReset(1);
    EXPECT_EQ(V::creditsMenuTime, first);
    V::pluginInactive = 1;
    V::reloadPending = 0;
    FireGameReset(1);
    EXPECT_FALSE(V::reloadPending);
}

TEST_F(UpdatePassTest, AGameLoadReloadsIconsSettingsAndItemsUnlessInactive) {
    WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin.ini", "[QuickKeys]\niQuickKey13=41\n");
    V::pluginInactive = 1;
    FireLoadGame();
    EXPECT_EQ(V::quickKeyCodes[1], 0u);
    V::pluginInactive = 0;
    FireLoadGame();
    EXPECT_EQ(V::quickKeyCodes[1], 0x41u);
}

TEST_F(UpdatePassTest, KeysArePolledInAscendingCodeOrderOncePerBoundEntry) {
    V::quickKeyCodes = {0x41, 0, 0xFF, 0x10001, 0x20, 0x41, 0x100, 0, 0, 0, 0, 0x70};
    Frame();
    const std::vector<int> expected = {0x20, 0x41, 0x41, 0x70};
    EXPECT_EQ(KeyStateQueries(), expected);
}

TEST_F(UpdatePassTest, TheLowestSlotWithThePressedCodeDecidesEvenWhenItIsEmpty) {
    V::quickKeyCodes[3] = 0x70;
    V::quickKeyCodes[5] = 0x70;
    V::quickItems[5] = CarriedWeapon(0x1001, "Rifle");
    SetKeyDown(0x70, true);
    Frame();
    EXPECT_EQ(Count("equip object"), 0);
    EXPECT_EQ(V::lastUpdateTime, start);
}

// The tests' reset gives a plug-in with no favourites menu open, whatever the
// test before had open: its first pass polls the keys.
TEST_F(UpdatePassTest, AResetPluginsFirstPassUsesAPressedKey) {
    V::favoritesMenuOpened = true;
    ResetPluginState();
    V::quickKeyCodes[0] = 0x70;
    V::quickItems[0] = CarriedWeapon(0x1001, "Rifle");
    SetKeyDown(0x70, true);
    Frame();
    EXPECT_EQ(RecordsStartingWith("equip object"), std::vector<std::string>{"equip object 00001001 Rifle (second word 0)"});
}

TEST_F(UpdatePassTest, TwoSlotsWithOneCodeActivateTheLowerSlot) {
    V::quickKeyCodes[2] = 0x46;
    V::quickKeyCodes[7] = 0x46;
    V::quickItems[2] = CarriedWeapon(0x1002, "Pistol");
    V::quickItems[7] = CarriedWeapon(0x1003, "Rifle");
    SetKeyDown(0x46, true);
    Frame();
    EXPECT_EQ(RecordsStartingWith("equip object"), std::vector<std::string>{"equip object 00001002 Pistol (second word 0)"});
}

TEST_F(UpdatePassTest, TwoKeysDownAtOnceTheLowerCodeWins) {
    V::quickKeyCodes[0] = 0x72;
    V::quickKeyCodes[1] = 0x71;
    V::quickItems[0] = CarriedWeapon(0x1004, "Knife");
    V::quickItems[1] = CarriedWeapon(0x1005, "Bat");
    SetKeyDown(0x71, true);
    SetKeyDown(0x72, true);
    Frame();
    EXPECT_EQ(RecordsStartingWith("equip object"), std::vector<std::string>{"equip object 00001005 Bat (second word 0)"});
}

TEST_F(UpdatePassTest, AKeyHeldForOneSecondActivatesOncePerThrottleWindow) {
    V::quickKeyCodes[0] = 0x70;
    V::quickItems[0] = CarriedWeapon(0x1006, "Rifle");
    SetKeyDown(0x70, true);
    for (int t = 0; t < 1000; t += 10) {
        Frame();
        Advance(10);
    }
    const int activations = Count("equip object");
    EXPECT_GE(activations, 14);
    EXPECT_LE(activations, 15);
}

TEST_F(UpdatePassTest, KeysDoNothingInAssignmentModeOrWhileTheMenuIsOpen) {
    V::quickKeyCodes[0] = 0x70;
    V::quickItems[0] = CarriedWeapon(0x1007, "Rifle");
    SetKeyDown(0x70, true);
    SetAssignmentMode(true);
    Frame();  // the hook path: the mode query answers non-null
    FirePlayerUpdate();
    EXPECT_EQ(Count("equip object"), 0);
    SetAssignmentMode(false);
    V::favoritesMenuOpened = true;
    SetMenuOpen("FavoritesMenu", true);
    Advance(100);
    ClearKeyStateQueries();
    Frame();
    EXPECT_TRUE(KeyStateQueries().empty());
    EXPECT_EQ(Count("equip object"), 0);
}

TEST_F(UpdatePassTest, TheMenuPassWaitsUntilMoreThan120MillisecondsAfterOpening) {
    Menu* menu = ShowMenu("FavoritesMenu");
    MakeFavoritesMovie(menu);
    Advance(100);
    Frame();
    EXPECT_EQ(Count("movie"), 0);
    EXPECT_EQ(V::lastUpdateTime, Now() - 100 * ms);
    Advance(20);
    Frame();  // exactly 120 ms: still settling
    EXPECT_EQ(Count("movie"), 0);
    Advance(10);
    Frame();
    EXPECT_GT(Count("movie invoke root1.Menu_mc.ConstructItem"), 0);
    EXPECT_TRUE(V::favoritesMenuPopulated);
}

TEST_F(UpdatePassTest, AMenuThatNeverWorksIsClosedAfter1200MillisecondsOfFailures) {
    SetInventoryPresent(false);  // every menu pass fails
    SetCloseOnRequest(false);
    Menu* menu = ShowMenu("FavoritesMenu");
    MakeFavoritesMovie(menu);
    Advance(130);
    Frame();
    ASSERT_TRUE(V::populateFailed);
    const std::int64_t firstFailure = V::populateFailTime;
    for (int i = 0; i < 17; ++i) {  // up to 1190 ms after the first failure
        Advance(70);
        Frame();
    }
    EXPECT_EQ(V::populateFailTime, firstFailure);
    EXPECT_TRUE(CloseRequests().empty());
    Advance(70);  // 1260 ms
    Frame();
    ASSERT_EQ(CloseRequests().size(), 1u);
    EXPECT_EQ(CloseRequests()[0], "FavoritesMenu");
    Advance(70);
    Frame();
    EXPECT_EQ(CloseRequests().size(), 2u);  // asked again while the menu stays open
    SetMenuOpen("FavoritesMenu", false);
    Advance(70);
    Frame();
    EXPECT_FALSE(V::favoritesMenuOpened);
    EXPECT_FALSE(V::populateFailed);
    EXPECT_EQ(V::openFavoritesMenu, nullptr);
    EXPECT_EQ(LiveHostStrings(), 0);
}

// A failure belongs to one opening of the menu: after the player closes and
// opens it again, the old failure's time does not close the new one, whether
// or not a pass saw the menu closed in between.
TEST_F(UpdatePassTest, AFillThatFailedOnAnEarlierOpeningDoesNotCloseTheNextOne) {
    for (const bool passSeesItClosed : {false, true}) {
        SCOPED_TRACE(passSeesItClosed ? "a pass ran while it was closed" : "reopened between two passes");
        SetInventoryPresent(false);
        MakeFavoritesMovie(ShowMenu("FavoritesMenu"));
        Advance(130);
        Frame();
        ASSERT_TRUE(V::populateFailed);
        Advance(1100);
        SetMenuOpen("FavoritesMenu", false);
        if (passSeesItClosed) Frame();
        SetInventoryPresent(true);
        MakeFavoritesMovie(ShowMenu("FavoritesMenu"));
        Advance(130);  // 1230 ms after the first opening's failure
        Frame();
        EXPECT_TRUE(CloseRequests().empty());
        EXPECT_TRUE(V::favoritesMenuPopulated);
        EXPECT_FALSE(V::populateFailed);
        SetMenuOpen("FavoritesMenu", false);
        Advance(70);
        Frame();
    }
}

// Each timing rule one nanosecond before and exactly at the point where it changes.
TEST_F(UpdatePassTest, TimingBoundariesOfTheThrottleTheHoldsAndTheForcedClose) {
    Frame();
    SetNow(start + 70 * ms - 1);
    Frame();
    EXPECT_EQ(V::lastUpdateTime, start);
    SetNow(start + 70 * ms);
    Frame();
    EXPECT_EQ(V::lastUpdateTime, start + 70 * ms);

    FireGameReset(1);  // holds every pass for ten seconds, then reloads
    const std::int64_t reset = Now();
    SetNow(reset + 10'000 * ms - 1);
    Frame();
    EXPECT_TRUE(V::reloadPending);
    SetNow(reset + 10'000 * ms);
    Frame();
    EXPECT_FALSE(V::reloadPending);

    SetInventoryPresent(false);  // every menu pass fails
    SetCloseOnRequest(false);
    MakeFavoritesMovie(ShowMenu("FavoritesMenu"));
    const std::int64_t opened = Now();
    SetNow(opened + 121 * ms - 1);  // whole milliseconds: still 120
    Frame();
    EXPECT_FALSE(V::populateFailed);
    SetNow(opened + 121 * ms);
    Frame();
    ASSERT_TRUE(V::populateFailed);
    const std::int64_t failed = Now();
    for (const std::int64_t late : {1201 * ms - 1, 1201 * ms}) {
        V::lastUpdateTime = 0;
        SetNow(failed + late);
        Frame();
    }
    EXPECT_EQ(CloseRequests().size(), 1u);
    EXPECT_EQ(V::lastUpdateTime, failed + 1201 * ms);
}

TEST_F(UpdatePassTest, OnlyTheHookPathWritesTheItemsFileWhenTheMenuCloses) {
    const std::string items = ".\\Data\\QVEX\\Plugins\\Velloquin\\VelloquinItems_2A.txt";
    SetPlayerId(0x2A);
    WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin\\keep.txt", "");

    V::favoritesMenuOpened = true;  // closed since: the sink path only resets
    Frame();
    EXPECT_FALSE(V::favoritesMenuOpened);
    EXPECT_FALSE(GameFileExists(items));

    V::favoritesMenuOpened = true;
    SetAssignmentMode(true);
    Advance(70);
    Frame();
    EXPECT_FALSE(V::favoritesMenuOpened);
    EXPECT_TRUE(GameFileExists(items));
}

TEST_F(UpdatePassTest, AfterTheInstallCheckFailsNothingRunsAgain) {
    V::quickKeyCodes[0] = 0x70;
    V::quickItems[0] = CarriedWeapon(0x1008, "Rifle");
    Menu* menu = ShowMenu("FavoritesMenu");
    FavoritesMovieOptions otherMod;
    otherMod.installFlag = false;
    MakeFavoritesMovie(menu, otherMod);
    Advance(130);
    Frame();
    EXPECT_TRUE(V::pluginInactive);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].text.find("FavoritesMenu.swf"), std::string::npos);
    SetMenuOpen("FavoritesMenu", false);
    SetKeyDown(0x70, true);
    const std::int64_t last = V::lastUpdateTime;
    for (int i = 0; i < 10; ++i) {
        Advance(70);
        Frame();
    }
    EXPECT_EQ(V::lastUpdateTime, last);
    EXPECT_EQ(Count("equip object"), 0);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(V::favoritesMenuOpened);  // nothing runs, not even the closing step
}

TEST_F(UpdatePassTest, APassSkipsWhileAnotherThreadHoldsTheStateLock) {
    V::stateMutex.lock();
    std::thread other([] { V::RunUpdatePass(false); });
    other.join();
    V::stateMutex.unlock();
    EXPECT_EQ(V::lastUpdateTime, 0);
}

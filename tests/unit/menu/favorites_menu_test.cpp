// The favourites menu at work: filling the movie, using a slot's item, and
// the player's choices in free play and in assignment mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "equipment.h"
#include "forms.h"
#include "game_runtime.h"
#include "host.h"
#include "menu/runtime.h"
#include "menus.h"
#include "player.h"
#include "recorder.h"
#include "support/plugin_state.h"

using namespace TestHost;
namespace V = Velloquin;

namespace {

const std::string favoritesArray = "root1.Menu_mc.FavoritesInfoA";

V::Game::Form* G(Form* form) { return reinterpret_cast<V::Game::Form*>(form); }

int Count(const std::string& prefix) { return static_cast<int>(RecordsStartingWith(prefix).size()); }

class FavoritesMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWorld();
        ResetPluginState();
        SetEquipMarksEquipped(false);
    }

    Menu* OpenFavorites(const FavoritesMovieOptions& options = {}) {
        Menu* menu = OpenMenu("FavoritesMenu");
        MakeFavoritesMovie(menu, options);
        V::favoritesMenuOpened = true;
        V::openFavoritesMenu = reinterpret_cast<V::Game::Menu*>(menu);
        return menu;
    }
    std::size_t Entries(Menu* menu) { return MovieOf(menu)->arrays[favoritesArray].size(); }
    std::string Entry(Menu* menu, std::size_t index, const std::string& field) {
        return MovieOf(menu)->arrays[favoritesArray].at(index)[field];
    }
};

}  // namespace

// ---- filling the movie
TEST_F(FavoritesMenuTest, TwelveEmptySlotsArePushedThenPaddedTo24Entries) {
    V::quickKeyVisible[4] = false;
    Menu* menu = OpenFavorites();
    ASSERT_TRUE(V::ProcessOpenFavoritesMenu());
    ASSERT_EQ(Entries(menu), 24u);
    EXPECT_EQ(Count("movie set root1.Menu_mc.ConstructItemArrayIndex"), 12);
    EXPECT_EQ(Count("movie set root1.Menu_mc.ConstructItemName"), 0);
    EXPECT_EQ(Count("movie invoke root1.Menu_mc.ConstructItem"), 24);
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(Entry(menu, i, "ConstructItemArrayIndex"), std::to_string(i));
        EXPECT_EQ(Entry(menu, i, "ConstructItemIconDirectoryName"), "");
    }
    const auto visible = RecordsStartingWith("movie set root1.Menu_mc.ConstructItemVisible");
    ASSERT_EQ(visible.size(), 24u);
    EXPECT_NE(visible[4].find("false"), std::string::npos);
    EXPECT_NE(visible[3].find("true"), std::string::npos);
    EXPECT_NE(visible[12 + 4].find("true"), std::string::npos);  // padding reads the length as the slot
}

TEST_F(FavoritesMenuTest, ASlotWhoseItemIsGoneIsShownEmptyAndKeepsItsItem) {
    Form* dropped = MakeForm(0x2001, typeWeapon, "Old Rifle");
    V::quickItems[5] = G(dropped);
    Menu* menu = OpenFavorites();
    ASSERT_TRUE(V::ProcessOpenFavoritesMenu());
    EXPECT_EQ(Count("movie set root1.Menu_mc.ConstructItemName"), 0);
    EXPECT_EQ(Entry(menu, 5, "ConstructItemArrayIndex"), "5");
    EXPECT_EQ(V::quickItems[5], G(dropped));
}

TEST_F(FavoritesMenuTest, AFilledSlotPushesEveryValueInOrderAndSkipsZeroDamage) {
    Form* physical = MakeForm(0x2E3, 1, "Physical");
    Form* energy = MakeForm(0x2EB, 1, "Energy");
    MakeForm(0x392, 1, "EM");
    Form* rifle = MakeForm(0x2002, typeWeapon, "Laser Rifle");
    AddItem(rifle);
    SetDamage(rifle, {{physical, 12.9f}, {energy, 30.0f}});
    V::quickItems[0] = G(rifle);
    OpenFavorites();
    ASSERT_TRUE(V::ProcessOpenFavoritesMenu());
    std::vector<std::string> sets;
    for (const auto& line : RecordsStartingWith("movie set ")) {
        if (sets.size() == 15) break;
        sets.push_back(line.substr(std::string("movie set root1.Menu_mc.").size(),
                                   line.find(' ', std::string("movie set root1.Menu_mc.").size()) -
                                       std::string("movie set root1.Menu_mc.").size()));
    }
    const std::vector<std::string> expected = {
        "ConstructItemName",          "ConstructItemCount",       "ConstructItemIsPower",
        "ConstructItemAmmoName",      "ConstructItemAmmoCount",   "ConstructItemIsEquippable",
        "ConstructItemIsEquipped",    "ConstructItemDamagePhysical", "ConstructItemDamageEnergy",
        "ConstructItemQuickKeyName",  "ConstructItemIconName",    "ConstructItemIconDirectoryName",
        "ConstructItemArrayIndex",    "ConstructItemVisible",     "ConstructItemIconDirectoryName"};
    EXPECT_EQ(sets, expected);
    EXPECT_EQ(Count("movie set root1.Menu_mc.ConstructItemDamageEM"), 0);
    const auto damage = RecordsStartingWith("movie set root1.Menu_mc.ConstructItemDamagePhysical");
    ASSERT_EQ(damage.size(), 1u);
    EXPECT_NE(damage[0].find("UInt 12"), std::string::npos) << damage[0];
    const auto key = RecordsStartingWith("movie set root1.Menu_mc.ConstructItemQuickKeyName");
    ASSERT_EQ(key.size(), 1u);
    EXPECT_NE(key[0].find("\"\""), std::string::npos) << key[0];  // no bound key: the empty name
}

TEST_F(FavoritesMenuTest, AFullArrayGetsNoPaddingAndANeverGrowingArrayStopsAfter100Tries) {
    FavoritesMovieOptions full;
    full.initialEntries = 30;
    Menu* menu = OpenFavorites(full);
    V::favoritesMenuPopulated = true;  // only the padding runs
    ASSERT_TRUE(V::ProcessOpenFavoritesMenu());
    EXPECT_EQ(Entries(menu), 30u);
    EXPECT_EQ(Count("movie invoke"), 0);

    ResetWorld();
    FavoritesMovieOptions stuck;
    stuck.arrayGrows = false;
    OpenFavorites(stuck);
    V::favoritesMenuPopulated = false;
    EXPECT_TRUE(V::ProcessOpenFavoritesMenu());
    EXPECT_EQ(Count("movie invoke root1.Menu_mc.ConstructItem"), 12 + 100);
}

TEST_F(FavoritesMenuTest, AMovieOfAnotherModShowsOneBoxAndSwitchesThePluginOff) {
    FavoritesMovieOptions otherMod;
    otherMod.installFlag = false;
    OpenFavorites(otherMod);
    EXPECT_FALSE(V::ProcessOpenFavoritesMenu());
    EXPECT_TRUE(V::pluginInactive);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text,
              "An error has occured in function Velloquin::ProcessOpenFavoritesMenu at line 627\n\n\nError text: \n -> "
              "The extended FavoritesMenu is inaccessible, FavoritesMenu.swf is possibly overwritten by another mod. "
              "Velloquin will be inactive.\n\n\nWould you like to exit?");
    EXPECT_EQ(Count("movie set"), 0);
}

TEST_F(FavoritesMenuTest, AnInstallFlagThatIsFalseCountsAsAnotherModsMovie) {
    FavoritesMovieOptions off;
    off.installed = false;
    OpenFavorites(off);
    EXPECT_FALSE(V::ProcessOpenFavoritesMenu());
    EXPECT_TRUE(V::pluginInactive);
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(FavoritesMenuTest, NoInventoryListFailsThePassWithoutTouchingTheMovie) {
    SetInventoryPresent(false);
    OpenFavorites();
    EXPECT_FALSE(V::ProcessOpenFavoritesMenu());
    EXPECT_EQ(Count("movie"), 0);
    EXPECT_EQ(InventoryLockDepth(), 0);
}

// ---- a movie that refuses values or calls
TEST_F(FavoritesMenuTest, ARefusedIconDirectoryInAnEmptySlotEndsTheSlotLoop) {
    Menu* menu = OpenFavorites();
    MovieOf(menu)->refuseSetsFrom = 10;  // slots 0-2 take three values each; slot 3's first is refused
    EXPECT_TRUE(V::ProcessOpenFavoritesMenu());  // padding stops at its first refused push
    EXPECT_EQ(Entries(menu), 3u);
    EXPECT_EQ(Count("movie set root1.Menu_mc.ConstructItemArrayIndex"), 3);
    EXPECT_EQ(Count("movie set root1.Menu_mc.ConstructItemIconDirectoryName"), 4 + 1);
}

TEST_F(FavoritesMenuTest, AnyOtherRefusedValueSkipsOnlyThatSlot) {
    Form* rifle = MakeForm(0x2003, typeWeapon, "Rifle");
    AddItem(rifle);
    V::quickItems[0] = G(rifle);
    Menu* menu = OpenFavorites();
    MovieOf(menu)->Variable("root1.Menu_mc.ConstructItemName")->refuseWrites = true;  // the filled slot 0
    MovieOf(menu)->Variable("root1.Menu_mc.ConstructItemArrayIndex")->refuseWrites = true;  // every slot
    EXPECT_TRUE(V::ProcessOpenFavoritesMenu());
    EXPECT_EQ(Count("movie set root1.Menu_mc.ConstructItemArrayIndex"), 11);
    EXPECT_EQ(Count("movie set root1.Menu_mc.ConstructItemCount"), 0);
    EXPECT_EQ(Entries(menu), 24u);  // all 24 are padding: no slot reached its ConstructItem call

    ResetWorld();
    V::quickItems.fill(nullptr);
    menu = OpenFavorites();
    MovieOf(menu)->Variable("root1.Menu_mc.ConstructItemVisible")->refuseWrites = true;
    EXPECT_TRUE(V::ProcessOpenFavoritesMenu());
    EXPECT_EQ(Count("movie set root1.Menu_mc.ConstructItemArrayIndex"), 12);
    EXPECT_EQ(Count("movie invoke"), 0);
}

TEST_F(FavoritesMenuTest, AFailedConstructItemCallFailsThePassInASlotOrInThePadding) {
    Form* rifle = MakeForm(0x2004, typeWeapon, "Rifle");
    AddItem(rifle);
    V::quickItems[1] = G(rifle);
    for (int failing : {1, 2, 13}) {  // an empty slot, a filled slot, the first padding entry
        ResetWorld();
        AddItem(rifle);
        ResetPluginState();
        V::quickItems[1] = G(rifle);
        Menu* menu = OpenFavorites();
        MovieOf(menu)->failInvokesFrom = failing;
        EXPECT_FALSE(V::ProcessOpenFavoritesMenu()) << failing;
        EXPECT_EQ(Count("movie invoke"), failing) << failing;
        EXPECT_EQ(Entries(menu), static_cast<std::size_t>(failing - 1)) << failing;
    }
}

TEST_F(FavoritesMenuTest, PaddingShowsAnEntryAsItsSlotOnlyBelowTwelve) {
    V::quickKeyVisible[4] = false;
    V::quickKeyVisible[11] = false;
    V::favoritesMenuPopulated = true;  // only the padding runs, from an empty array
    OpenFavorites();
    EXPECT_TRUE(V::ProcessOpenFavoritesMenu());
    std::string shown;
    for (const auto& line : RecordsStartingWith("movie set root1.Menu_mc.ConstructItemVisible"))
        shown += line.find("true") != std::string::npos ? '1' : '0';
    EXPECT_EQ(shown, "111101111110111111111111");
}

TEST_F(FavoritesMenuTest, ALengthReadThatFailsFailsThePassUnlessItIsThePaddingsSecondRead) {
    // The array's length is read by finding the menu by name: one name query per read.
    for (int lost : {1, 2, 3}) {  // the install-time read, padding's first read, its second read
        ResetWorld();
        ResetPluginState();
        Menu* menu = OpenFavorites();
        menu->nullNameFrom = lost;
        EXPECT_EQ(V::ProcessOpenFavoritesMenu(), lost == 3) << lost;
        EXPECT_EQ(Count("movie invoke"), lost == 1 ? 0 : 12) << lost;  // the slots, but no padding
    }
}

// ---- using a slot's item
TEST_F(FavoritesMenuTest, AWornItemIsLeftAlone) {
    Form* suit = MakeForm(0x3001, typeEquipment, "Suit");
    AddItem(suit);
    SetEquipped(suit, true);
    V::ActivateQuickItem(G(suit));
    EXPECT_EQ(Count("equip"), 0);
}

TEST_F(FavoritesMenuTest, TheFirstEntryWithStacksOfTheItemIsEquipped) {
    Form* rifle = MakeForm(0x3002, typeWeapon, "Rifle");
    const std::size_t empty = AddItem(rifle, 0, 0);
    const std::size_t carried = AddItem(rifle, 1, 1);
    EntryAt(empty).secondWord = 111;
    EntryAt(carried).secondWord = 222;
    V::ActivateQuickItem(G(rifle));
    EXPECT_EQ(RecordsStartingWith("equip object"),
              std::vector<std::string>{"equip object 00003002 Rifle (second word 222)"});
    EXPECT_EQ(InventoryLockDepth(), 0);
}

TEST_F(FavoritesMenuTest, ADroppedItemEquipsNothing) {
    Form* rifle = MakeForm(0x3003, typeWeapon, "Rifle");
    V::quickItems[0] = G(rifle);
    V::ActivateQuickItem(G(rifle));
    EXPECT_EQ(Count("equip"), 0);
    EXPECT_EQ(V::quickItems[0], G(rifle));
}

TEST_F(FavoritesMenuTest, PowersBecomeTheActivePowerUnlessTheyAlreadyAre) {
    Form* power = MakeForm(0x3004, typePower, "Antigravity");
    V::ActivateQuickItem(G(power));
    EXPECT_EQ(RecordsStartingWith("equip power"), std::vector<std::string>{"equip power 00003004 Antigravity"});
    EXPECT_EQ(Count("power follow-up 00003004"), 1);
    ClearRecords();
    V::ActivateQuickItem(G(power));  // now the current power
    EXPECT_EQ(Count("equip power"), 0);
    EXPECT_EQ(Count("power follow-up"), 0);
}

TEST_F(FavoritesMenuTest, WithoutAPlayerAPowerOnlyGetsTheFollowUp) {
    Form* power = MakeForm(0x3005, typePower, "Sense Star Stuff");
    Form* rifle = MakeForm(0x3006, typeWeapon, "Rifle");
    SetPlayerPresent(false);
    V::ActivateQuickItem(G(power));
    V::ActivateQuickItem(G(rifle));
    EXPECT_EQ(Records(), std::vector<std::string>{"power follow-up 00003005"});
}

// ---- the player's choice
namespace {

class SelectionTest : public FavoritesMenuTest {
protected:
    void SetUp() override {
        FavoritesMenuTest::SetUp();
        menu = OpenFavorites();
        rifle = MakeForm(0x4001, typeWeapon, "Rifle");
        pistol = MakeForm(0x4002, typeWeapon, "Pistol");
        AddItem(rifle);
        AddItem(pistol);
    }
    void Choose(std::int32_t number) {
        SelectQuickKey(menu, number);
        V::ProcessMenuSelection();
    }
    void Assign(Form* item, const char* fromMenu = "InventoryMenu") {
        SetAssignmentMode(true);
        if (fromMenu) SetMenuOpen(fromMenu, true);
        SetItemBeingAssigned(item);
    }
    Menu* menu = nullptr;
    Form* rifle = nullptr;
    Form* pistol = nullptr;
};

}  // namespace

TEST_F(SelectionTest, NumbersOutsideTheSlotsDoNothing) {
    V::quickItems[3] = G(rifle);
    for (int number : {-1, 24, 10, 11, 4}) Choose(number);  // free play
    Assign(pistol);
    for (int number : {-1, 24, 11}) Choose(number);
    EXPECT_EQ(Count("equip"), 0);
    EXPECT_EQ(V::quickItems[3], G(rifle));
    for (std::size_t i = 0; i < 12; ++i) {
        if (i != 3) {
            EXPECT_EQ(V::quickItems[i], nullptr) << i;
        }
    }
}

TEST_F(SelectionTest, InFreePlayAChosenExtraSlotIsUsedOnEveryPass) {
    V::quickItems[3] = G(rifle);
    Choose(15);
    V::ProcessMenuSelection();
    EXPECT_EQ(Count("equip object 00004001"), 2);
}

TEST_F(SelectionTest, AssignmentPutsTheItemInTheChosenSlotAndMovesItFromItsOldOne) {
    V::quickItems[2] = G(rifle);
    Assign(rifle);
    Choose(20);
    EXPECT_EQ(V::quickItems[8], G(rifle));
    EXPECT_EQ(V::quickItems[2], nullptr);
    Choose(20);  // the number stays: the same effect again
    EXPECT_EQ(V::quickItems[8], G(rifle));
    EXPECT_EQ(Count("equip"), 0);
}

TEST_F(SelectionTest, ChoosingANativeSlotClearsBothItsItemAndTheAssignedOne) {
    Form* knife = MakeForm(0x4003, typeWeapon, "Knife");
    AddItem(knife);
    for (int native : {0, 2, 9}) {  // the first native slot, one between, the last
        V::quickItems[0] = G(pistol);
        V::quickItems[6] = G(rifle);
        V::quickItems[9] = G(knife);  // a different item: it stays
        SetNativeSlot(native, pistol);
        Assign(rifle, "PowersMenu");
        Choose(native);
        for (std::size_t i = 0; i < 12; ++i)
            EXPECT_EQ(V::quickItems[i], i == 9 ? G(knife) : nullptr) << "native slot " << native << ", slot " << i;
    }
}

TEST_F(SelectionTest, AssignmentNeedsAnItemMenuAndAnItem) {
    Assign(rifle, nullptr);
    Choose(20);
    EXPECT_EQ(V::quickItems[8], nullptr);
    SetMenuOpen("InventoryMenu", true);
    SetItemBeingAssigned(nullptr);
    Choose(20);
    EXPECT_EQ(V::quickItems[8], nullptr);
}

TEST_F(SelectionTest, TheSelectionIsReadOnlyOnceTheSlotsArePushed) {
    V::quickItems[3] = G(rifle);
    SelectQuickKey(menu, 15);
    V::favoritesMenuPopulated = false;
    ASSERT_TRUE(V::ProcessOpenFavoritesMenu());
    EXPECT_EQ(Count("equip"), 0);
    V::favoritesMenuPopulated = true;
    ASSERT_TRUE(V::ProcessOpenFavoritesMenu());
    EXPECT_EQ(Count("equip object 00004001"), 1);
}

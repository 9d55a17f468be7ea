// The values of one favourites tile, worked out from the player's inventory and powers.
#include <gtest/gtest.h>

#include "config/key_names.h"
#include "forms.h"
#include "host.h"
#include "items/icons.h"
#include "items/slot_details.h"
#include "player.h"
#include "core/state.h"
#include "recorder.h"

namespace {

using namespace Velloquin;
using TestHost::Form;

const Game::Form* AsGame(const Form* form) { return reinterpret_cast<const Game::Form*>(form); }
Game::Player* GamePlayer() { return reinterpret_cast<Game::Player*>(&TestHost::ThePlayer()); }
Game::InventoryList* GameInventory() {
    return reinterpret_cast<Game::InventoryList*>(TestHost::ThePlayer().inventory);
}

class SlotDetailsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestHost::ResetWorld();
        quickKeyVisible.fill(true);
        quickKeyCodes.fill(0);
        grenade = TestHost::MakeKeyword(0x12345, "WeaponTypeGrenade");
        mine = TestHost::MakeKeyword(0xE56C4, "WeaponTypeMine");
        pistolIcon = TestHost::MakeKeyword(0x900, "ui_icon_pistol", "", "Pistol");
        for (Form* k : {grenade, mine, pistolIcon}) TestHost::AddKeywordToGame(k);
        PrecacheIconKeywords();
        physical = TestHost::MakeForm(0x2E3, 0);
        em = TestHost::MakeForm(0x392, 0);
        energy = TestHost::MakeForm(0x2EB, 0);
    }
    void TearDown() override {
        EXPECT_EQ(TestHost::InventoryLockDepth(), 0);
        quickKeyCodes.fill(0);
    }

    SlotDetails Compute(std::int32_t index, const Form* form, bool expectFound = true) {
        SlotDetails details = MakeSlotDetails(index);
        details.name = "stale";
        EXPECT_EQ(ComputeSlotDetails(index, AsGame(form), GamePlayer(), GameInventory(), details), expectFound);
        return details;
    }

    Form* grenade = nullptr;
    Form* mine = nullptr;
    Form* pistolIcon = nullptr;
    Form* physical = nullptr;
    Form* em = nullptr;
    Form* energy = nullptr;
};

TEST_F(SlotDetailsTest, ResetValues) {
    quickKeyVisible.at(4) = false;
    const SlotDetails four = MakeSlotDetails(4);
    EXPECT_EQ(four.arrayIndex, 4);
    EXPECT_FALSE(four.visible);
    EXPECT_EQ(four.displayForm, nullptr);
    EXPECT_TRUE(four.name.empty());
    EXPECT_EQ(four.damagePhysical, 0.0f);
    EXPECT_TRUE(MakeSlotDetails(12).visible);
    EXPECT_TRUE(MakeSlotDetails(-1).visible);
}

TEST_F(SlotDetailsTest, CarriedWeapon) {
    Form* ammo = TestHost::MakeForm(0x300, 41, "Plasma Cell");
    Form* pistol = TestHost::MakeForm(0x100, TestHost::typeWeapon, "Plasma Pistol");
    TestHost::AddKeyword(pistol, pistolIcon);
    TestHost::SetAmmunition(pistol, ammo);
    TestHost::AddItem(TestHost::MakeForm(0x999, TestHost::typeConsumable, "Water"), 3);
    const std::size_t at = TestHost::AddItem(pistol, 1, 3);
    TestHost::ClearStackExtraList(at, 0);
    TestHost::SetStackName(at, 2, "Old Faithful");
    TestHost::AddItem(ammo, 120);
    TestHost::SetEquipped(pistol, true);
    TestHost::SetDamage(pistol, {{physical, 10.0f}, {em, 2.5f}, {nullptr, 99.0f}, {physical, 14.75f},
                                 {TestHost::MakeForm(0x2E4, 0), 50.0f}, {energy, 0.5f}});
    quickKeyCodes.at(3) = 0x47;
    TestHost::ClearRecords();

    const SlotDetails d = Compute(3, pistol);
    EXPECT_EQ(d.displayForm, AsGame(pistol));
    EXPECT_EQ(d.arrayIndex, 3);
    EXPECT_EQ(d.name, "Old Faithful");
    EXPECT_EQ(d.count, 0u);
    EXPECT_EQ(d.ammoName, "Plasma Cell");
    EXPECT_EQ(d.ammoCount, 120u);
    EXPECT_FALSE(d.isPower);
    EXPECT_TRUE(d.isEquippable);
    EXPECT_TRUE(d.isEquipped);
    EXPECT_EQ(d.damagePhysical, 14.75f);  // the later pair of the same type
    EXPECT_EQ(d.damageEM, 2.5f);
    EXPECT_EQ(d.damageEnergy, 0.5f);
    EXPECT_EQ(d.iconName, "Pistol");
    EXPECT_EQ(d.iconDirectoryName, "WeaponIcons");
    EXPECT_EQ(d.quickKeyName, GetKeyName(0x47));
    EXPECT_FALSE(d.quickKeyName.empty());
    EXPECT_TRUE(d.visible);
    EXPECT_EQ(TestHost::RecordsStartingWith("WeaponDamage"), std::vector<std::string>{"WeaponDamage 00000100"});
    EXPECT_TRUE(TestHost::RecordsStartingWith("EquipmentDamage").empty());
}

TEST_F(SlotDetailsTest, StackNamesFallBackToFormName) {
    Form* rifle = TestHost::MakeForm(0x101, TestHost::typeWeapon, "Rifle");
    const std::size_t at = TestHost::AddItem(rifle, 1, 2);
    TestHost::SetStackName(at, 0, "");                 // empty name
    TestHost::SetStackName(at, 1, "Hidden", true);     // reference entry: no inline text
    const SlotDetails d = Compute(0, rifle);
    EXPECT_EQ(d.name, "Rifle");
    // Without an ammunition form both ammunition fields keep their reset values.
    EXPECT_EQ(d.ammoCount, 0u);
    EXPECT_TRUE(d.ammoName.empty());
    EXPECT_EQ(d.iconName, "Weapon_Generic");
    EXPECT_TRUE(d.quickKeyName.empty());

    // Custom names count for equipment, not for consumables.
    Form* suit = TestHost::MakeForm(0x102, TestHost::typeEquipment, "Suit");
    TestHost::SetStackName(TestHost::AddItem(suit), 0, "My Suit");
    EXPECT_EQ(Compute(1, suit).name, "My Suit");
    Form* stim = TestHost::MakeForm(0x103, TestHost::typeConsumable, "Stim");
    TestHost::SetStackName(TestHost::AddItem(stim, 4), 0, "Named Stim");
    EXPECT_EQ(Compute(2, stim).name, "Stim");
}

TEST_F(SlotDetailsTest, GrenadeShowsItsCountAndNoAmmunition) {
    Form* ammo = TestHost::MakeForm(0x301, 41, "Fuse");
    Form* frag = TestHost::MakeForm(0x104, TestHost::typeWeapon, "Frag Grenade");
    TestHost::AddKeyword(frag, grenade);
    TestHost::SetAmmunition(frag, ammo);
    TestHost::AddItem(frag, 5);
    TestHost::AddItem(ammo, 30);
    const SlotDetails d = Compute(0, frag);
    EXPECT_EQ(d.count, 5u);
    EXPECT_EQ(d.ammoCount, 0u);
    EXPECT_TRUE(d.ammoName.empty());
    EXPECT_EQ(d.iconName, "Grenade");
    EXPECT_EQ(d.iconDirectoryName, "FavoritesMenu");

    Form* trap = TestHost::MakeForm(0x105, TestHost::typeWeapon, "Mine");
    TestHost::AddKeyword(trap, mine);
    TestHost::AddItem(trap, 2);
    EXPECT_EQ(Compute(1, trap).count, 2u);
}

TEST_F(SlotDetailsTest, ConsumableAndEquipment) {
    Form* stim = TestHost::MakeForm(0x106, TestHost::typeConsumable, "Stim");
    TestHost::AddItem(stim, 2);
    TestHost::AddItem(stim, 3);
    TestHost::SetDamage(stim, {{physical, 4.0f}});
    Form* suit = TestHost::MakeForm(0x107, TestHost::typeEquipment, "Suit");
    TestHost::AddItem(suit, 1);
    TestHost::SetDamage(suit, {{energy, 7.0f}});
    TestHost::ClearRecords();

    const SlotDetails s = Compute(0, stim);
    EXPECT_EQ(s.count, 5u);
    EXPECT_FALSE(s.isEquippable);
    EXPECT_FALSE(s.isEquipped);
    EXPECT_EQ(s.damagePhysical, 0.0f);
    EXPECT_TRUE(s.iconName.empty());
    EXPECT_TRUE(s.iconDirectoryName.empty());

    const SlotDetails e = Compute(1, suit);
    EXPECT_EQ(e.count, 0u);
    EXPECT_TRUE(e.isEquippable);
    EXPECT_FALSE(e.isEquipped);
    EXPECT_EQ(e.damageEnergy, 7.0f);
    EXPECT_EQ(TestHost::RecordsStartingWith("EquipmentDamage"), std::vector<std::string>{"EquipmentDamage 00000107"});
    EXPECT_TRUE(TestHost::RecordsStartingWith("WeaponDamage").empty());
}

TEST_F(SlotDetailsTest, OwnedPowerNotCarried) {
    Form* power = TestHost::MakeForm(0x200, TestHost::typePower, "Grav Dash");
    TestHost::AddKeyword(power, pistolIcon);
    Form* almost = TestHost::MakeForm(0x201, TestHost::typePower, "Almost");
    Form* unowned = TestHost::MakeForm(0x202, TestHost::typePower, "Unowned");
    for (Form* p : {almost, power, unowned}) TestHost::AddPowerToGame(p);
    TestHost::GivePower(power);
    TestHost::GivePower(almost, 0.99f);  // only exactly 1.0 means owned
    TestHost::SetEquipped(power, false);

    EXPECT_EQ(GetOwnedPowers(GamePlayer()), std::vector<const Game::Form*>{AsGame(power)});
    quickKeyVisible.at(6) = false;
    const SlotDetails d = Compute(6, power);
    EXPECT_EQ(d.displayForm, AsGame(power));
    EXPECT_EQ(d.name, "Grav Dash");
    EXPECT_TRUE(d.isPower);
    EXPECT_TRUE(d.isEquipped);
    EXPECT_FALSE(d.isEquippable);
    EXPECT_EQ(d.iconName, "Pistol");
    EXPECT_EQ(d.iconDirectoryName, "PowersLibrary");
    EXPECT_FALSE(d.visible);

    // Found by form id: a stale copy of the form finds the owned power.
    Form copy = *power;
    copy.name = "Copy";
    EXPECT_EQ(Compute(7, &copy).displayForm, AsGame(power));

    const SlotDetails none = Compute(8, almost, false);
    EXPECT_EQ(none.displayForm, nullptr);
    EXPECT_TRUE(none.name.empty());
    EXPECT_EQ(none.arrayIndex, 8);
}

TEST_F(SlotDetailsTest, NothingFound) {
    Form* gone = TestHost::MakeForm(0x108, TestHost::typeWeapon, "Gone");
    quickKeyCodes.at(5) = 0x47;
    quickKeyVisible.at(5) = false;
    const SlotDetails d = Compute(5, gone, false);
    EXPECT_EQ(d.arrayIndex, 5);
    EXPECT_FALSE(d.visible);
    EXPECT_TRUE(d.name.empty());
    EXPECT_TRUE(d.quickKeyName.empty());
    EXPECT_FALSE(d.isEquipped);
    Compute(5, nullptr, false);

    // A player but no data handler: no powers to look through, an empty tile.
    TestHost::SetDataHandlerPresent(false);
    EXPECT_TRUE(Compute(5, gone, false).name.empty());
    TestHost::SetDataHandlerPresent(true);

    // An absent inventory list reads as nothing carried.
    TestHost::AddItem(gone);
    TestHost::SetInventoryPresent(false);
    Compute(5, gone, false);
}

TEST_F(SlotDetailsTest, InventoryListReadUnderTheHostLock) {
    TestHost::ClearRecords();
    EXPECT_EQ(Game::ReadInventoryList(GamePlayer()), GameInventory());
    TestHost::SetInventoryPresent(false);
    EXPECT_EQ(Game::ReadInventoryList(GamePlayer()), nullptr);
    const std::vector<std::string> expected{"InventoryLock", "InventoryUnlock", "InventoryLock", "InventoryUnlock"};
    EXPECT_EQ(TestHost::Records(), expected);
    EXPECT_TRUE(TestHost::InventoryLockErrors().empty());
}

}  // namespace

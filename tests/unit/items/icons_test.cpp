// The icon keyword table and the icon chosen for a form.
#include <gtest/gtest.h>

#include "forms.h"
#include "host.h"
#include "items/icons.h"

namespace {

using namespace Velloquin;
using TestHost::Form;

const Game::Form* AsGame(const Form* form) { return reinterpret_cast<const Game::Form*>(form); }

TEST(CategoryIconNameTest, Transformations) {
    struct Case {
        const char* name;
        const char* icon;
    };
    for (const Case& c : {
             Case{"Equipment: Suit", "Spacesuit"},
             Case{"Equipment: Backpack", "Pack"},
             Case{"Equipment: Helmet", "Helmet"},
             Case{"Aid: Food", "Food"},
             Case{"Aid: Aid: Drink", "Drink"},
             Case{"Equipment: Suit / Equipment: Backpack / Equipment: Pistol", "Spacesuit / Pack / Pistol"},
             Case{"Equipment: Suits", "Spacesuits"},
             Case{"Aid: ", ""},
             Case{"Weapons", "Weapons"},
         }) {
        EXPECT_EQ(MakeCategoryIconName(c.name), c.icon) << c.name;
    }
}

class IconTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestHost::ResetWorld();
        iconKeywords.clear();
        grenadeKeyword = mineKeyword = medicalKeyword1 = medicalKeyword2 = nullptr;
    }

    // The game's standard keywords: the four fixed ones and a few table keywords.
    void MakeGameKeywords() {
        grenade = TestHost::MakeKeyword(0x12345, "WeaponTypeGrenade");
        mine = TestHost::MakeKeyword(0xE56C4, "WeaponTypeMine");
        medical1 = TestHost::MakeKeyword(0x2C1C7A, "ObjectTypeMedical");
        medical2 = TestHost::MakeKeyword(0xF4AE7, "ObjectTypeAidMedical");
        rifle = TestHost::MakeKeyword(0x900, "UI_Icon_Rifle", "", "Rifle");
        suit = TestHost::MakeKeyword(0x901, "InventoryCategorySuit", "Equipment: Suit");
        for (Form* k : {grenade, mine, medical1, medical2, rifle, suit}) TestHost::AddKeywordToGame(k);
    }

    Form* grenade = nullptr;
    Form* mine = nullptr;
    Form* medical1 = nullptr;
    Form* medical2 = nullptr;
    Form* rifle = nullptr;
    Form* suit = nullptr;
};

TEST_F(IconTest, TableTakesIconAndCategoryKeywordsOnly) {
    Form* anim = TestHost::MakeKeyword(0x910, "sm_UI_ANIM_Heal", "", "HealAnim");
    Form* emptyText = TestHost::MakeKeyword(0x911, "ui_icon_none", "", "");
    Form* referenceText = TestHost::MakeKeyword(0x912, "ui_icon_ref", "", "Ref", true);
    Form* aid = TestHost::MakeKeyword(0x913, "InventoryCategoryFood", "Aid: Food");
    Form* unnamedCategory = TestHost::MakeKeyword(0x914, "InventoryCategoryNone", "");
    Form* emptyResult = TestHost::MakeKeyword(0x915, "inventorycategoryaid", "Aid: ");
    Form* other = TestHost::MakeKeyword(0x916, "WeaponTypeRifle", "Rifle", "Rifle");
    Form* noEditorId = TestHost::MakeKeyword(0x917, "", "Equipment: Helmet", "Helmet");
    // ui_icon takes precedence over inventorycategory in the same editor id.
    Form* both = TestHost::MakeKeyword(0x918, "InventoryCategory_ui_icon", "Equipment: Backpack", "BothText");
    Form* keywords[] = {anim, emptyText, referenceText, aid, unnamedCategory, emptyResult, other, noEditorId, both};
    for (Form* k : keywords) TestHost::AddKeywordToGame(k);
    TestHost::Data().keywordList.push_back(nullptr);
    TestHost::SyncDataHandler();

    PrecacheIconKeywords();

    std::map<const Game::Form*, std::string> expected{
        {AsGame(anim), "HealAnim"}, {AsGame(aid), "Food"}, {AsGame(emptyResult), ""}, {AsGame(both), "BothText"}};
    EXPECT_EQ(iconKeywords, expected);
    EXPECT_TRUE(TestHost::Boxes().empty());
}

TEST_F(IconTest, FixedKeywordsResolvedAndKeptWhenGameHasNone) {
    MakeGameKeywords();
    PrecacheIconKeywords();
    EXPECT_EQ(grenadeKeyword, AsGame(grenade));
    EXPECT_EQ(mineKeyword, AsGame(mine));
    EXPECT_EQ(medicalKeyword1, AsGame(medical1));
    EXPECT_EQ(medicalKeyword2, AsGame(medical2));
    EXPECT_EQ(iconKeywords.size(), 2u);

    // A game without keywords: the table empties, the box is shown, the four stay.
    TestHost::Data().keywordList.clear();
    TestHost::SyncDataHandler();
    PrecacheIconKeywords();
    EXPECT_TRUE(iconKeywords.empty());
    EXPECT_EQ(grenadeKeyword, AsGame(grenade));
    EXPECT_EQ(medicalKeyword2, AsGame(medical2));
    ASSERT_EQ(TestHost::Boxes().size(), 1u);
    EXPECT_NE(TestHost::Boxes()[0].text.find("function Velloquin::PrecacheIconKeywords at line 635"), std::string::npos);
    EXPECT_NE(TestHost::Boxes()[0].text.find("no Keyword could be found"), std::string::npos);
}

TEST_F(IconTest, UnknownFixedIdLeavesKeywordNull) {
    Form* only = TestHost::MakeKeyword(0x920, "ui_icon_x", "", "X");
    TestHost::AddKeywordToGame(only);
    PrecacheIconKeywords();
    EXPECT_EQ(grenadeKeyword, nullptr);
    EXPECT_EQ(medicalKeyword1, nullptr);
    EXPECT_TRUE(TestHost::Boxes().empty());
}

TEST_F(IconTest, CategoryRules) {
    MakeGameKeywords();
    PrecacheIconKeywords();

    struct Case {
        const char* what;
        std::uint8_t type;
        std::vector<Form*> keywords;
        bool chosen;
        const char* icon;
        const char* directory;
    };
    const std::vector<Case> cases{
        {"grenade beats a table keyword", TestHost::typeWeapon, {rifle, grenade}, true, "Grenade", "FavoritesMenu"},
        {"mine", TestHost::typeWeapon, {mine}, true, "Mine", "FavoritesMenu"},
        {"weapon with table keyword", TestHost::typeWeapon, {rifle}, true, "Rifle", "WeaponIcons"},
        {"power with table keyword", TestHost::typePower, {rifle}, true, "Rifle", "PowersLibrary"},
        {"equipment with category", TestHost::typeEquipment, {suit}, true, "Spacesuit", "FavoritesMenu"},
        {"plain weapon", TestHost::typeWeapon, {}, true, "Weapon_Generic", "FavoritesMenu"},
        {"medical consumable", TestHost::typeConsumable, {rifle, medical2}, true, "Meds", "FavoritesMenu"},
        {"grenade keyword on a consumable", TestHost::typeConsumable, {grenade}, false, "", ""},
        {"plain consumable", TestHost::typeConsumable, {}, false, "", ""},
        {"medical keyword on equipment", TestHost::typeEquipment, {medical1}, false, "", ""},
    };
    std::uint32_t id = 0x5000;
    for (const Case& c : cases) {
        Form* form = TestHost::MakeForm(id++, c.type);
        for (Form* k : c.keywords) TestHost::AddKeyword(form, k);
        IconCategory category;
        EXPECT_EQ(GetIconCategory(AsGame(form), &category), c.chosen) << c.what;
        EXPECT_EQ(category.iconName, c.icon) << c.what;
        EXPECT_EQ(category.directoryName, c.directory) << c.what;
    }
    IconCategory untouched{"keep", "this"};
    EXPECT_FALSE(GetIconCategory(nullptr, &untouched));
    EXPECT_FALSE(GetIconCategory(AsGame(TestHost::MakeForm(0x6000, TestHost::typeConsumable)), &untouched));
    EXPECT_EQ(untouched.iconName, "keep");
    EXPECT_FALSE(GetIconCategory(AsGame(TestHost::MakeForm(0x6001, TestHost::typeWeapon)), nullptr));
}

TEST_F(IconTest, TableWalkedInKeywordOrder) {
    Form* first = TestHost::MakeKeyword(0x930, "ui_icon_a", "", "A");
    Form* second = TestHost::MakeKeyword(0x931, "ui_icon_b", "", "B");
    // Listed in the game in the opposite order of their addresses.
    TestHost::AddKeywordToGame(second);
    TestHost::AddKeywordToGame(first);
    PrecacheIconKeywords();
    Form* weapon = TestHost::MakeForm(0x7000, TestHost::typeWeapon);
    TestHost::AddKeyword(weapon, second);
    TestHost::AddKeyword(weapon, first);
    IconCategory category;
    ASSERT_TRUE(GetIconCategory(AsGame(weapon), &category));
    EXPECT_EQ(category.iconName, first < second ? "A" : "B");
}

TEST_F(IconTest, HasKeywordComparesFormIds) {
    Form* keyword = TestHost::MakeKeyword(0x940, "Kw");
    Form* twin = TestHost::MakeForm(0x940, TestHost::typeKeyword);  // another object with the same id
    Form* weapon = TestHost::MakeForm(0x7100, TestHost::typeWeapon);
    TestHost::AddKeyword(weapon, nullptr);
    TestHost::AddKeyword(weapon, keyword);
    EXPECT_TRUE(HasKeyword(AsGame(weapon), AsGame(twin)));
    EXPECT_FALSE(HasKeyword(AsGame(weapon), AsGame(TestHost::MakeKeyword(0x941, "Other"))));
    EXPECT_FALSE(HasKeyword(AsGame(weapon), nullptr));
    EXPECT_FALSE(HasKeyword(nullptr, AsGame(keyword)));
    weapon->keywordHolderCastable = false;
    EXPECT_FALSE(HasKeyword(AsGame(weapon), AsGame(keyword)));
}

}  // namespace

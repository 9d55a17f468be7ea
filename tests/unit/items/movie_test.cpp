// Finding open menus and typed access to their movies.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host.h"
#include "items/movie.h"
#include "menus.h"
#include "recorder.h"

namespace {

using namespace Velloquin;
using TestHost::ValueKind;

Game::Menu* AsGame(TestHost::Menu* menu) { return reinterpret_cast<Game::Menu*>(menu); }

const std::string menuName = "FavoritesMenu";

TEST(MovieConversionTest, NumberTruncation) {
    struct Case {
        float value;
        std::uint32_t word;
    };
    for (const Case& c : {Case{12.9f, 12}, Case{0.5f, 0}, Case{0.0f, 0}, Case{-0.9f, 0}, Case{-1.5f, 0xFFFFFFFF},
                          Case{4294967295.0f, 0},  // rounds to 2^32 as a float: low 32 bits are 0
                          Case{5e9f, 705032704u}, Case{std::numeric_limits<float>::quiet_NaN(), 0},
                          Case{std::numeric_limits<float>::infinity(), 0xFFFFFFFF}}) {
        EXPECT_EQ(TruncateNumberToUInt(c.value), c.word) << c.value;
    }
}

class MovieTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestHost::ResetWorld();
        menu = TestHost::OpenMenu(menuName);
        movie = TestHost::MovieOf(menu);
    }
    void TearDown() override {
        EXPECT_EQ(TestHost::OutstandingMovieValues(), 0);
        EXPECT_TRUE(TestHost::MovieValueReleaseErrors().empty());
    }

    TestHost::Menu* menu = nullptr;
    TestHost::Movie* movie = nullptr;
};

TEST_F(MovieTest, FindMenuIgnoresLetterCaseAndStopsAfterSixty) {
    EXPECT_EQ(FindMenuByName("favoritesmenu"), AsGame(menu));
    EXPECT_EQ(FindMenuByName("FAVORITESMENU"), AsGame(menu));
    EXPECT_EQ(FindMenuByName("FavoritesMenu2"), nullptr);
    EXPECT_EQ(FindMenuByName(""), nullptr);

    TestHost::CloseMenu(menu);
    TestHost::AddNullOpenMenu();
    TestHost::OpenMenu("Nameless")->nullName = true;
    for (int i = 2; i < 59; ++i) TestHost::OpenMenu("Menu" + std::to_string(i));
    TestHost::Menu* sixtieth = TestHost::OpenMenu("InventoryMenu");
    TestHost::Menu* sixtyFirst = TestHost::OpenMenu("FavoritesMenu");
    ASSERT_EQ(TestHost::Ui().openCount, 61u);
    EXPECT_EQ(FindMenuByName("inventorymenu"), AsGame(sixtieth));
    EXPECT_EQ(FindMenuByName("FavoritesMenu"), nullptr);
    (void)sixtyFirst;

    TestHost::SetUiPresent(false);
    EXPECT_EQ(FindMenuByName("InventoryMenu"), nullptr);
}

TEST_F(MovieTest, SetterOnAnotherKindWritesNothing) {
    movie->AddVariable("root1.Menu_mc.ConstructItemDamageEM", ValueKind::Number).number = 3.5;
    movie->AddVariable("root1.Menu_mc.ConstructItemName", ValueKind::Int).intValue = 7;
    movie->AddVariable("root1.Menu_mc.ConstructItemVisible", ValueKind::UInt);
    TestHost::ClearRecords();

    EXPECT_FALSE(SetMenuInt(menuName, "root1.Menu_mc.ConstructItemDamageEM", 5, nullptr));
    EXPECT_FALSE(SetMenuString(menuName, "root1.Menu_mc.ConstructItemName", "Rifle", AsGame(menu)));
    EXPECT_FALSE(SetMenuBool(menuName, "root1.Menu_mc.ConstructItemVisible", true, nullptr));
    EXPECT_FALSE(SetMenuNumber(menuName, "root1.Menu_mc.ConstructItemName", 1.0f, nullptr));
    EXPECT_FALSE(SetMenuUInt(menuName, "root1.Menu_mc.Missing", 1, nullptr));

    EXPECT_TRUE(TestHost::RecordsStartingWith("movie set").empty());
    EXPECT_EQ(movie->Describe("root1.Menu_mc.ConstructItemDamageEM"), "Number 3.5");
    EXPECT_EQ(movie->Describe("root1.Menu_mc.ConstructItemName"), "Int 7");
}

TEST_F(MovieTest, SettersWriteTheirKinds) {
    movie->AddVariable("v.int", ValueKind::Int);
    movie->AddVariable("v.uint", ValueKind::UInt);
    movie->AddVariable("v.bool", ValueKind::Boolean);
    movie->AddVariable("v.number", ValueKind::Number);
    movie->AddVariable("v.text", ValueKind::String);
    TestHost::ClearRecords();

    EXPECT_TRUE(SetMenuInt(menuName, "v.int", -5, nullptr));
    EXPECT_TRUE(SetMenuUInt(menuName, "v.uint", 4000000000u, nullptr));
    EXPECT_TRUE(SetMenuBool(menuName, "v.bool", true, nullptr));
    EXPECT_TRUE(SetMenuNumber(menuName, "v.number", 12.9f, nullptr));
    EXPECT_TRUE(SetMenuString(menuName, "v.text", "Gr\xC3\xBC\xC3\x9F" "e", nullptr));
    // A second Number write still finds the variable a Number.
    EXPECT_TRUE(SetMenuNumber(menuName, "v.number", 40.2f, nullptr));

    const std::vector<std::string> expected{
        "movie set v.int = Int -5",          "movie set v.uint = UInt 4000000000",
        "movie set v.bool = Boolean true",   "movie set v.number = UInt 12",
        "movie set v.text = String \"Gr\xC3\xBC\xC3\x9F" "e\"", "movie set v.number = UInt 40",
    };
    EXPECT_EQ(TestHost::RecordsStartingWith("movie set"), expected);
    EXPECT_EQ(movie->Variable("v.number")->lastWrittenType, 4u);
    EXPECT_EQ(movie->Variable("v.number")->lastWrittenWord, 40u);
    EXPECT_EQ(movie->Variable("v.int")->lastWrittenWord & 0xFFFFFFFFu, 0xFFFFFFFBu);
    EXPECT_EQ(movie->Variable("v.bool")->lastWrittenWord & 0xFF, 1u);
}

// Each accessor works on its own kinds only; the kind is the type code's low
// four bits and bit 0x80, whatever the movie keeps in its other bits.
TEST_F(MovieTest, EachAccessorTakesOnlyItsKinds) {
    const ValueKind kinds[] = {ValueKind::Undefined, ValueKind::Boolean, ValueKind::Int, ValueKind::UInt,
                               ValueKind::Number,    ValueKind::String,  ValueKind::WideString};
    std::string grid;
    for (std::uint32_t extra : {0x00u, 0x30u, 0x80u}) {
        for (ValueKind kind : kinds) {
            for (const char* path : {"g.int", "g.uint", "g.bool", "g.number", "g.text", "r.int", "r.bool"})
                movie->AddVariable(path, kind).extraTypeBits = extra;
            std::int32_t number = 0;
            bool flag = false;
            grid += SetMenuInt(menuName, "g.int", 1, nullptr) ? 'i' : '.';
            grid += SetMenuUInt(menuName, "g.uint", 1, nullptr) ? 'u' : '.';
            grid += SetMenuBool(menuName, "g.bool", true, nullptr) ? 'b' : '.';
            grid += SetMenuNumber(menuName, "g.number", 1.0f, nullptr) ? 'n' : '.';
            grid += SetMenuString(menuName, "g.text", "x", nullptr) ? 's' : '.';
            grid += GetMenuInt(menuName, "r.int", &number, nullptr) ? 'I' : '.';
            grid += GetMenuBool(menuName, "r.bool", &flag, nullptr) ? 'B' : '.';
            grid += ' ';
        }
        grid += '|';
    }
    EXPECT_EQ(grid,
              "....... ..b...B i....I. .u..... ...n... ....s.. ....s.. |"
              "....... ..b...B i....I. .u..... ...n... ....s.. ....s.. |"
              "....... ....... ....... ....... ....... ....... ....... |");
}

TEST_F(MovieTest, WideStringReceivesUtf16) {
    TestHost::MovieVariable& wide = movie->AddVariable("root1.Menu_mc.ConstructItemName", ValueKind::WideString);
    ASSERT_TRUE(SetMenuString(menuName, "root1.Menu_mc.ConstructItemName", "\xC3\x89lan \xE2\x9C\x93 \xF0\x9F\x98\x80",
                              AsGame(menu)));
    EXPECT_EQ(wide.lastWrittenType, 7u);
    EXPECT_EQ(wide.wide, u"Élan ✓ 😀");
}

TEST_F(MovieTest, ManagedValuesReleasedExactlyOnce) {
    movie->AddVariable("m.text", ValueKind::String, true).text = "old";
    movie->AddVariable("m.int", ValueKind::Int, true).intValue = 15;
    movie->AddVariable("m.bool", ValueKind::Boolean, true).boolean = true;
    TestHost::ClearRecords();

    EXPECT_TRUE(SetMenuString(menuName, "m.text", "new", nullptr));
    EXPECT_EQ(movie->Variable("m.text")->releases, 1);
    EXPECT_EQ(movie->Variable("m.text")->text, "new");

    std::int32_t value = 0;
    EXPECT_TRUE(GetMenuInt(menuName, "m.int", &value, nullptr));
    EXPECT_EQ(value, 15);
    EXPECT_EQ(movie->Variable("m.int")->releases, 1);

    // A kind mismatch releases the value read, once.
    EXPECT_FALSE(SetMenuUInt(menuName, "m.bool", 1, nullptr));
    EXPECT_EQ(movie->Variable("m.bool")->releases, 1);
    bool flag = false;
    EXPECT_TRUE(GetMenuBool(menuName, "m.bool", &flag, nullptr));
    EXPECT_TRUE(flag);
    EXPECT_EQ(movie->Variable("m.bool")->releases, 2);
    EXPECT_EQ(TestHost::RecordsStartingWith("movie release").size(), 4u);

    // Plain values are never handed to the release function.
    movie->AddVariable("p.int", ValueKind::Int);
    TestHost::ClearRecords();
    EXPECT_TRUE(GetMenuInt(menuName, "p.int", &value, nullptr));
    EXPECT_TRUE(SetMenuInt(menuName, "p.int", 3, nullptr));
    EXPECT_TRUE(TestHost::RecordsStartingWith("movie release").empty());
}

TEST_F(MovieTest, GettersNeedTheirKindAndAnOutput) {
    movie->AddVariable("root1.Menu_mc.iLastSelectedQuickKey", ValueKind::Int).intValue = -1;
    movie->AddVariable("root1.Menu_mc.bVelloquinInstalled", ValueKind::Boolean).boolean = true;
    std::int32_t selected = 99;
    bool installed = false;
    EXPECT_TRUE(GetMenuInt(menuName, "root1.Menu_mc.iLastSelectedQuickKey", &selected, nullptr));
    EXPECT_EQ(selected, -1);
    EXPECT_TRUE(GetMenuBool(menuName, "root1.Menu_mc.bVelloquinInstalled", &installed, AsGame(menu)));
    EXPECT_TRUE(installed);

    selected = 99;
    EXPECT_FALSE(GetMenuInt(menuName, "root1.Menu_mc.bVelloquinInstalled", &selected, nullptr));
    EXPECT_EQ(selected, 99);
    EXPECT_FALSE(GetMenuBool(menuName, "root1.Menu_mc.Missing", &installed, nullptr));
    TestHost::ClearRecords();
    EXPECT_FALSE(GetMenuInt(menuName, "root1.Menu_mc.iLastSelectedQuickKey", nullptr, nullptr));
    EXPECT_FALSE(GetMenuInt(menuName, "", &selected, nullptr));
    EXPECT_TRUE(TestHost::Records().empty());
}

TEST_F(MovieTest, MenuWithoutMovie) {
    movie->AddVariable("v.int", ValueKind::Int);
    movie->arrays["a"].resize(2);
    TestHost::Menu* viewless = TestHost::OpenMenu("Viewless", false);
    std::uint32_t size = 0;
    EXPECT_FALSE(SetMenuInt("Viewless", "v.int", 1, nullptr));
    EXPECT_FALSE(SetMenuInt("", "v.int", 1, AsGame(viewless)));
    EXPECT_FALSE(GetMenuArraySize("Viewless", "a", &size));
    EXPECT_FALSE(InvokeMenuFunction("NotOpen", "f", nullptr));
    EXPECT_TRUE(GetMenuArraySize(menuName, "a", &size));
    EXPECT_EQ(size, 2u);
    TestHost::DropMovie(menu);
    EXPECT_FALSE(SetMenuInt(menuName, "v.int", 1, nullptr));
    EXPECT_FALSE(GetMenuArraySize(menuName, "a", &size));
}

TEST_F(MovieTest, GivenMenuIsUsedWithoutLookup) {
    movie->AddVariable("v.int", ValueKind::Int);
    TestHost::CloseMenu(menu);
    EXPECT_FALSE(SetMenuInt(menuName, "v.int", 1, nullptr));
    EXPECT_TRUE(SetMenuInt(menuName, "v.int", 1, AsGame(menu)));
    EXPECT_EQ(movie->Variable("v.int")->intValue, 1);
}

TEST_F(MovieTest, InvokeAndArraySize) {
    int calls = 0;
    movie->functions["root1.Menu_mc.ConstructItem"] = [&calls](TestHost::Movie& m) {
        ++calls;
        m.arrays["root1.Menu_mc.FavoritesInfoA"].emplace_back();
        return true;
    };
    movie->functions["root1.Menu_mc.Refuse"] = [](TestHost::Movie&) { return false; };
    movie->arrays["root1.Menu_mc.FavoritesInfoA"];
    TestHost::ClearRecords();

    EXPECT_TRUE(InvokeMenuFunction(menuName, "root1.Menu_mc.ConstructItem", nullptr));
    EXPECT_TRUE(InvokeMenuFunction(menuName, "root1.Menu_mc.ConstructItem", AsGame(menu)));
    EXPECT_FALSE(InvokeMenuFunction(menuName, "root1.Menu_mc.Refuse", nullptr));
    EXPECT_FALSE(InvokeMenuFunction(menuName, "root1.Menu_mc.Missing", nullptr));
    EXPECT_EQ(calls, 2);
    std::uint32_t size = 0;
    EXPECT_TRUE(GetMenuArraySize(menuName, "root1.Menu_mc.FavoritesInfoA", &size));
    EXPECT_EQ(size, 2u);
    EXPECT_FALSE(GetMenuArraySize(menuName, "root1.Menu_mc.FavoritesInfoA", nullptr));

    const std::vector<std::string> expected{
        "movie invoke root1.Menu_mc.ConstructItem", "movie invoke root1.Menu_mc.ConstructItem",
        "movie invoke root1.Menu_mc.Refuse", "movie invoke root1.Menu_mc.Missing -> missing",
        "movie arraysize root1.Menu_mc.FavoritesInfoA -> 2"};
    EXPECT_EQ(TestHost::Records(), expected);
}

TEST_F(MovieTest, FavoritesMovieAppendsWhatWasPushed) {
    TestHost::FavoritesMovieOptions options;
    options.wideStrings = true;
    options.managedValues = true;
    TestHost::MakeFavoritesMovie(menu, options);
    bool installed = false;
    ASSERT_TRUE(GetMenuBool(menuName, "root1.Menu_mc.bVelloquinInstalled", &installed, nullptr));
    EXPECT_TRUE(installed);
    ASSERT_TRUE(SetMenuString(menuName, "root1.Menu_mc.ConstructItemName", "Caf\xC3\xA9", nullptr));
    ASSERT_TRUE(SetMenuNumber(menuName, "root1.Menu_mc.ConstructItemDamageEM", 7.8f, nullptr));
    ASSERT_TRUE(SetMenuInt(menuName, "root1.Menu_mc.ConstructItemArrayIndex", 4, nullptr));
    ASSERT_TRUE(InvokeMenuFunction(menuName, "root1.Menu_mc.ConstructItem", nullptr));
    const auto& entries = movie->arrays["root1.Menu_mc.FavoritesInfoA"];
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].at("ConstructItemName"), "Caf\xC3\xA9");
    EXPECT_EQ(entries[0].at("ConstructItemDamageEM"), "7");
    EXPECT_EQ(entries[0].at("ConstructItemArrayIndex"), "4");

    TestHost::SelectQuickKey(menu, 15);
    std::int32_t selected = 0;
    ASSERT_TRUE(GetMenuInt(menuName, "root1.Menu_mc.iLastSelectedQuickKey", &selected, nullptr));
    EXPECT_EQ(selected, 15);
}

TEST_F(MovieTest, RefusedWriteReportsFalse) {
    movie->AddVariable("v.bool", ValueKind::Boolean).refuseWrites = true;
    EXPECT_FALSE(SetMenuBool(menuName, "v.bool", true, nullptr));
    EXPECT_FALSE(movie->Variable("v.bool")->boolean);
}

}  // namespace

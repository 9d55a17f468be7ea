// The loader's menu callback: what it records for the update pass, and
// what it ignores.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <new>
#include <stdexcept>

#include "core/log.h"
#include "core/state.h"
#include "game_runtime.h"
#include "host.h"
#include "plugin/exports.h"
#include "support/fake_menu.h"
#include "support/plugin_state.h"
#include "support/temp_file.h"

using namespace TestHost;

namespace {

class EntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWorld();
        ResetPluginState();
    }
    FakeMenu Menu(const char* name) { return FakeMenu{FakeMenuTable(), name}; }
};

}  // namespace
TEST_F(EntryTest, FavoritesMenuOpeningIsRecordedWithAnUnthrottledNextPass) {
    SetNow(5'000'000'000);
    FakeMenu menu = Menu("FavoritesMenu");
    Velloquin::populateFailed = true;
    Velloquin::favoritesMenuPopulated = true;
    Velloquin::OnMenuOpen(&menu);
    EXPECT_TRUE(Velloquin::favoritesMenuOpened);
    EXPECT_FALSE(Velloquin::favoritesMenuPopulated);
    EXPECT_FALSE(Velloquin::populateFailed);
    EXPECT_EQ(Velloquin::openFavoritesMenu, reinterpret_cast<Velloquin::Game::Menu*>(&menu));
    EXPECT_EQ(Velloquin::favoritesMenuOpenTime, 5'000'000'000);
    EXPECT_EQ(Velloquin::lastUpdateTime, Velloquin::favoritesMenuOpenTime - 100'000'000);
}

TEST_F(EntryTest, MenuNamesAreComparedExactly) {
    for (const char* name : {"favoritesmenu", "FavoritesMenu2", "FAVORITESMENU", "InventoryMenu", "PowersMenu", ""}) {
        FakeMenu menu = Menu(name);
        Velloquin::OnMenuOpen(&menu);
        EXPECT_FALSE(Velloquin::favoritesMenuOpened) << name;
    }
    FakeMenu nameless = Menu(nullptr);
    Velloquin::OnMenuOpen(&nameless);
    Velloquin::OnMenuOpen(nullptr);
    EXPECT_FALSE(Velloquin::favoritesMenuOpened);
    EXPECT_FALSE(Velloquin::reloadPending);
}

TEST_F(EntryTest, CreditsScheduleOneReloadAndKeepTheFirstTime) {
    FakeMenu credits = Menu("EndGameCreditsMenu");
    SetNow(1'000);
    Velloquin::OnMenuOpen(&credits);
    EXPECT_TRUE(Velloquin::reloadPending);
    EXPECT_EQ(Velloquin::creditsMenuTime, 1'000);
    SetNow(9'000);
    Velloquin::OnMenuOpen(&credits);
    EXPECT_EQ(Velloquin::creditsMenuTime, 1'000);
}

TEST_F(EntryTest, AnInactivePluginIgnoresEveryMenu) {
    Velloquin::pluginInactive = 1;
    for (const char* name : {"FavoritesMenu", "EndGameCreditsMenu"}) {
        FakeMenu menu = Menu(name);
        Velloquin::OnMenuOpen(&menu);
    }
    EXPECT_FALSE(Velloquin::favoritesMenuOpened);
    EXPECT_FALSE(Velloquin::reloadPending);
    EXPECT_EQ(Velloquin::creditsMenuTime, 0);
}

// The game destroys a sink through slot 0 of its table (deleting: 1). The
// sinks are the plug-in's globals: nothing is freed, the table stays, and
// each sink goes on handling its event through slot 1.
TEST_F(EntryTest, SlotZeroOfEachSinkFreesNothingAndTheSinkStillHandlesItsEvent) {
    LoaderMessage ready{nullptr, 2};
    Velloquin::OnLoaderMessage(&ready);
    ASSERT_EQ(Registrations().size(), 3u);
    for (const Registration& registration : Registrations()) {
        void* const* const table = *static_cast<void* const* const*>(registration.sink);
        reinterpret_cast<void* (*)(void*, std::uint32_t)>(table[0])(registration.sink, 1);
        EXPECT_EQ(*static_cast<void* const* const*>(registration.sink), table);
    }
    SetNow(20'000'000'000);  // past the hold after start
    const int made = HostStringsMade();
    FirePlayerUpdate();
    EXPECT_GT(HostStringsMade(), made) << "the update pass ran";
    Velloquin::quickKeyCodes[0] = 0x70;
    FireLoadGame();
    EXPECT_EQ(Velloquin::quickKeyCodes[0], 0u) << "the settings were read again";
    FireGameReset(1);
    EXPECT_TRUE(Velloquin::reloadPending);
}

// ---- a start that fails with an exception is not a start
namespace {

// What the loader's handle query throws, set by the case.
void (*throwFromLoader)() = nullptr;
std::uint32_t ThrowingHandleQuery() {
    throwFromLoader();
    return 0x2A;
}
void* NoInterface(std::uint32_t) { return nullptr; }

// The loader's record as the plug-in reads it: three words, then its operations at 0x10.
struct ThrowingLoader {
    std::uint32_t words[4] = {0x00020000, 0x010F0D80, 0, 0};
    const void* operations[2] = {reinterpret_cast<const void*>(&NoInterface),
                                 reinterpret_cast<const void*>(&ThrowingHandleQuery)};
};

}  // namespace

TEST_F(EntryTest, AStartThatThrowsTellsTheLoaderItDidNotLoad) {
    const struct {
        const char* what;
        void (*thrower)();
    } cases[] = {
        {"out of memory", [] { throw std::bad_alloc(); }},
        {"another exception", [] { throw std::runtime_error("failed"); }},
    };
    for (const auto& c : cases) {
        throwFromLoader = c.thrower;
        Velloquin::siteCallee = 0;
        const ThrowingLoader loader;
        // The loader takes a false answer as a plug-in that did not load; nothing reaches the game.
        EXPECT_FALSE(QVEXPlugin_Load(reinterpret_cast<const LoaderInterface*>(&loader))) << c.what;
        EXPECT_EQ(Velloquin::siteCallee, 0u) << c.what;
    }
    Velloquin::StopLog();
}

// ---- an unknown module address is reported, and the site is never touched
TEST_F(EntryTest, AnUnknownModuleEndsTheGameWithCode3) {
    const std::string reportPath = DeathTestReportPath();
    std::remove(reportPath.c_str());
    EXPECT_EXIT(
        {
            SetExitReportFile(reportPath);
            Velloquin::gameModuleBase = 0;
            Velloquin::HandleOnPluginLoad();
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), "");
    const ExitReport report = ReadExitReport(reportPath);
    std::remove(reportPath.c_str());
    EXPECT_TRUE(report.ended);
    ASSERT_EQ(report.boxes.size(), 1u);
    EXPECT_EQ(report.boxes[0].text,
              "Fatal error has occured in function Velloquin::HandleOnPluginLoad at line 1310\n\n\nError text: \n"
              " -> couldn't install, error code: 3\n");
}

// Gamepad quick keys in the update pass, against the test host's controller:
// the modifier, triggers, keyboard first, and how often XInput is read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controller.h"
#include "core/log.h"
#include "equipment.h"
#include "forms.h"
#include "game_folder.h"
#include "game_runtime.h"
#include "host.h"
#include "menu/runtime.h"
#include "player.h"
#include "plugin/exports.h"
#include "recorder.h"
#include "support/plugin_state.h"

using namespace TestHost;
namespace V = Velloquin;

namespace {

constexpr std::int64_t ms = 1'000'000;
constexpr std::uint32_t dpadUp = 0x10001, dpadDown = 0x10002, leftShoulder = 0x10100, aButton = 0x11000;
constexpr std::uint32_t leftTrigger = 0x10009, rightTrigger = 0x1000A;

class GamepadPassTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWorld();
        ResetPluginState();
        ClearGameFolder();
        SetNow(20'000 * ms);
        LoaderMessage ready{nullptr, 2};
        V::OnLoaderMessage(&ready);
        SetEquipMarksEquipped(false);
        ConnectController(true);
    }

    // Slot i holds a carried weapon named after it and is bound to code.
    void Bind(std::size_t slot, std::uint32_t code) {
        Form* weapon = MakeForm(0x2000 + static_cast<std::uint32_t>(slot), typeWeapon, "Slot" + std::to_string(slot));
        AddItem(weapon);
        V::quickItems.at(slot) = reinterpret_cast<V::Game::Form*>(weapon);
        V::quickKeyCodes.at(slot) = code;
    }

    // One pass 70 ms after the last; the slots it activated.
    std::vector<std::string> Pass() {
        Advance(70);
        const std::size_t before = RecordsStartingWith("equip object").size();
        FirePlayerUpdate();
        const auto all = RecordsStartingWith("equip object");
        std::vector<std::string> slots;
        for (std::size_t i = before; i < all.size(); ++i) slots.push_back(all[i].substr(all[i].find("Slot")).substr(0, 5));
        return slots;
    }
    using Slots = std::vector<std::string>;
};

}  // namespace

TEST_F(GamepadPassTest, ButtonsFireOnlyWhileTheModifierIsHeldAndTheLowerCodeWins) {
    Bind(0, aButton);
    Bind(1, dpadDown);
    Bind(2, dpadUp);
    V::gamepadModifier = leftShoulder;
    SetPadButton(aButton, true);
    SetPadButton(dpadDown, true);
    EXPECT_EQ(Pass(), Slots{});
    SetPadButton(leftShoulder, true);
    EXPECT_EQ(Pass(), Slots{"Slot1"});  // DPAD Down 0x10002 below A 0x11000
    EXPECT_EQ(Pass(), Slots{"Slot1"});  // held: again on every pass
    SetPadButton(dpadDown, false);
    EXPECT_EQ(Pass(), Slots{"Slot0"});
    V::gamepadModifier = 0;
    SetPadButton(leftShoulder, false);
    EXPECT_EQ(Pass(), Slots{"Slot0"});  // no modifier: every press counts
}

TEST_F(GamepadPassTest, TriggersArePressedAboveThirty) {
    Bind(0, leftTrigger);
    Bind(1, rightTrigger);
    SetPadTrigger(false, 30);
    EXPECT_EQ(Pass(), Slots{});
    SetPadTrigger(false, 31);
    EXPECT_EQ(Pass(), Slots{"Slot1"});
    SetPadTrigger(true, 255);
    EXPECT_EQ(Pass(), Slots{"Slot0"});
    // A trigger as the modifier.
    V::gamepadModifier = leftTrigger;
    Bind(2, dpadUp);
    SetPadTrigger(false, 0);
    SetPadButton(dpadUp, true);
    EXPECT_EQ(Pass(), Slots{"Slot2"});
    SetPadTrigger(true, 20);
    EXPECT_EQ(Pass(), Slots{});
}

TEST_F(GamepadPassTest, KeyboardKeysAreAskedFirstAndADownKeyCostsNoXInputRead) {
    Bind(0, dpadUp);
    Bind(1, 0x70);
    SetPadButton(dpadUp, true);
    SetKeyDown(0x70, true);
    EXPECT_EQ(Pass(), Slots{"Slot1"});
    EXPECT_EQ(XInputReads(), 0u);
    SetKeyDown(0x70, false);
    EXPECT_EQ(Pass(), Slots{"Slot0"});
    EXPECT_EQ(XInputReads(), 1u);
    EXPECT_EQ(KeyStateQueries(), (std::vector<int>{0x70, 0x70}));
}

TEST_F(GamepadPassTest, CodesNoControllerCanPressAndUnboundPadsCostNoRead) {
    Bind(0, 0x10003);  // two DPAD masks at once
    Bind(1, 0x10000);
    Bind(2, 0x10400);  // no button has this mask
    Bind(3, 0x70);
    SetPadButton(0x10001, true);
    SetPadButton(0x10002, true);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Pass(), Slots{});
    EXPECT_EQ(XInputReads(), 0u);
    EXPECT_TRUE(XInputLibraryRequests().empty());  // XInput is not even loaded
}

TEST_F(GamepadPassTest, OneReadPerPassConnectedAndOneEvery2SecondsWithout) {
    Bind(0, dpadUp);
    for (int i = 0; i < 10; ++i) Pass();
    EXPECT_EQ(XInputReads(), 10u);

    ConnectController(false);
    Pass();  // finds it gone
    EXPECT_EQ(XInputReads(), 11u);
    for (int i = 0; i < 143; ++i) Pass();  // 10.01 s: looks at 2.03, 4.06, 6.09 and 8.12 s
    EXPECT_EQ(XInputReads(), 15u);

    ConnectController(true);
    SetPadButton(dpadUp, true);
    // Found on the next look at port 0: within 4 s.
    int passes = 0;
    while (Pass().empty() && passes < 100) ++passes;
    EXPECT_LE(passes * 70, 4000);
    EXPECT_EQ(Pass(), Slots{"Slot0"});
}

// A controller on any of the four ports is found by the looks while none answers.
TEST_F(GamepadPassTest, AControllerOnAnyPortIsFound) {
    Bind(0, dpadUp);
    SetPadButton(dpadUp, true);
    for (int port : {1, 2, 3}) {
        V::ResetGamepadState();
        SetControllerPort(port);
        int passes = 0;
        while (Pass().empty() && passes < 250) ++passes;  // six looks 2 s apart take 12 s
        EXPECT_LT(passes, 250) << "port " << port;
    }
    SetControllerPort(0);
}

TEST_F(GamepadPassTest, AnXInputErrorIsNoController) {
    Bind(0, dpadUp);
    SetPadButton(dpadUp, true);
    EXPECT_EQ(Pass(), Slots{"Slot0"});
    SetXInputError(1167 + 1);
    EXPECT_EQ(Pass(), Slots{});
    const std::uint64_t reads = XInputReads();
    EXPECT_EQ(Pass(), Slots{});
    EXPECT_EQ(XInputReads(), reads);  // asked again only after 2 s
}

TEST_F(GamepadPassTest, XInputIsLookedUpOnceInOrderAndWithoutItPadsAreInert) {
    Bind(0, dpadUp);
    SetPadButton(dpadUp, true);
    SetXInputLibraries({"XINPUT9_1_0.DLL"});
    EXPECT_EQ(Pass(), Slots{"Slot0"});
    EXPECT_EQ(XInputLibraryRequests(), (std::vector<std::string>{"xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll"}));

    ResetPluginState();
    ResetController();
    Bind(0, dpadUp);
    ConnectController(true);
    SetPadButton(dpadUp, true);
    SetXInputLibraries({});
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Pass(), Slots{});
    EXPECT_EQ(XInputLibraryRequests().size(), 3u);  // tried once, not on every pass
    EXPECT_EQ(XInputReads(), 0u);
}

TEST_F(GamepadPassTest, TheLogSaysWhichXInputLibraryAnswersOrThatNoneLoaded) {
    const struct {
        std::vector<std::string> libraries;
        const char* line;
    } cases[] = {
        {{"xinput1_3.dll", "xinput9_1_0.dll"}, "Controller: xinput1_3.dll found"},
        {{}, "Controller: no XInput library found (xinput1_4.dll, xinput1_3.dll, xinput9_1_0.dll): gamepad quick keys "
             "cannot work"},
    };
    const std::string log = "Users\\Player\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.log";
    for (const auto& c : cases) {
        ResetPluginState();
        ResetController();
        ClearGameFolder();
        V::StartLog(true);
        Bind(0, dpadUp);
        SetXInputLibraries(c.libraries);
        Pass();
        Pass();
        V::StopLog();
        const std::string text = ReadGameFile(log);
        const std::size_t at = text.find(c.line);
        EXPECT_NE(at, std::string::npos) << text;
        // Once: the lookup is not repeated on later passes.
        EXPECT_EQ(text.find("Controller: ", at + 1), std::string::npos) << text;
    }
}

// Key names: the game's input-name tables first, then the built-in names.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "config/key_names.h"
#include "host.h"
#include "image.h"
#include "input_names.h"
#include "game/game_index.h"
#include "core/state.h"

namespace {

using TestHost::InputDevice;
using Velloquin::GetBuiltInKeyName;
using Velloquin::GetKeyName;

class KeyNames : public ::testing::Test {
protected:
    void SetUp() override {
        TestHost::ResetWorld();
        Velloquin::gameModuleBase = TestHost::ImageBase();
    }
};

TEST(BuiltInKeyNames, Table) {
    const struct {
        std::uint32_t code;
        const char* name;
    } cases[] = {
        {0x70, "F1"}, {0x7B, "F12"}, {0x87, "F24"}, {0x88, ""}, {0x6F, "Numpad Divide"},
        {0x35, "5"}, {0x30, "0"}, {0x39, "9"}, {0x2F, ""}, {0x3A, ""},
        {0x41, "A"}, {0x4B, "K"}, {0x5A, "Z"}, {0x40, ""}, {0x5B, "Left Windows"},
        {0x60, "Numpad 0"}, {0x69, "Numpad 9"}, {0x6C, ""}, {0xC0, ""}, {0x00, ""},
        {0x08, "Backspace"}, {0x20, "Space"}, {0xAC, "Browser Start and Home"}, {0xDE, "Apostrophe"}, {0xFF, ""},
        {0x100, ""}, {0x800, ""}, {0x10000, "Gamepad"}, {0x10001, "DPAD Up"}, {0x1000A, "Right Trigger"},
        {0x10010, ""}, {0x18000, "Y Button"}, {0x18001, ""}, {0x80000070, ""},
        {0x0D, "Enter"}, {0x1B, "Escape"}, {0x2E, "Delete"}, {0x90, "Num Lock"}, {0xBA, "Semicolon"},
        {0xA5, "Right Alt"}, {0x10020, "Select"}, {0x10100, "Left Shoulder"}, {0x11000, "A Button"},
    };
    for (const auto& c : cases) EXPECT_EQ(GetBuiltInKeyName(c.code), c.name) << std::hex << c.code;
}

// Every code from 0 to 0x10A and from 0x10000 to 0x18001, checked against
// facts of its own rather than a copy of the table: each name belongs to one
// code; the families follow their rule (digits, letters, numpad digits, F1 to
// F24); the keyboard codes Windows leaves unassigned or reserved, the mouse
// codes and the codes between have no name; a gamepad code has a name exactly
// when a controller can press it (or it is 0x10000 itself), but for Start.
TEST(BuiltInKeyNames, PropertiesOfEveryCode) {
    std::vector<std::uint32_t> codes;
    for (std::uint32_t c = 0; c <= 0x10A; ++c) codes.push_back(c);
    for (std::uint32_t button = 0; button <= 0x8001; ++button) codes.push_back(0x10000 + button);

    std::map<std::string, std::uint32_t> codeOfName;
    std::size_t keyboardNames = 0;
    for (std::uint32_t code : codes) {
        const std::string name = GetBuiltInKeyName(code);
        if (name.empty()) continue;
        const auto [first, isNew] = codeOfName.emplace(name, code);
        EXPECT_TRUE(isNew) << name << " names both " << std::hex << first->second << " and " << code;
        if (code < 0x100) ++keyboardNames;
    }

    for (std::uint32_t c = 0x30; c <= 0x39; ++c) EXPECT_EQ(GetBuiltInKeyName(c), std::string(1, static_cast<char>(c)));
    for (std::uint32_t c = 0x41; c <= 0x5A; ++c) EXPECT_EQ(GetBuiltInKeyName(c), std::string(1, static_cast<char>(c)));
    // Appended, not "F" + text: GCC 12 warns falsely (-Wrestrict) on that.
    for (std::uint32_t c = 0x60; c <= 0x69; ++c)
        EXPECT_EQ(GetBuiltInKeyName(c), std::string("Numpad ").append(std::to_string(c - 0x60)));
    for (std::uint32_t c = 0x70; c <= 0x87; ++c) EXPECT_EQ(GetBuiltInKeyName(c), std::string("F").append(std::to_string(c - 0x6F)));

    // Unassigned or reserved virtual-key codes.
    const std::pair<std::uint32_t, std::uint32_t> unassigned[] = {
        {0x00, 0x00}, {0x07, 0x07}, {0x0A, 0x0B}, {0x0E, 0x0F}, {0x3A, 0x40}, {0x5E, 0x5E}, {0x88, 0x8F},
        {0x97, 0x9F}, {0xB8, 0xB9}, {0xC1, 0xDA}, {0xE0, 0xE0}, {0xE8, 0xE8}, {0xFF, 0xFF}};
    for (const auto& [from, to] : unassigned)
        for (std::uint32_t c = from; c <= to; ++c) EXPECT_EQ(GetBuiltInKeyName(c), "") << std::hex << c;
    for (std::uint32_t c = 0x100; c <= 0x10A; ++c) EXPECT_EQ(GetBuiltInKeyName(c), "") << std::hex << c;
    for (std::uint32_t c : {0x800u, 0x900u, 0xA00u, 0xFFFFu}) EXPECT_EQ(GetBuiltInKeyName(c), "") << std::hex << c;

    const std::uint32_t start = 0x10010;  // XInput's Start button, which the table does not name
    for (std::uint32_t code = 0x10000; code <= 0x18001; ++code) {
        const bool named = code == 0x10000 || (Velloquin::IsGamepadButtonCode(code) && code != start);
        EXPECT_EQ(!GetBuiltInKeyName(code).empty(), named) << std::hex << code;
    }
    // Of the 256 keyboard codes, the families above give 70 names and 58 keys have names of their own.
    EXPECT_EQ(keyboardNames, 70u + 58u);
}

TEST_F(KeyNames, WithoutGameNamesTheBuiltInNamesShow) {
    EXPECT_EQ(GetKeyName(0x70), "F1");
    EXPECT_EQ(GetKeyName(0x87), "F24");
    EXPECT_EQ(GetKeyName(0x35), "5");
    EXPECT_EQ(GetKeyName(0x4B), "K");
    EXPECT_EQ(GetKeyName(0x10010), "");
    EXPECT_EQ(GetKeyName(0x10001), "DPAD Up");
    EXPECT_EQ(GetKeyName(0x105), "");
}

TEST_F(KeyNames, TheGameNameWinsOverTheBuiltInName) {
    TestHost::SetKeyNames(InputDevice::Keyboard, {{0x45, "E"}, {0x70, "Function One"}});
    EXPECT_EQ(GetKeyName(0x70), "Function One");
    EXPECT_EQ(GetKeyName(0x71), "F2");  // not in the game's map
}

// Each code is looked up in one map only.
TEST_F(KeyNames, EachRangeReadsItsOwnMap) {
    TestHost::SetKeyNames(InputDevice::Keyboard, {{0x70, "KeyboardF1"}, {0x100, "KeyboardMouse"}, {0x10001, "KeyboardPad"}});
    TestHost::SetKeyNames(InputDevice::Mouse, {{0x100, "Left Click"}, {0x109, "Wheel"}, {0x800, "Mouse800"},
                                               {0xA00, "MouseA00"}, {0x10A, "Mouse10A"}, {0x70, "MouseF1"}});
    TestHost::SetKeyNames(InputDevice::Gamepad, {{0x10A, "Pad10A"}, {0x801, "Pad801"}, {0x10001, "Pad Up"}});
    EXPECT_EQ(GetKeyName(0x70), "KeyboardF1");
    EXPECT_EQ(GetKeyName(0x100), "Left Click");
    EXPECT_EQ(GetKeyName(0x109), "Wheel");
    EXPECT_EQ(GetKeyName(0x800), "Mouse800");
    EXPECT_EQ(GetKeyName(0xA00), "MouseA00");
    EXPECT_EQ(GetKeyName(0x10A), "Pad10A");
    EXPECT_EQ(GetKeyName(0x801), "Pad801");
    EXPECT_EQ(GetKeyName(0x10001), "Pad Up");
    EXPECT_EQ(GetKeyName(0x900), "");  // a mouse code the game does not name, and no built-in name
}

TEST_F(KeyNames, EmptyEntriesAreSkippedAndTheFirstLiveEntryWins) {
    TestHost::SetKeyNameEntries(InputDevice::Keyboard, {{0x70, "Stale", /*empty*/ true},
                                                        {0x70, "Live"},
                                                        {0x70, "Later"},
                                                        {0x71, "Stale too", /*empty*/ true}});
    EXPECT_EQ(GetKeyName(0x70), "Live");
    EXPECT_EQ(GetKeyName(0x71), "F2");
}

// A wide record has no narrow text: the built-in name stands in (none for mouse codes).
TEST_F(KeyNames, AWideRecordGivesTheBuiltInName) {
    TestHost::SetKeyNameEntries(InputDevice::Keyboard, {{0x70, "Wide F1", false, /*wide*/ true}});
    TestHost::SetKeyNameEntries(InputDevice::Mouse, {{0x100, "Wide click", false, /*wide*/ true}});
    EXPECT_EQ(GetKeyName(0x70), "F1");
    EXPECT_EQ(GetKeyName(0x100), "");
}

TEST_F(KeyNames, AnEntryWithoutNameGivesEmptyText) {
    TestHost::SetKeyNameEntries(InputDevice::Keyboard, {{0x70, "", false, false, /*nullName*/ true}});
    EXPECT_EQ(GetKeyName(0x70), "");
}

TEST_F(KeyNames, AMissingMapOrObjectGivesEmptyTextNotTheBuiltInName) {
    TestHost::RemoveInputMap(InputDevice::Keyboard);
    EXPECT_EQ(GetKeyName(0x70), "");
    EXPECT_EQ(GetKeyName(0x10001), "DPAD Up");  // the gamepad map is still there
    TestHost::RemoveInputMap(InputDevice::Gamepad);
    EXPECT_EQ(GetKeyName(0x10001), "");
    TestHost::ClearInputNames();
    EXPECT_EQ(GetKeyName(0x70), "F1");
    TestHost::RemoveInputNameObject();
    EXPECT_EQ(GetKeyName(0x70), "");
    EXPECT_EQ(TestHost::InputNameObject(), nullptr);
}

// The object pointer leads to memory that faults when read: a negative code
// must answer without reading it.
constexpr std::uintptr_t faultingAddress = 0x1000;

TEST_F(KeyNames, ANegativeCodeDoesNotReadTheGameTables) {
    TestHost::SetGameData<std::uintptr_t>(Velloquin::GameIndex::inputNameTables, faultingAddress);
    EXPECT_EQ(GetKeyName(0x80000000), "");
    EXPECT_EQ(GetKeyName(0xFFFFFFFF), "");
    EXPECT_EQ(GetKeyName(0x80000070), "");
}

#ifndef _WIN32
// The faulting pointer really faults when the tables are read.
TEST_F(KeyNames, DeathTheFaultingObjectFaultsForAPositiveCode) {
    TestHost::SetGameData<std::uintptr_t>(Velloquin::GameIndex::inputNameTables, faultingAddress);
    EXPECT_DEATH(GetKeyName(0x70), "");
}
#endif

}  // namespace

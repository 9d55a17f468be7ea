// Keyboard chords in the settings: [QuickKeyModifiers], and the binding rules
// with (modifier, key) pairs, one table of main and custom files.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "config/key_names.h"
#include "config/settings.h"
#include "core/state.h"
#include "game_folder.h"
#include "host.h"
#include "image.h"
#include "input_names.h"

namespace {

namespace V = Velloquin;

const std::string mainFile = ".\\Data\\QVEX\\Plugins\\Velloquin.ini";
const std::string customFile = ".\\Data\\QVEX\\Plugins\\VelloquinCustom.ini";

const char* KindName(V::SettingsValueEffect::Kind kind) {
    switch (kind) {
    case V::SettingsValueEffect::AlreadyBound: return "repeated";
    case V::SettingsValueEffect::ModifierIsKey: return "modifier-is-key";
    case V::SettingsValueEffect::KeyIsModifier: return "key-is-modifier";
    case V::SettingsValueEffect::Zero: return "zero";
    case V::SettingsValueEffect::Unreadable: return "unreadable";
    default: return "?";
    }
}

std::string Hex(std::uint32_t value) {
    std::ostringstream out;
    out << std::hex << std::uppercase << value;
    return out.str();
}

// "12:10+70 13:70": each bound slot with its modifier, as the plug-in holds them after LoadSettings.
std::string Bindings() {
    std::string out;
    for (std::size_t k = 0; k < V::quickSlotCount; ++k) {
        const std::uint32_t code = V::quickKeyCodes.at(k), modifier = V::quickKeyModifiers.at(k);
        if (code == 0) {
            EXPECT_EQ(modifier, 0u) << "an unbound slot keeps no modifier";
            continue;
        }
        if (!out.empty()) out += ' ';
        out += std::to_string(k + 12);
        out += ':';
        if (modifier != 0) out += Hex(modifier) + '+';
        out += Hex(code);
    }
    return out;
}

// "13 repeated 12": each key value that did not bind, with the slot that kept the key.
std::string Refusals(const V::SettingsRecord& record) {
    std::string out;
    for (const auto& e : record.effects) {
        if (std::string(e.section) != "QuickKeys" || e.kind == V::SettingsValueEffect::Bound) continue;
        if (!out.empty()) out += "; ";
        out += std::to_string(e.slot + 12);
        out += ' ';
        out += KindName(e.kind);
        if (e.kind != V::SettingsValueEffect::Zero && e.kind != V::SettingsValueEffect::Unreadable) {
            out += ' ';
            out += std::to_string(e.holder + 12);
        }
    }
    return out;
}

TEST(ChordSettings, ModifiersAndTheBindingRules) {
    const struct {
        const char* what;
        const char* main;
        const char* custom;  // nullptr: no custom file
        const char* bindings;
        const char* refusals;
    } cases[] = {
        {"without chords a repeated key is refused",
         "[QuickKeys]\niQuickKey12=70\niQuickKey13=70\n", nullptr, "12:70", "13 repeated 12"},
        {"a key alone and its chord bind two slots",
         "[QuickKeys]\niQuickKey12=70\niQuickKey13=70\n[QuickKeyModifiers]\niQuickKey13=10\n", nullptr,
         "12:70 13:10+70", ""},
        {"the modifiers are read before the keys, wherever the section stands",
         "[QuickKeyModifiers]\niQuickKey12=11\n[QuickKeys]\niQuickKey12=70\niQuickKey13=70\n", nullptr,
         "12:11+70 13:70", ""},
        {"the same chord twice: the later one is refused",
         "[QuickKeys]\niQuickKey12=70\niQuickKey13=70\n[QuickKeyModifiers]\niQuickKey12=10\niQuickKey13=0x10\n",
         nullptr, "12:10+70", "13 repeated 12"},
        {"Left Shift and Shift on one key are two chords",
         "[QuickKeys]\niQuickKey12=70\niQuickKey13=70\n[QuickKeyModifiers]\niQuickKey12=A0\niQuickKey13=10\n",
         nullptr, "12:A0+70 13:10+70", ""},
        {"every accepted modifier",
         "[QuickKeys]\niQuickKey12=70\niQuickKey13=70\niQuickKey14=70\niQuickKey15=70\niQuickKey16=70\n"
         "iQuickKey17=70\niQuickKey18=70\niQuickKey19=70\niQuickKey20=70\n"
         "[QuickKeyModifiers]\niQuickKey12=10\niQuickKey13=11\niQuickKey14=12\niQuickKey15=A0\niQuickKey16=A1\n"
         "iQuickKey17=A2\niQuickKey18=A3\niQuickKey19=A4\niQuickKey20=A5\n",
         nullptr, "12:10+70 13:11+70 14:12+70 15:A0+70 16:A1+70 17:A2+70 18:A3+70 19:A4+70 20:A5+70", ""},
        {"codes that are no modifier are ignored: the key binds alone",
         "[QuickKeys]\niQuickKey12=70\niQuickKey13=71\niQuickKey14=72\niQuickKey15=73\niQuickKey16=74\n"
         "[QuickKeyModifiers]\niQuickKey12=41\niQuickKey13=5B\niQuickKey14=13\niQuickKey15=A6\niQuickKey16=zz\n",
         nullptr, "12:70 13:71 14:72 15:73 16:74", ""},
        {"a modifier on a slot without a key, or on a gamepad key, is ignored",
         "[QuickKeys]\niQuickKey13=10001\n[QuickKeyModifiers]\niQuickKey12=10\niQuickKey13=10\n", nullptr,
         "13:10001", ""},
        {"a key bound alone cannot be a later chord's modifier",
         "[QuickKeys]\niQuickKey12=10\niQuickKey13=70\n[QuickKeyModifiers]\niQuickKey13=10\n", nullptr, "12:10",
         "13 modifier-is-key 12"},
        {"a chord's modifier cannot be a later slot's key, either side of it",
         "[QuickKeys]\niQuickKey12=70\niQuickKey13=A0\niQuickKey14=A1\n[QuickKeyModifiers]\niQuickKey12=10\n",
         nullptr, "12:10+70", "13 key-is-modifier 12; 14 key-is-modifier 12"},
        {"Right Ctrl as a modifier leaves Left Ctrl free as a key",
         "[QuickKeys]\niQuickKey12=70\niQuickKey13=A2\n[QuickKeyModifiers]\niQuickKey12=A3\n", nullptr,
         "12:A3+70 13:A2", ""},
        {"a chord's key is no other chord's modifier",
         "[QuickKeys]\niQuickKey12=11\niQuickKey13=71\n[QuickKeyModifiers]\niQuickKey12=10\niQuickKey13=11\n",
         nullptr, "12:10+11", "13 modifier-is-key 12"},
        {"a chord of a modifier with itself is refused",
         "[QuickKeys]\niQuickKey12=10\niQuickKey13=A4\n[QuickKeyModifiers]\niQuickKey12=10\niQuickKey13=12\n",
         nullptr, "", "12 modifier-is-key 12; 13 modifier-is-key 13"},
        {"the custom file's 0 removes the main file's modifier",
         "[QuickKeys]\niQuickKey12=70\n[QuickKeyModifiers]\niQuickKey12=10\n", "[QuickKeyModifiers]\niQuickKey12=0\n",
         "12:70", ""},
        {"the custom file's modifier replaces the main file's",
         "[QuickKeys]\niQuickKey12=70\n[QuickKeyModifiers]\niQuickKey12=10\n", "[QuickKeyModifiers]\niQuickKey12=12\n",
         "12:12+70", ""},
        {"a custom modifier turns the main file's repeated key into a chord",
         "[QuickKeys]\niQuickKey12=70\niQuickKey13=70\n", "[QuickKeyModifiers]\niQuickKey13=11\n", "12:70 13:11+70", ""},
        {"the custom file cannot take a chord over from a slot the main file binds",
         "[QuickKeys]\niQuickKey12=70\n[QuickKeyModifiers]\niQuickKey12=10\niQuickKey13=10\n",
         "[QuickKeys]\niQuickKey13=70\n", "12:10+70", "13 repeated 12"},
        {"the custom file cannot bind a key that is a main-file chord's modifier",
         "[QuickKeys]\niQuickKey12=71\n[QuickKeyModifiers]\niQuickKey12=11\n", "[QuickKeys]\niQuickKey13=11\n",
         "12:11+71", "13 key-is-modifier 12"},
        {"a modifier is read only from its own section",
         "[QuickKeys]\niQuickKey12=70\n[QuickKeyModifier]\niQuickKey12=10\n[Gamepad]\niQuickKey12=10\n", nullptr,
         "12:70", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestHost::ClearGameFolder();
        TestHost::WriteGameFile(mainFile, c.main);
        if (c.custom) TestHost::WriteGameFile(customFile, c.custom);
        V::quickKeyModifiers.fill(0xDEAD);  // leftovers of an earlier load must not survive
        V::LoadSettings();
        EXPECT_EQ(Bindings(), c.bindings);
        EXPECT_EQ(Refusals(V::ReadSettings(V::inWorkingFolder)), c.refusals);
    }
}

TEST(ChordSettings, TheMenuNamesAChordByItsTwoKeys) {
    TestHost::ResetWorld();
    V::gameModuleBase = TestHost::ImageBase();
    // The game names Ctrl its own way and has an entry for 0x88 without a name.
    TestHost::SetKeyNames(TestHost::InputDevice::Keyboard, {{0x11, "Ctrl"}, {0x70, "F1"}});
    const struct {
        std::uint32_t code, modifier;
        const char* name;
    } cases[] = {
        {0x70, 0, "F1"},
        {0x70, 0x10, "Shift+F1"},
        {0x31, 0x11, "Ctrl+1"},       // each name as the menu takes a key's name: the game's first
        {0x41, 0xA4, "Left Alt+A"},
        {0x88, 0x10, ""},             // the key has no name: half a chord's name is not shown
        {0x10001, 0x10, "DPAD Up"},   // a modifier counts only with a keyboard key
    };
    for (const auto& c : cases) EXPECT_EQ(V::GetQuickKeyName(c.code, c.modifier), c.name) << std::hex << c.code;
}

}  // namespace

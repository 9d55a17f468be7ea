// Keyboard chords in the update pass: which slot a key uses with a modifier
// held or not, what a held key keeps, and how many keys a pass reads.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "equipment.h"
#include "forms.h"
#include "game_folder.h"
#include "game_runtime.h"
#include "host.h"
#include "menu/runtime.h"
#include "menus.h"
#include "player.h"
#include "plugin/exports.h"
#include "recorder.h"
#include "support/plugin_state.h"

using namespace TestHost;
namespace V = Velloquin;

namespace {

constexpr std::int64_t ms = 1'000'000;

struct Binding {
    int quickKey;
    std::uint32_t code;
    std::uint32_t modifier;
};

class ChordPassTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWorld();
        ResetPluginState();
        ClearGameFolder();
        SetNow(20'000 * ms);
        LoaderMessage ready{nullptr, 2};
        V::OnLoaderMessage(&ready);
        SetEquipMarksEquipped(false);
    }

    // The slot holds a carried weapon named after its quick key.
    void Bind(const Binding& b) {
        const auto slot = static_cast<std::size_t>(b.quickKey - 12);
        Form* weapon = MakeForm(0x3000 + static_cast<std::uint32_t>(b.quickKey), typeWeapon, "Q" + std::to_string(b.quickKey));
        AddItem(weapon);
        V::quickItems.at(slot) = reinterpret_cast<V::Game::Form*>(weapon);
        V::quickKeyCodes.at(slot) = b.code;
        V::quickKeyModifiers.at(slot) = b.modifier;
    }

    // One pass 70 ms after the last: the quick key it used ("Q13"), or ".".
    std::string Pass() {
        Advance(70);
        const std::size_t before = RecordsStartingWith("equip object").size();
        FirePlayerUpdate();
        const auto all = RecordsStartingWith("equip object");
        std::string used;
        for (std::size_t i = before; i < all.size(); ++i) used += all[i].substr(all[i].find(" Q") + 1, 3);
        return used.empty() ? "." : used;
    }

    // Plays "+10 +70 =Q13 -10 =Q13": +code and -code press and release a key
    // (hexadecimal), =X runs a pass that must use X. Returns what the passes
    // used. A pass sees the keys as they are when it runs: a key let go and
    // pressed again with no pass between counts as held.
    std::string Play(const std::string& script) {
        std::istringstream words(script);
        std::string seen;
        for (std::string word; words >> word;) {
            if (word[0] == '=') {
                seen += (seen.empty() ? "" : " ") + Pass();
            } else {
                SetKeyDown(std::stoi(word.substr(1), nullptr, 16), word[0] == '+');
            }
        }
        return seen;
    }
    static std::string Expected(const std::string& script) {
        std::istringstream words(script);
        std::string out;
        for (std::string word; words >> word;)
            if (word[0] == '=') out += (out.empty() ? "" : " ") + word.substr(1);
        return out;
    }
};

TEST_F(ChordPassTest, PressingCases) {
    const Binding f1{12, 0x70, 0}, shiftF1{13, 0x70, 0x10}, ctrlF2{14, 0x71, 0x11}, f3{15, 0x72, 0},
        ctrlF1{16, 0x70, 0x11}, leftShiftF1{17, 0x70, 0xA0};
    const struct {
        const char* what;
        std::vector<Binding> bindings;
        const char* script;
    } cases[] = {
        {"without chords a held modifier changes nothing", {f1, f3}, "+10 +70 =Q12 =Q12 -70 +72 =Q15 -72 =."},
        {"a key alone and with its chord's modifier", {f1, shiftF1}, "+70 =Q12 -70 =. +10 =. +70 =Q13 -70 -10 =."},
        {"a chord's modifier let go while the key stays down: the chord repeats",
         {f1, shiftF1}, "+10 +70 =Q13 -10 =Q13 =Q13 -70 =. +70 =Q12"},
        {"the modifier pressed while the key stays down: the key alone repeats",
         {f1, shiftF1}, "+70 =Q12 +10 =Q12 =Q12 -70 =. +70 =Q13"},
        {"a chord on a key without a slot of its own", {ctrlF2}, "+71 =. +11 =. -71 =. +71 =Q14 =Q14 -11 =Q14 -71 =."},
        {"a key that uses no slot does not hide a higher one", {ctrlF2, f3}, "+71 +72 =Q15 -72 =. +11 =. -71 =. +71 =Q14"},
        {"the lower code wins, chord or not", {shiftF1, f3}, "+10 +72 +70 =Q13 -70 =Q15 -72 -10 +70 +72 =Q15"},
        {"another key's modifier is no modifier of this one", {f1, ctrlF2}, "+11 +70 =Q12 -70 +71 =Q14"},
        {"two chords on one key: the lowest slot whose modifier is held",
         {shiftF1, ctrlF1}, "+11 +70 =Q16 -70 =. +10 +70 =Q13 -11 -70 =. +11 +70 =Q13"},
        {"only the side that is held", {f1, leftShiftF1}, "+A1 +70 =Q12 -70 =. +A0 +70 =Q17"},
        {"a chord key held while a lower key answers keeps its chord",
         {shiftF1, f1, Binding{18, 0x31, 0}}, "+10 +70 =Q13 +31 =Q18 -10 =Q18 -31 =Q13 =Q13"},
        {"a chord key that went down while a lower key answered chose then",
         {shiftF1, f1, Binding{18, 0x31, 0}}, "+31 =Q18 +10 +70 =Q18 -10 =Q18 -31 =Q13"},
        {"a chord key let go and pressed again while a lower key answers chooses again",
         {shiftF1, f1, Binding{18, 0x31, 0}}, "+10 +70 =Q13 +31 =Q18 -70 =Q18 -10 +70 =Q18 -31 =Q12"},
        {"two chord keys held: each keeps its own choice",
         {shiftF1, f1, Binding{19, 0x71, 0}, Binding{20, 0x71, 0x11}},
         "+10 +71 =Q19 +70 =Q13 -10 +11 =Q13 -70 =Q19 -71 =. +71 =Q20"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ReleaseAllKeys();
        for (const Binding& b : c.bindings) Bind(b);
        EXPECT_EQ(Play(c.script), Expected(c.script));
    }
}

TEST_F(ChordPassTest, AChordSlotWithoutAnItemUsesNothingElse) {
    Bind({12, 0x70, 0});
    Bind({13, 0x70, 0x10});
    V::quickItems.at(1) = nullptr;
    EXPECT_EQ(Play("+10 +70 =. -10 =. -70 =. +70 =Q12"), ". . . Q12");
}

TEST_F(ChordPassTest, OneExtraKeyReadForAChordKeyThatGoesDownAndNoneWhileItIsHeld) {
    Bind({12, 0x70, 0});
    Bind({13, 0x70, 0x10});
    Bind({14, 0x70, 0x11});
    Bind({15, 0x71, 0x12});
    Bind({16, 0x72, 0});
    RecordKeyStateQueries(true);
    const auto reads = [&](const std::string& script) {
        ClearKeyStateQueries();
        Play(script);
        std::string out;
        for (int key : KeyStateQueries()) out += (out.empty() ? "" : " ") + std::to_string(key);
        return out;
    };
    // Every key is read on every pass, also past the one the pass uses, so
    // that a press is known to go on; a chord key's modifiers only when it goes down.
    EXPECT_EQ(reads("="), "112 113 114");                  // none down: each code once
    EXPECT_EQ(reads("+11 +70 ="), "112 16 17 113 114");    // F1 went down: Shift up, Ctrl held
    EXPECT_EQ(reads("="), "112 113 114");                  // held: the keys alone
    EXPECT_EQ(reads("-70 -11 +71 ="), "112 113 18 114");   // F2 without Alt: one read, then on to F3
}

TEST_F(ChordPassTest, TheFavouritesMenuOpenInBetweenMakesAHeldKeyANewPress) {
    Bind({12, 0x70, 0});
    Bind({13, 0x70, 0x10});
    EXPECT_EQ(Play("+10 +70 =Q13 -10"), "Q13");
    V::OnMenuOpen(OpenMenu("FavoritesMenu"));
    Pass();
    SetMenuOpen("FavoritesMenu", false);
    Pass();  // sees the menu closed
    EXPECT_EQ(Play("="), "Q12");
}

}  // namespace

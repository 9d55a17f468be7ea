// The presses a polling pass reports: when each key's press begins, the slot
// it chose then and keeps while it is held, and which press the pass uses.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "controller.h"
#include "game_runtime.h"
#include "host.h"
#include "menu/key_poll.h"
#include "support/plugin_state.h"

using namespace TestHost;
namespace V = Velloquin;

namespace {

struct Binding {
    int quickKey;
    std::uint32_t code;
    std::uint32_t modifier;
};

void Bind(const Binding& b) {
    const auto slot = static_cast<std::size_t>(b.quickKey - 12);
    V::quickKeyCodes.at(slot) = b.code;
    V::quickKeyModifiers.at(slot) = b.modifier;
}

// One pass's presses as "*70=13! 72=15": the code (hexadecimal), the quick
// key it chose ("-" for none), "!" when the press began on this pass, "*" on
// the press the pass uses.
std::string Poll() {
    V::StateLock lock(V::stateMutex);
    const V::QuickKeyPoll poll = V::PollQuickKeys(20'000'000'000);
    std::ostringstream out;
    out << std::hex << std::uppercase;
    for (std::size_t n = 0; n < poll.pressCount; ++n) {
        const V::QuickKeyPress& p = poll.presses.at(n);
        out << (n ? " " : "") << (n == poll.used ? "*" : "") << p.code << "=";
        if (p.slot == V::noQuickSlot) {
            out << "-";
        } else {
            out << std::dec << 12 + static_cast<int>(p.slot) << std::hex;
        }
        out << (p.began ? "!" : "");
    }
    if (poll.used == V::noQuickSlot) EXPECT_EQ(poll.UsedSlot(), V::noQuickSlot);
    if (poll.used != V::noQuickSlot) EXPECT_EQ(poll.UsedSlot(), poll.presses.at(poll.used).slot);
    return out.str().empty() ? "." : out.str();
}

// "+70" / "-70" press or let go of a key (codes above 0xFF: a gamepad code),
// "forget" ends every press (the favourites menu), "rebind" changes the slot
// table (slot 23 to key 0x7B and back).
void Act(const std::string& action) {
    if (action == "forget") {
        V::StateLock lock(V::stateMutex);
        V::ForgetHeldKeys();
        return;
    }
    if (action == "rebind") {
        V::quickKeyCodes.at(11) = V::quickKeyCodes.at(11) == 0x7B ? 0 : 0x7B;
        return;
    }
    const auto code = static_cast<std::uint32_t>(std::stoul(action.substr(1), nullptr, 16));
    if (code > 0xFF) {
        SetPadButton(code, action[0] == '+');
    } else {
        SetKeyDown(static_cast<int>(code), action[0] == '+');
    }
}

TEST(KeyPollTest, EachPressBeginsOnceAndKeepsTheSlotItChose) {
    const Binding f1{12, 0x70, 0}, shiftF1{13, 0x70, 0x10}, ctrlF2{14, 0x71, 0x11}, f3{15, 0x72, 0},
        one{18, 0x31, 0}, dpadUp{20, 0x10001, 0}, aButton{21, 0x11000, 0};
    const struct {
        const char* what;
        std::vector<Binding> bindings;
        // Each step: the actions before a pass, then what the pass reports.
        std::vector<std::pair<std::vector<std::string>, std::string>> steps;
    } cases[] = {
        {"a chord key keeps its choice while a lower key is used",
         {f1, shiftF1, one},
         {{{"+10", "+70"}, "*70=13!"},
          {{"+31"}, "*31=18! 70=13"},
          {{"-10"}, "*31=18 70=13"},
          {{"-31"}, "*70=13"},
          {{"-70"}, "."},
          {{"+70"}, "*70=12!"}}},
        {"a key that went down while a lower key was used chose then",
         {f1, shiftF1, one},
         {{{"+31"}, "*31=18!"}, {{"+10", "+70"}, "*31=18 70=13!"}, {{"-10", "-31"}, "*70=13"}}},
        {"a key that chose no slot is a press the pass does not use",
         {ctrlF2, f3},
         {{{"+71", "+72"}, "71=-! *72=15!"}, {{"+11"}, "71=- *72=15"}, {{"-72"}, "71=-"}, {{"-71"}, "."},
          {{"+71"}, "*71=14!"}}},
        {"ending every press (the favourites menu) makes held keys new presses",
         {f1, shiftF1, f3},
         {{{"+10", "+70", "+72"}, "*70=13! 72=15!"}, {{"-10"}, "*70=13 72=15"}, {{"forget"}, "*70=12! 72=15!"},
          {{}, "*70=12 72=15"}}},
        {"a change of the slot table makes held keys new presses",
         {f1, f3},
         {{{"+70"}, "*70=12!"}, {{"rebind"}, "*70=12!"}, {{}, "*70=12"}, {{"rebind"}, "*70=12!"}}},
        {"gamepad presses: carried over while a keyboard key is used, ended by letting go",
         {f1, dpadUp, aButton},
         {{{"+10001"}, "*10001=20!"},
          {{"+70"}, "*70=12! 10001=20"},
          {{"+11000"}, "*70=12 10001=20"},  // not read: the A button's press is not seen yet
          {{"-70"}, "*10001=20 11000=21!"},
          {{"-10001"}, "*11000=21"},
          {{"+10001"}, "*10001=20! 11000=21"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetWorld();
        ResetPluginState();
        ReleaseAllKeys();
        ConnectController(true);
        for (const Binding& b : c.bindings) Bind(b);
        int step = 0;
        for (const auto& [actions, expected] : c.steps) {
            SCOPED_TRACE("pass " + std::to_string(++step));
            for (const std::string& a : actions) Act(a);
            EXPECT_EQ(Poll(), expected);
        }
    }
    ReleaseAllKeys();
}

// Twelve slots on twelve different keys up to 0xFE, the highest keyboard code:
// each key alone uses its slot (the highest too), every key is read once on a
// pass with none down, and a chord key whose modifier is not held uses none.
TEST(KeyPollTest, TwelveKeysUpToTheHighestCodeEachUseTheirSlot) {
    const struct {
        const char* what;
        bool descending;    // slot 12 on the highest code, slot 23 on the lowest
        std::uint32_t modifier;
        bool holdModifier;
    } cases[] = {
        {"alone, ascending", false, 0, false},
        {"alone, descending", true, 0, false},
        {"chords with Shift held", false, 0x10, true},
        {"chords with Shift held, descending", true, 0x10, true},
        {"chords without their modifier use none", false, 0x10, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetWorld();
        ResetPluginState();
        ReleaseAllKeys();
        std::vector<int> codes;
        for (std::size_t i = 0; i < V::quickSlotCount; ++i) {
            const auto code = static_cast<std::uint32_t>(c.descending ? 0xFE - i : 0xF3 + i);
            Bind({12 + static_cast<int>(i), code, c.modifier});
        }
        for (std::uint32_t code = 0xF3; code <= 0xFE; ++code) codes.push_back(static_cast<int>(code));
        RecordKeyStateQueries(true);
        ClearKeyStateQueries();
        EXPECT_EQ(Poll(), ".");
        EXPECT_EQ(KeyStateQueries(), codes);
        RecordKeyStateQueries(false);
        SetKeyDown(0x10, c.holdModifier);
        for (std::size_t i = 0; i < V::quickSlotCount; ++i) {
            const std::uint32_t code = V::quickKeyCodes.at(i);
            SetKeyDown(static_cast<int>(code), true);
            std::ostringstream expected;
            expected << std::hex << std::uppercase << (c.modifier && !c.holdModifier ? "" : "*") << code << "=";
            if (c.modifier && !c.holdModifier) {
                expected << "-!";
            } else {
                expected << std::dec << 12 + i << "!";
            }
            EXPECT_EQ(Poll(), expected.str());
            SetKeyDown(static_cast<int>(code), false);
            EXPECT_EQ(Poll(), ".");
        }
    }
    ReleaseAllKeys();
}

}  // namespace

// Key polling. The bound codes are put in polling order once each time the
// settings change, not on every pass: a pass only checks that the slot
// table is the one the order was made from. Every pass reads every bound
// keyboard key, also past the one it uses, so that each key's press (and the
// slot it chose) is known to go on or to have ended.
#include "menu/key_poll.h"

#include <array>

#include "config/key_names.h"
#include "menu/gamepad.h"
#include "menu/runtime.h"
#include "platform/win32.h"

namespace Velloquin {

namespace {

// One bound code, in ascending order of codes.
struct PolledKey {
    std::uint32_t code;
    std::uint8_t slot;        // the lowest slot bound to the code alone; noQuickSlot when only chords have it
    std::uint8_t asks;        // without chords: the key is asked once per slot that carries it
    std::uint8_t firstChord;  // its chords: chords[firstChord] onwards, chordCount of them, in slot order
    std::uint8_t chordCount;
};

struct Chord {
    std::uint32_t modifier;
    std::uint8_t slot;
};

// Under stateMutex, as the slot table it is made from. Its tables are indexed
// with at(): an index past one is a fault that ends the pass, never a read
// beyond the table.
struct PollOrder {
    bool made = false;
    std::array<std::uint32_t, quickSlotCount> codes{};      // the slot table the order was made from
    std::array<std::uint32_t, quickSlotCount> modifiers{};
    std::array<PolledKey, quickSlotCount> keys{};
    std::size_t keyCount = 0;
    std::array<Chord, quickSlotCount> chords{};
    // Each key's press: the polling pass that last saw key i down, and the
    // slot it chose when its press began (noQuickSlot: none).
    std::uint64_t pass = 0;
    std::array<std::uint64_t, quickSlotCount> seenDown{};
    std::array<std::uint8_t, quickSlotCount> heldSlot{};
};
PollOrder order GUARDED_BY(stateMutex);

void MakeOrder() REQUIRES(stateMutex) {
    order = PollOrder{};
    order.codes = quickKeyCodes;
    order.modifiers = quickKeyModifiers;
    order.made = true;
    order.pass = 1;  // no key was seen down on the pass before the first one (seenDown 0)
    // The polled slots by code, then slot (insertion: twelve at most).
    std::array<std::uint8_t, quickSlotCount> slots{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < quickSlotCount; ++i) {
        const std::uint32_t code = quickKeyCodes.at(i);
        if (!IsPolledKeyCode(code)) continue;
        std::size_t at = count++;
        for (; at > 0 && quickKeyCodes.at(slots.at(at - 1)) > code; --at) slots.at(at) = slots.at(at - 1);
        slots.at(at) = static_cast<std::uint8_t>(i);
    }
    std::size_t chordCount = 0;
    for (std::size_t n = 0; n < count; ++n) {
        const std::uint8_t slot = slots.at(n);
        const std::uint32_t code = quickKeyCodes.at(slot);
        const std::uint32_t modifier = IsKeyboardKeyCode(code) ? quickKeyModifiers.at(slot) : 0;
        if (order.keyCount == 0 || order.keys.at(order.keyCount - 1).code != code)
            order.keys.at(order.keyCount++) = PolledKey{code, static_cast<std::uint8_t>(noQuickSlot), 0,
                                                        static_cast<std::uint8_t>(chordCount), 0};
        PolledKey& key = order.keys.at(order.keyCount - 1);
        if (modifier == 0) {
            if (key.asks++ == 0) key.slot = slot;
        } else {
            order.chords.at(chordCount++) = Chord{modifier, slot};
            ++key.chordCount;
        }
    }
}

// A chord key just went down: the lowest chord slot whose modifier is held,
// else the key's own slot. One key read per chord at most.
std::uint8_t ChooseSlot(const PolledKey& key) REQUIRES(stateMutex) {
    for (std::size_t c = key.firstChord; c < key.firstChord + key.chordCount; ++c)
        if (GetKeyState(static_cast<int>(order.chords.at(c).modifier)) < 0) return order.chords.at(c).slot;
    return key.slot;
}

// Key i is down on this pass: its press goes on, or begins and chooses its
// slot. The pass uses the first press that has a slot.
void SeeDown(QuickKeyPoll& poll, std::size_t i, std::uint64_t pass) REQUIRES(stateMutex) {
    const PolledKey& key = order.keys.at(i);
    const bool began = order.seenDown.at(i) + 1 != pass;
    if (began) order.heldSlot.at(i) = key.chordCount != 0 ? ChooseSlot(key) : key.slot;
    order.seenDown.at(i) = pass;
    const std::uint8_t slot = order.heldSlot.at(i);
    if (poll.used == noQuickSlot && slot != noQuickSlot) poll.used = poll.pressCount;
    poll.presses.at(poll.pressCount++) = QuickKeyPress{key.code, slot, began, static_cast<std::uint8_t>(i)};
}

}  // namespace

void ForgetHeldKeys() { order.made = false; }

QuickKeyPoll PollQuickKeys(std::int64_t now) {
    if (!order.made || order.codes != quickKeyCodes || order.modifiers != quickKeyModifiers) MakeOrder();
    const std::uint64_t pass = ++order.pass;
    QuickKeyPoll poll;
    std::size_t i = 0;
    for (; i < order.keyCount && order.keys.at(i).code <= lastPolledKeyCode; ++i) {
        const PolledKey& key = order.keys.at(i);
        const int code = static_cast<int>(key.code);
        bool down = false;
        if (key.chordCount == 0) {
            for (std::uint8_t ask = 0; ask < key.asks && !down; ++ask) down = GetKeyState(code) < 0;
        } else {
            down = GetKeyState(code) < 0;
        }
        if (down) SeeDown(poll, i, pass);
    }
    // The controller is read only when no keyboard key uses a slot, and only
    // when a gamepad code is bound; a pass that does not read it carries each
    // gamepad press over from the pass before.
    if (i < order.keyCount) {
        const bool keyboardUsed = poll.used != noQuickSlot;
        GamepadReading pad;
        const bool padDown = !keyboardUsed && ReadGamepad(now, pad) &&
                             (gamepadModifier == 0 || IsGamepadCodeDown(pad, gamepadModifier));
        for (; i < order.keyCount; ++i) {
            const bool down = keyboardUsed ? order.seenDown.at(i) + 1 == pass
                                           : padDown && IsGamepadCodeDown(pad, order.keys.at(i).code);
            if (down) SeeDown(poll, i, pass);
        }
    }
    return poll;
}

}  // namespace Velloquin

// Which quick slot the keys held down use: the polling part of the update
// pass, with keyboard chords (a modifier held with a slot's key).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/state.h"

namespace Velloquin {

inline constexpr std::size_t noQuickSlot = quickSlotCount;

// One press of a bound key. A press begins on the pass that first sees the
// key down and lasts while each following pass sees it down, whatever other
// keys do meanwhile. The key chooses its slot when the press begins and keeps
// it to the end of the press: a code bound without a modifier uses its lowest
// slot; a key that has chords uses the lowest chord slot whose modifier is
// held, else its slot without a modifier, else none.
struct QuickKeyPress {
    std::uint32_t code = 0;  // the key: a keyboard or gamepad code
    std::uint8_t slot = static_cast<std::uint8_t>(noQuickSlot);  // the slot it chose; noQuickSlot: none
    bool began = false;      // the press began on this pass (its slot was chosen now); false: held from before
    std::uint8_t key = 0;    // the key's place in the polling order, the same for as long as the press lasts
};

// What one polling pass saw: the presses going on, in the polling order
// (keyboard keys by ascending code, then gamepad codes), and the one the pass
// uses: the first whose key chose a slot. Every polled key has one entry at
// most, so twelve are enough.
struct QuickKeyPoll {
    std::array<QuickKeyPress, quickSlotCount> presses{};
    std::size_t pressCount = 0;
    std::size_t used = noQuickSlot;  // index into presses; noQuickSlot when the pass uses no slot

    std::size_t UsedSlot() const { return used < pressCount ? presses.at(used).slot : noQuickSlot; }
};

// Polls the bound keys at `now`: every keyboard key (a code bound to several
// slots without a modifier is asked once per such slot until it answers
// down; a key with chords once, and its modifiers only when a press begins),
// then the controller, read only when no keyboard key uses a slot and a
// gamepad code is bound (while a gamepad modifier is set, gamepad codes count
// only while it is held). A pass that does not read the controller takes the
// gamepad presses as they were. Allocates nothing. Under stateMutex.
QuickKeyPoll PollQuickKeys(std::int64_t now) REQUIRES(stateMutex);

// Ends every press: the next pass takes every key it finds down as newly
// pressed (after the favourites menu was open, and for a fresh plug-in in the
// tests). A change of the slot table does the same.
void ForgetHeldKeys() REQUIRES(stateMutex);

}  // namespace Velloquin

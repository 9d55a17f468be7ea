// Which quick slot the keys held down use: the polling part of the update
// pass, with keyboard chords (a modifier held with a slot's key).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/state.h"

namespace Velloquin {

inline constexpr std::size_t noQuickSlot = quickSlotCount;

// The slot whose key is pressed at `now`, or noQuickSlot. Codes are tried
// from low to high and the first one that is down and uses a slot wins; a
// code bound without a modifier uses its lowest slot. A key that has chords
// uses the lowest chord slot whose modifier is held, else its slot without a
// modifier, else none; that choice is made on the pass that first sees the
// key down and kept while each following pass sees it down. Under stateMutex.
std::size_t PressedQuickSlot(std::int64_t now) REQUIRES(stateMutex);

// The next pass takes every key it finds down as newly pressed (after the
// favourites menu was open, and for a fresh plug-in in the tests).
void ForgetHeldKeys() REQUIRES(stateMutex);

}  // namespace Velloquin

// What the plug-in and the tools that read its files agree on: how many extra
// slots there are, the quick-key numbers they carry, the pieces an outfit
// holds, and the plug-in's folder.
// Apart from the runtime state (core/state.h), which the tools do not need.
#pragma once

#include <cstddef>
#include <string>

namespace Velloquin {

inline constexpr std::size_t quickSlotCount = 12;
inline constexpr int firstQuickKey = 12;  // slot index i carries quick-key number 12 + i
// The most pieces an outfit slot holds (and an items file names for one slot).
inline constexpr std::size_t outfitPieceLimit = 12;

extern const std::string pluginFolder;  // ".\Data\QVEX\Plugins\Velloquin\" (config/settings.cpp)

}  // namespace Velloquin

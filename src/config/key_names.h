// Key codes and the names the favourites menu shows for them.
#pragma once

#include <cstdint>
#include <string>

namespace Velloquin {

// The game's input-name tables first, then the built-in names.
std::string GetKeyName(std::uint32_t code);
std::string GetBuiltInKeyName(std::uint32_t code);

}  // namespace Velloquin

// Icon keywords and the icon of a form.
#pragma once

#include <map>
#include <string>

#include "core/state.h"
#include "game/game.h"

namespace Velloquin {

struct IconCategory {
    std::string iconName;
    std::string directoryName;
};

inline constexpr std::uint8_t formTypePower = 28;
inline constexpr std::uint8_t formTypeEquipment = 34;
inline constexpr std::uint8_t formTypeWeapon = 48;
inline constexpr std::uint8_t formTypeConsumable = 54;

// Keyword form -> icon name, ordered by the keyword's address.
extern std::map<const Game::Form*, std::string> iconKeywords GUARDED_BY(stateMutex);
extern const Game::Form* grenadeKeyword GUARDED_BY(stateMutex);
extern const Game::Form* mineKeyword GUARDED_BY(stateMutex);
extern const Game::Form* medicalKeyword1 GUARDED_BY(stateMutex);
extern const Game::Form* medicalKeyword2 GUARDED_BY(stateMutex);

// The icon name of an inventory-category keyword's display name.
std::string MakeCategoryIconName(std::string name);

void PrecacheIconKeywords() REQUIRES(stateMutex);
bool GetIconCategory(const Game::Form* form, IconCategory* out) REQUIRES(stateMutex);
bool HasKeyword(const Game::Form* form, const Game::Form* keyword);

}  // namespace Velloquin

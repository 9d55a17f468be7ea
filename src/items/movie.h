// Typed access to an open menu's movie by variable path.
#pragma once

#include <cstdint>
#include <string>

#include "game/game.h"

namespace Velloquin {

Game::Menu* FindMenuByName(const std::string& name);

bool GetMenuArraySize(const std::string& menuName, const std::string& path, std::uint32_t* count);
bool GetMenuInt(const std::string& menuName, const std::string& path, std::int32_t* value, Game::Menu* menu);
bool GetMenuBool(const std::string& menuName, const std::string& path, bool* value, Game::Menu* menu);
bool SetMenuString(const std::string& menuName, const std::string& path, const std::string& text, Game::Menu* menu);
bool SetMenuInt(const std::string& menuName, const std::string& path, std::int32_t value, Game::Menu* menu);
bool SetMenuUInt(const std::string& menuName, const std::string& path, std::uint32_t value, Game::Menu* menu);
bool SetMenuNumber(const std::string& menuName, const std::string& path, float value, Game::Menu* menu);
bool SetMenuBool(const std::string& menuName, const std::string& path, bool value, Game::Menu* menu);
bool InvokeMenuFunction(const std::string& menuName, const std::string& path, Game::Menu* menu);

// The whole number SetMenuNumber writes: truncated toward zero, low 32 bits.
std::uint32_t TruncateNumberToUInt(float value);

}  // namespace Velloquin

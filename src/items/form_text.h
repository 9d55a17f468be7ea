// Texts of forms and ids.
#pragma once

#include <cstdint>
#include <string>

#include "game/game.h"

namespace Velloquin {

std::uint32_t GetFormID(const Game::Form* form);
std::string GetFormName(const Game::Form* form);
std::string GetFormEditorID(const Game::Form* form);
std::string GetHexID(std::uint32_t value);
std::string GetFormHexID(const Game::Form* form);
std::string GetAddressText(std::uintptr_t address);
std::string DescribeForm(const Game::Form* form);
// A form as the log names it: "Plasma Rifle" (0001A2B3). No address: the
// log is read beside other runs.
std::string LogFormText(const Game::Form* form);

}  // namespace Velloquin

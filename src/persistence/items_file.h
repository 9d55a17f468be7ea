// Each character's extra slots, saved in its own items file.
#pragma once

#include <string>
#include <vector>

#include "plugin/game.h"

namespace Velloquin {

std::string GetPlayerID(bool forReading);
bool VerifyQuickItem(const Game::Form* form, int quickKey);
std::vector<std::string> ListFilesWithExtension(const std::string& folder, const std::string& extension);
void FlushQuickItemsToFile();
void ReloadFavoriteItems();

}  // namespace Velloquin

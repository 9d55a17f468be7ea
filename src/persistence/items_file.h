// Each character's extra slots, saved in its own items file.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "game/game.h"
#include "core/state.h"

namespace Velloquin {

std::string GetPlayerID(bool forReading);
// The player id as the log names it ("0x2A"), read without a report.
std::string PlayerIdText();
bool VerifyQuickItem(const Game::Form* form, int quickKey);
std::vector<std::string> ListFilesWithExtension(const std::string& folder, const std::string& extension);
void FlushQuickItemsToFile();
void ReloadFavoriteItems();

// One items-file line as the reader sees it: the slot keys ("QuickKey" n " |")
// found anywhere in it, which of them carry the empty marker "|None" right
// after the key, and the item's local id (between the last two bars) and data
// file (after the last bar). The settings doctor shows lines the same way.
struct QuickItemLine {
    std::array<bool, quickSlotCount> namesSlot{};
    std::array<bool, quickSlotCount> marksEmpty{};
    std::string localId;
    std::string dataFile;
};
QuickItemLine ParseQuickItemLine(const std::string& line);

}  // namespace Velloquin

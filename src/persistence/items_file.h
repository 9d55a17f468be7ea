// Each character's extra slots, saved in its own items file.
#pragma once

#include <array>
#include <istream>
#include <initializer_list>
#include <ios>
#include <string>
#include <utility>
#include <vector>

#include "game/game.h"
#include "core/state.h"

namespace Velloquin {

// Every items file's name starts so: "VelloquinItems_", the id, ".txt".
inline constexpr const char* itemsFilePrefix = "VelloquinItems_";
std::string GetPlayerID(bool forReading);
// The player id as the log names it ("0x2A"), read without a report.
std::string PlayerIdText();
bool VerifyQuickItem(const Game::Form* form, int quickKey);
std::vector<std::string> ListFilesWithExtension(const std::string& folder, const std::string& extension);
void FlushQuickItemsToFile() REQUIRES(stateMutex);
void ReloadFavoriteItems() REQUIRES(stateMutex);

// The text of an items file's open error box: "<path> couldn't be opened, error code: <code>".
std::string ItemsFileOpenError(const std::string& path, int code);
// One check of a freshly opened items-file stream, with the line and error
// code its box names.
struct ItemsFileOpenCheck {
    enum State { NotOpen, Failed, Bad } state;  // !is_open(), fail(), bad()
    int line;
    int errorCode;
};
// Shows an error box (function, line) for each check the stream fails, in
// the order given; true when it failed any.
bool ReportItemsFileOpen(const char* function, const std::string& path, bool isOpen, const std::ios& stream,
                         std::initializer_list<ItemsFileOpenCheck> checks);

// One items-file line as the reader sees it: the slot keys ("QuickKey" n " |")
// found anywhere in it, which of them carry the empty marker "|None" right
// after the key, the outfit keys ("Outfit" n " |") found anywhere in it, and
// the item's local id (between the last two bars) and data file (after the
// last bar). The settings doctor shows lines the same way.
struct QuickItemLine {
    std::array<bool, quickSlotCount> namesSlot{};
    std::array<bool, quickSlotCount> marksEmpty{};
    std::array<bool, quickSlotCount> namesOutfit{};
    std::string localId;
    std::string dataFile;
};
QuickItemLine ParseQuickItemLine(const std::string& line);
// An outfit line adds a piece to the outfit of each slot it names: it names
// an outfit key and no slot key (a line with a slot key is a slot's line, as
// for a reader that knows no outfits).
bool IsOutfitLine(const QuickItemLine& parsed);
// The first look through an items file for its outfits: each slot line that
// outfit lines for its slot follow (up to the slot's next line) heads an
// outfit of those lines. Outfit lines of a slot with no slot line above them
// belong to none. Sorted by head line, then slot; the stream is left at its end.
struct OutfitLines {
    int headLine = 0;
    std::size_t slot = 0;
    std::vector<std::pair<int, QuickItemLine>> pieces;  // line number, line
};
std::vector<OutfitLines> FindOutfitLines(std::istream& in);
// Outfits hold equipment only (the form type of armour and clothes).
inline constexpr std::uint8_t outfitPieceType = 34;
// The next line of an items file opened as bytes, without its line feed and
// without a CR before it (as a text-mode stream drops it); false at the end.
bool ReadItemsFileLine(std::istream& in, std::string& line);

}  // namespace Velloquin

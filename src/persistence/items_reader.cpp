// The items file's reader: after each game load the extra slots come back from
// the character's items file, resolved against the load order of this game.
#include <algorithm>
#include <fstream>
#include <vector>

#include "config/settings.h"
#include "persistence/form_identity.h"
#include "persistence/items_file.h"
#include "platform/paths.h"
#include "core/log.h"
#include "items/form_text.h"
#include "core/slots.h"
#include "core/state.h"

namespace Velloquin {

namespace {

// Why a line's item is not in this game, for the log.
std::string WhyNotFoundText(const QuickItemLine& parsed) {
    std::uint32_t localId = 0;
    switch (ReadLocalFormID(parsed.localId, parsed.dataFile, localId)) {
        case LocalIdReading::TooLong: return "the local id " + parsed.localId + " is too long for its data file";
        case LocalIdReading::NotHexadecimal: return "the local id " + parsed.localId + " is no hexadecimal number";
        case LocalIdReading::Read: break;
    }
    if (!FindDataFile(parsed.dataFile).first) return "the data file " + parsed.dataFile + " is not loaded";
    return parsed.dataFile + " has no form " + parsed.localId;
}

// The log's lines are extra: a failure to build one (no memory) never stops the reader.
template <class Build>
void LogBuilt(const char* format, int lineNumber, int quickKey, Build build) {
    if (!LogActive()) return;
    try {
        LogLine(format, lineNumber, quickKey, build().c_str());
    } catch (...) {
    }
}

// Why an outfit line adds no piece.
enum class PieceFault : std::uint8_t { None, NoLocalId, NoDataFile, NotFound, Refused, Repeated, OverLimit };

// An outfit line, resolved when the file is first looked through.
struct PieceLine {
    int lineNumber = 0;
    Game::Form* form = nullptr;
    PieceFault fault = PieceFault::None;
    std::uint8_t formType = 0;
    QuickItemLine parsed;  // kept for the log of a piece that is not in this game
};

// The outfit lines of one slot that follow one of its slot lines, up to the
// next line for that slot: the slot line heads an outfit.
struct OutfitGroup {
    int headLine = 0;
    std::size_t slot = 0;
    std::vector<PieceLine> pieces;
    std::array<Game::Form*, outfitPieceLimit> accepted{};  // the pieces without fault
    std::size_t acceptedCount = 0;
};

// An outfit piece is resolved without a box: a reader that knows no outfits
// ignores these lines, so they never cause one.
PieceLine ResolvePiece(const QuickItemLine& parsed, int lineNumber, const OutfitGroup& group) {
    PieceLine piece;
    piece.lineNumber = lineNumber;
    if (parsed.localId.empty() || parsed.dataFile.empty()) {
        piece.fault = parsed.localId.empty() ? PieceFault::NoLocalId : PieceFault::NoDataFile;
        return piece;
    }
    piece.form = ResolveFormLocator(parsed.localId, parsed.dataFile);
    if (!piece.form) {
        piece.fault = PieceFault::NotFound;
        piece.parsed = parsed;
        return piece;
    }
    piece.formType = Game::StoredFormType(piece.form);
    if (piece.formType != outfitPieceType || GetFormID(piece.form) == 0) {
        piece.fault = PieceFault::Refused;
    } else {
        const auto kept = group.accepted.begin(), keptEnd = kept + group.acceptedCount;
        if (std::find(kept, keptEnd, piece.form) != keptEnd) piece.fault = PieceFault::Repeated;
        // An outfit keeps twelve pieces, its head among them or not: the
        // first twelve different pieces are all it can use, so no line after
        // them costs a search.
        else if (group.acceptedCount == outfitPieceLimit) piece.fault = PieceFault::OverLimit;
    }
    return piece;
}

// The first look through the file: which slot lines head an outfit, and its
// pieces, resolved.
std::vector<OutfitGroup> FindOutfits(std::istream& in) {
    std::vector<OutfitGroup> groups;
    for (const OutfitLines& lines : FindOutfitLines(in)) {
        OutfitGroup& group = groups.emplace_back();
        group.headLine = lines.headLine;
        group.slot = lines.slot;
        for (const auto& [lineNumber, parsed] : lines.pieces) {
            group.pieces.push_back(ResolvePiece(parsed, lineNumber, group));
            if (group.pieces.back().fault == PieceFault::None)
                group.accepted.at(group.acceptedCount++) = group.pieces.back().form;
        }
    }
    return groups;
}

// The log's line for one outfit piece.
void LogPiece(const PieceLine& piece, int quickKey) {
    if (!LogActive()) return;
    try {
        const int line = piece.lineNumber;
        switch (piece.fault) {
            case PieceFault::None:
                LogLine("Items: line %d restored a piece of outfit slot %d: %s", line, quickKey,
                        LogFormText(piece.form).c_str());
                break;
            case PieceFault::NoLocalId:
            case PieceFault::NoDataFile:
                LogLine("Items: line %d not restored (outfit slot %d): %s", line, quickKey,
                        piece.fault == PieceFault::NoLocalId ? "no local id" : "no data file");
                break;
            case PieceFault::NotFound:
                LogLine("Items: line %d not restored (outfit slot %d): %s", line, quickKey,
                        WhyNotFoundText(piece.parsed).c_str());
                break;
            case PieceFault::Refused:
                LogLine("Items: line %d not restored (outfit slot %d): an outfit holds equipment only (form type %u)",
                        line, quickKey, static_cast<unsigned>(piece.formType));
                break;
            case PieceFault::Repeated:
                LogLine("Items: line %d not restored (outfit slot %d): the outfit holds %s already", line, quickKey,
                        LogFormText(piece.form).c_str());
                break;
            case PieceFault::OverLimit:
                LogLine("Items: line %d not restored (outfit slot %d): an outfit holds %u pieces at most", line,
                        quickKey, static_cast<unsigned>(outfitPieceLimit));
                break;
        }
    } catch (...) {  // the log never stops the reader
    }
}

// A single-item slot keeps its item alone: the single-item slots that held it
// are emptied (the slot named later keeps it); outfits keep their pieces.
void PutSingleItem(std::size_t j, Game::Form* form, int lineNumber) REQUIRES(stateMutex) {
    const int quickKey = firstQuickKey + static_cast<int>(j);
    MakeSingleItemSlot(j, form);
    const std::uint16_t emptied = ClearSingleSlotsHolding(form, j);
    for (std::size_t k = 0; k < quickSlotCount; ++k)
        if ((emptied >> k) & 1)
            LogLine("Items: slot %d emptied: line %d puts the same item in slot %d", firstQuickKey + static_cast<int>(k),
                    lineNumber, quickKey);
}

// A slot line that heads an outfit. Its item is the first piece, or, when it
// is not in this game, the first piece that is. A slot line naming another
// kind of item reads as a reader that knows no outfits reads it, and the
// outfit lines are left out.
void ApplyOutfitHead(const QuickItemLine& parsed, const std::string& line, int lineNumber, OutfitGroup& group)
    REQUIRES(stateMutex) {
    const std::size_t j = group.slot;
    const int quickKey = firstQuickKey + static_cast<int>(j);
    Game::Form* head = nullptr;
    if (!parsed.marksEmpty.at(j)) {
        if (parsed.localId.empty() || parsed.dataFile.empty()) {
            LogLine("Items: line %d not restored (slot %d): %s: %s", lineNumber, quickKey,
                    parsed.localId.empty() ? "no local id" : "no data file", line.c_str());
        } else if (Game::Form* form = ResolveFormLocator(parsed.localId, parsed.dataFile); !form) {
            LogBuilt("Items: line %d not restored (slot %d): %s", lineNumber, quickKey,
                     [&] { return WhyNotFoundText(parsed); });
        } else if (Game::StoredFormType(form) != outfitPieceType) {
            for (const PieceLine& piece : group.pieces)
                LogLine("Items: line %d not restored (outfit slot %d): the slot's item on line %d is no equipment "
                        "(form type %u)",
                        piece.lineNumber, quickKey, lineNumber, static_cast<unsigned>(Game::StoredFormType(form)));
            if (!VerifyQuickItem(form, quickKey)) {
                LogLine("Items: line %d not restored (slot %d): the plug-in refuses the item (form type %u)",
                        lineNumber, quickKey, static_cast<unsigned>(Game::StoredFormType(form)));
                return;
            }
            LogBuilt("Items: line %d restored slot %d: %s", lineNumber, quickKey, [&] {
                return LogFormText(form) + " (" + parsed.localId + " from " + parsed.dataFile + ")";
            });
            PutSingleItem(j, form, lineNumber);
            return;
        } else if (!VerifyQuickItem(form, quickKey)) {  // equipment without a form id: boxed as ever
            LogLine("Items: line %d not restored (slot %d): the plug-in refuses the item (form type %u)", lineNumber,
                    quickKey, static_cast<unsigned>(Game::StoredFormType(form)));
        } else {
            LogBuilt("Items: line %d restored slot %d: %s", lineNumber, quickKey, [&] {
                return LogFormText(form) + " (" + parsed.localId + " from " + parsed.dataFile + ")";
            });
            head = form;
        }
    }

    std::array<Game::Form*, outfitPieceLimit> pieces{};
    std::size_t count = 0;
    if (head) pieces.at(count++) = head;
    for (PieceLine& piece : group.pieces) {
        if (piece.fault == PieceFault::None) {
            if (piece.form == head) piece.fault = PieceFault::Repeated;
            else if (count == outfitPieceLimit) piece.fault = PieceFault::OverLimit;
            else pieces.at(count++) = piece.form;
        }
        LogPiece(piece, quickKey);
    }
    if (count == 0) return;  // nothing of it in this game: the slot stays as it was
    if (count == 1) {
        LogLine("Items: slot %d holds one item: no other piece of its outfit was restored", quickKey);
        PutSingleItem(j, pieces.front(), lineNumber);
        return;
    }
    SetOutfit(j, pieces.data(), count);
    LogLine("Items: line %d restored outfit slot %d: %u pieces", lineNumber, quickKey, static_cast<unsigned>(count));
}

// Tries one line against every slot key; the slot lines that head an outfit
// are the next groups (sorted as the lines come).
void ApplyLine(const std::string& line, int lineNumber, std::vector<OutfitGroup>& groups, std::size_t& nextGroup,
               std::array<bool, quickSlotCount>& slotLineSeen) REQUIRES(stateMutex) {
    const QuickItemLine parsed = ParseQuickItemLine(line);
    if (IsOutfitLine(parsed)) {
        for (std::size_t j = 0; j < quickSlotCount; ++j)
            if (parsed.namesOutfit.at(j) && !slotLineSeen.at(j))
                LogLine("Items: line %d not restored (outfit slot %d): no QuickKey%d line above it", lineNumber,
                        firstQuickKey + static_cast<int>(j), firstQuickKey + static_cast<int>(j));
        return;
    }
    for (std::size_t j = 0; j < quickSlotCount; ++j) {
        const int quickKey = firstQuickKey + static_cast<int>(j);
        if (!parsed.namesSlot.at(j)) continue;
        slotLineSeen.at(j) = true;
        if (nextGroup < groups.size() && groups.at(nextGroup).headLine == lineNumber &&
            groups.at(nextGroup).slot == j) {
            ApplyOutfitHead(parsed, line, lineNumber, groups.at(nextGroup++));
            continue;
        }
        if (parsed.marksEmpty.at(j)) continue;
        if (parsed.localId.empty() || parsed.dataFile.empty()) {
            LogLine("Items: line %d not restored (slot %d): %s: %s", lineNumber, quickKey,
                    parsed.localId.empty() ? "no local id" : "no data file", line.c_str());
            continue;
        }
        Game::Form* form = ResolveFormLocator(parsed.localId, parsed.dataFile);
        if (!form) {  // the item or its data file is not in this game
            LogBuilt("Items: line %d not restored (slot %d): %s", lineNumber, quickKey,
                     [&] { return WhyNotFoundText(parsed); });
            continue;
        }
        if (!VerifyQuickItem(form, quickKey)) {
            LogLine("Items: line %d not restored (slot %d): the plug-in refuses the item (form type %u)", lineNumber,
                    quickKey, static_cast<unsigned>(Game::StoredFormType(form)));
            continue;
        }
        LogBuilt("Items: line %d restored slot %d: %s", lineNumber, quickKey, [&] {
            return LogFormText(form) + " (" + parsed.localId + " from " + parsed.dataFile + ")";
        });
        // One form never sits in two single-item slots: the slot named later keeps it.
        PutSingleItem(j, form, lineNumber);
    }
}

}  // namespace

void ReloadFavoriteItems() {
    for (std::size_t i = 0; i < quickSlotCount; ++i) MakeSingleItemSlot(i, nullptr);
    const std::string name = GetPlayerID(true);
    const std::string path = pluginFolder + name;
    if (!SettingsFileExists(pluginFolder, name)) {
        LogLine("Items: player id %s has no items file in %s: every slot empty", PlayerIdText().c_str(),
                pluginFolder.c_str());
        return;
    }
    LogLine("Items: player id %s, reading %s", PlayerIdText().c_str(), path.c_str());

    // Read as bytes in every build; a CR before the line feed is dropped
    // below, as a text-mode stream would drop it.
    std::ifstream in(NativePath(path), std::ios::in | std::ios::binary);
    using Check = ItemsFileOpenCheck;
    if (ReportItemsFileOpen("Velloquin::ReloadFavoriteItems", path, in.is_open(), in,
                            {{Check::NotOpen, 697, 1}, {Check::Bad, 702, 2}, {Check::Failed, 707, 3}}))
        return;

    try {
        // A first look finds the outfits, so that the one-slot rule, applied
        // line by line after, knows which slot lines head one.
        std::vector<OutfitGroup> groups = FindOutfits(in);
        in.clear();
        in.seekg(0);
        std::size_t nextGroup = 0;
        std::array<bool, quickSlotCount> slotLineSeen{};
        std::string line;
        int lineNumber = 0;
        while (ReadItemsFileLine(in, line)) ApplyLine(line, ++lineNumber, groups, nextGroup, slotLineSeen);
    } catch (...) {
        // A file too large to hold: the slots read so far stay.
    }
}

}  // namespace Velloquin

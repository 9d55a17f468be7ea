// The items file's reader: after each game load the extra slots come back from
// the character's items file, resolved against the load order of this game.
#include <fstream>

#include "config/settings.h"
#include "persistence/form_identity.h"
#include "persistence/items_file.h"
#include "platform/paths.h"
#include "core/log.h"
#include "items/form_text.h"
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

// Tries one line against every slot key.
void ApplyLine(const std::string& line, int lineNumber) REQUIRES(stateMutex) {
    const QuickItemLine parsed = ParseQuickItemLine(line);
    for (std::size_t j = 0; j < quickSlotCount; ++j) {
        const int quickKey = firstQuickKey + static_cast<int>(j);
        if (!parsed.namesSlot.at(j) || parsed.marksEmpty.at(j)) continue;
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
        quickItems.at(j) = form;
        // One form never sits in two slots: the slot named later keeps it.
        for (std::size_t k = 0; k < quickSlotCount; ++k) {
            if (k != j && quickItems.at(k) == form) {
                LogLine("Items: slot %d emptied: line %d puts the same item in slot %d",
                        firstQuickKey + static_cast<int>(k), lineNumber, quickKey);
                quickItems.at(k) = nullptr;
                break;
            }
        }
    }
}

}  // namespace

void ReloadFavoriteItems() {
    quickItems.fill(nullptr);
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
    std::ifstream in(FilePath(path), std::ios::in | std::ios::binary);
    using Check = ItemsFileOpenCheck;
    if (ReportItemsFileOpen("Velloquin::ReloadFavoriteItems", path, in.is_open(), in,
                            {{Check::NotOpen, 697, 1}, {Check::Bad, 702, 2}, {Check::Failed, 707, 3}}))
        return;

    try {
        std::string line;
        int lineNumber = 0;
        while (ReadItemsFileLine(in, line)) ApplyLine(line, ++lineNumber);
    } catch (...) {
        // A file too large to hold: the slots read so far stay.
    }
}

}  // namespace Velloquin
